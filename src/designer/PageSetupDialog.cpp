// The page setup dialog.
#include "designer/PageSetupDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lbl::designer {

namespace {

constexpr qreal kMaxPaperMm = 2000;

QDoubleSpinBox* mmBox(qreal max)
{
    auto* box = new QDoubleSpinBox;
    box->setRange(0, max);
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setSuffix(QObject::tr(" mm"));
    return box;
}

} // namespace

PageSetupDialog::PageSetupDialog(const report::Page& page, QWidget* parent)
    : QDialog(parent)
    , m_page(page)
{
    setWindowTitle(tr("Page setup"));
    auto* layout = new QVBoxLayout(this);

    auto* paperBox = new QGroupBox(tr("Paper"));
    auto* paperForm = new QFormLayout(paperBox);
    m_paper = new QComboBox;
    m_paper->addItem(tr("Custom size"), int(report::PaperSize::Custom));
    m_paper->addItem(QStringLiteral("A4 (210 x 297 mm)"), int(report::PaperSize::A4));
    m_paper->addItem(QStringLiteral("A5 (148 x 210 mm)"), int(report::PaperSize::A5));
    m_paper->addItem(QStringLiteral("A6 (105 x 148 mm)"), int(report::PaperSize::A6));
    m_paper->addItem(QStringLiteral("Letter (215.9 x 279.4 mm)"), int(report::PaperSize::Letter));
    m_paper->setCurrentIndex(m_paper->findData(int(page.paper)));
    m_orientation = new QComboBox;
    m_orientation->addItem(tr("Portrait"), int(report::Orientation::Portrait));
    m_orientation->addItem(tr("Landscape"), int(report::Orientation::Landscape));
    m_orientation->setCurrentIndex(page.orientation == report::Orientation::Landscape ? 1 : 0);
    m_width = mmBox(kMaxPaperMm);
    m_height = mmBox(kMaxPaperMm);
    m_width->setValue(page.widthMm);
    m_height->setValue(page.heightMm);
    paperForm->addRow(tr("Size"), m_paper);
    paperForm->addRow(tr("Orientation"), m_orientation);
    paperForm->addRow(tr("Width"), m_width);
    paperForm->addRow(tr("Height"), m_height);
    m_grows = new QCheckBox(tr("Each record starts a page that grows with its content"));
    m_grows->setChecked(page.growsWithContent);
    paperForm->addRow(m_grows);
    layout->addWidget(paperBox);

    auto* marginBox = new QGroupBox(tr("Margins"));
    auto* marginForm = new QFormLayout(marginBox);
    const QString names[] = {tr("Left"), tr("Top"), tr("Right"), tr("Bottom")};
    const qreal values[] = {page.margins.leftMm, page.margins.topMm, page.margins.rightMm,
                            page.margins.bottomMm};
    for (int i = 0; i < 4; ++i) {
        m_margins[i] = mmBox(kMaxPaperMm / 2);
        m_margins[i]->setValue(values[i]);
        marginForm->addRow(names[i], m_margins[i]);
    }
    layout->addWidget(marginBox);

    auto* columnBox = new QGroupBox(tr("Label columns"));
    auto* columnForm = new QFormLayout(columnBox);
    m_columns = new QSpinBox;
    m_columns->setRange(1, 50);
    m_columns->setValue(page.columns.count);
    m_gap = mmBox(kMaxPaperMm / 2);
    m_gap->setValue(page.columns.gapMm);
    columnForm->addRow(tr("Columns"), m_columns);
    columnForm->addRow(tr("Gap"), m_gap);
    layout->addWidget(columnBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_paper, &QComboBox::currentIndexChanged, this, &PageSetupDialog::paperChanged);
    connect(m_orientation, &QComboBox::currentIndexChanged, this, &PageSetupDialog::paperChanged);
    paperChanged();
}

void PageSetupDialog::paperChanged()
{
    const auto paper = report::PaperSize(m_paper->currentData().toInt());
    const bool custom = paper == report::PaperSize::Custom;
    m_width->setEnabled(custom);
    m_height->setEnabled(custom);
    if (!custom) {
        QSizeF size = report::paperSizeMm(paper);
        if (m_orientation->currentIndex() == 1) {
            size.transpose();
        }
        m_width->setValue(size.width());
        m_height->setValue(size.height());
    }
}

report::Page PageSetupDialog::page() const
{
    report::Page result = m_page;
    const auto paper = report::PaperSize(m_paper->currentData().toInt());
    const auto orientation = report::Orientation(m_orientation->currentData().toInt());
    QSizeF portrait(m_width->value(), m_height->value());
    if (orientation == report::Orientation::Landscape) {
        portrait.transpose();
    }
    result.setPaper(paper, orientation, portrait);
    result.margins = {m_margins[0]->value(), m_margins[1]->value(), m_margins[2]->value(),
                      m_margins[3]->value()};
    result.columns = {m_columns->value(), m_gap->value()};
    result.growsWithContent = m_grows->isChecked();
    return result;
}

} // namespace lbl::designer
