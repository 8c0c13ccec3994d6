// The link between templates and record sets: a data set alias and the data source behind it.
#pragma once

#include "data/RecordSet.h"

#include <QString>
#include <QVector>

namespace lbl::report {

/// A data set as templates see it: `[alias."FIELD"]` reads field FIELD of the current record of
/// the record set the source points at. The source is not owned and may be switched at any time.
class DataLink
{
public:
    explicit DataLink(QString alias = QStringLiteral("rptDBDataset1"), data::DataSource* source = nullptr);

    const QString& alias() const { return m_alias; }
    data::DataSource* source() const { return m_source; }
    void setSource(data::DataSource* source) { m_source = source; }
    /// The record set behind the source; nullptr when there is no source or it points at none.
    data::RecordSet* recordSet() const;

private:
    QString m_alias;
    data::DataSource* m_source;
};

/// The data links a report run can see, by alias (compared without regard to case). Not owned.
class DataLinks
{
public:
    DataLinks() = default;
    DataLinks(std::initializer_list<DataLink*> links);

    /// Adds `link`, replacing a link registered under the same alias.
    void add(DataLink* link);
    /// nullptr when no link has that alias.
    DataLink* find(const QString& alias) const;
    const QVector<DataLink*>& all() const { return m_links; }

private:
    QVector<DataLink*> m_links;
};

} // namespace lbl::report
