// The data panel: field names of the bound record set as drag sources.
#include "designer/DataPanel.h"

#include "designer/DesignCanvas.h"

#include <QMimeData>

namespace lbl::designer {

DataPanel::DataPanel(report::DataLinks links, QWidget* parent)
    : QListWidget(parent)
    , m_links(std::move(links))
{
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setToolTip(tr("Drag a field onto a band for a text; hold Ctrl for a Code 128 barcode."));
    reload();
}

void DataPanel::reload()
{
    clear();
    const report::DataLink* link = m_links.find(report::defaultDataSetAlias);
    const data::RecordSet* set = link != nullptr ? link->recordSet() : nullptr;
    if (set == nullptr || !set->isActive()) {
        return;
    }
    for (const data::FieldDef& def : set->fieldDefs()) {
        auto* item = new QListWidgetItem(def.name, this);
        item->setToolTip(fieldExpression(def.name));
    }
}

QStringList DataPanel::fields() const
{
    QStringList names;
    for (int i = 0; i < count(); ++i) {
        names.append(item(i)->text());
    }
    return names;
}

QStringList DataPanel::mimeTypes() const
{
    return {kFieldMimeType};
}

QMimeData* DataPanel::mimeData(const QList<QListWidgetItem*>& items) const
{
    if (items.isEmpty()) {
        return nullptr;
    }
    auto* mime = new QMimeData;
    mime->setData(kFieldMimeType, items.first()->text().toUtf8());
    mime->setText(fieldExpression(items.first()->text()));
    return mime;
}

} // namespace lbl::designer
