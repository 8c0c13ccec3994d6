// Data links by alias.
#include "report/DataLink.h"

#include <utility>

namespace lbl::report {

DataLink::DataLink(QString alias, data::DataSource* source)
    : m_alias(std::move(alias))
    , m_source(source)
{
}

data::RecordSet* DataLink::recordSet() const
{
    return m_source != nullptr ? m_source->dataSet() : nullptr;
}

DataLinks::DataLinks(std::initializer_list<DataLink*> links)
{
    for (DataLink* link : links) {
        add(link);
    }
}

void DataLinks::add(DataLink* link)
{
    Q_ASSERT(link != nullptr);
    for (DataLink*& known : m_links) {
        if (known->alias().compare(link->alias(), Qt::CaseInsensitive) == 0) {
            known = link;
            return;
        }
    }
    m_links.append(link);
}

DataLink* DataLinks::find(const QString& alias) const
{
    for (DataLink* link : m_links) {
        if (link->alias().compare(alias, Qt::CaseInsensitive) == 0) {
            return link;
        }
    }
    return nullptr;
}

} // namespace lbl::report
