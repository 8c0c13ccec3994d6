// The page setup dialog: paper, orientation, margins, label columns and growth.
#pragma once

#include "report/Report.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

namespace lbl::designer {

class PageSetupDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PageSetupDialog(const report::Page& page, QWidget* parent = nullptr);

    /// The page as set in the dialog (bands as given).
    report::Page page() const;

private:
    void paperChanged();

    report::Page m_page;
    QComboBox* m_paper = nullptr;
    QComboBox* m_orientation = nullptr;
    QDoubleSpinBox* m_width = nullptr;
    QDoubleSpinBox* m_height = nullptr;
    QDoubleSpinBox* m_margins[4] = {};
    QSpinBox* m_columns = nullptr;
    QDoubleSpinBox* m_gap = nullptr;
    QCheckBox* m_grows = nullptr;
};

} // namespace lbl::designer
