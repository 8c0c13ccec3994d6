// The list of the bound data set's fields, dragged onto bands to place them.
#pragma once

#include "report/DataLink.h"

#include <QListWidget>

namespace lbl::designer {

/// Lists the fields of the record set behind "rptDBDataset1"; empty when there is none or it was
/// never created. A dragged field carries kFieldMimeType.
class DataPanel : public QListWidget
{
    Q_OBJECT

public:
    explicit DataPanel(report::DataLinks links, QWidget* parent = nullptr);

    /// Reads the field list again.
    void reload();
    QStringList fields() const;

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;

private:
    report::DataLinks m_links;
};

} // namespace lbl::designer
