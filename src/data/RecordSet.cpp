// In-memory record sets of text fields: definitions, records, cursor.
#include "data/RecordSet.h"

#include <algorithm>
#include <utility>

namespace lbl::data {

DataError::DataError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

RecordSet::RecordSet(QString name)
    : m_name(std::move(name))
{
}

void RecordSet::addFieldDef(const FieldDef& def)
{
    Q_ASSERT(!m_active);
    if (def.name.isEmpty()) {
        throw DataError(m_name + QStringLiteral(": Field name missing"));
    }
    if (fieldIndex(def.name)) {
        throw DataError(QStringLiteral("Duplicate name '%1' in TFieldDefs").arg(def.name));
    }
    m_defs.append(def);
}

std::optional<qsizetype> RecordSet::fieldIndex(const QString& name) const
{
    for (qsizetype k = 0; k < m_defs.size(); ++k) {
        if (m_defs[k].name.compare(name, Qt::CaseInsensitive) == 0) {
            return k;
        }
    }
    return std::nullopt;
}

void RecordSet::createDataSet()
{
    m_values.clear();
    m_rows = 0;
    m_cursor = 0;
    m_pending = false;
    m_pendingSet = false;
    m_active = true;
}

void RecordSet::checkActive() const
{
    if (!m_active) {
        throw DataError(m_name + QStringLiteral(": Missing data provider or data packet"));
    }
}

qsizetype RecordSet::recordCount() const
{
    checkActive();
    return (m_pending && !m_pendingSet) ? m_rows - 1 : m_rows;
}

void RecordSet::settlePending()
{
    if (m_pending && !m_pendingSet) {
        --m_rows;
        m_values.resize(m_rows * m_defs.size());
    }
    m_pending = false;
    m_pendingSet = false;
}

void RecordSet::append()
{
    checkActive();
    settlePending();
    ++m_rows;
    m_values.resize(m_rows * m_defs.size());
    m_pending = true;
    m_cursor = m_rows - 1;
}

void RecordSet::setField(qsizetype k, const QString& value)
{
    checkActive();
    Q_ASSERT(k >= 0 && k < m_defs.size());
    if (m_cursor >= m_rows) {
        throw DataError(m_name + QStringLiteral(": Dataset not in edit or insert mode"));
    }
    const int size = m_defs[k].size;
    qsizetype length = value.size();
    if (size > 0 && length > size) {
        length = size;
        if (value.at(length - 1).isHighSurrogate() && value.at(length).isLowSurrogate()) {
            --length;
        }
    }
    // An empty text leaves the field null, yet the record still counts as written.
    m_values[m_cursor * m_defs.size() + k] = length == 0 ? QString() : value.left(length);
    if (m_pending && m_cursor == m_rows - 1) {
        m_pendingSet = true;
    }
}

void RecordSet::first()
{
    checkActive();
    settlePending();
    m_cursor = 0;
}

void RecordSet::next()
{
    checkActive();
    settlePending();
    m_cursor = std::min(m_cursor + 1, m_rows);
}

bool RecordSet::eof() const
{
    return m_cursor >= recordCount();
}

void RecordSet::moveTo(qsizetype index)
{
    checkActive();
    settlePending();
    m_cursor = std::clamp<qsizetype>(index, 0, m_rows);
}

QString RecordSet::fieldText(qsizetype k) const
{
    checkActive();
    Q_ASSERT(k >= 0 && k < m_defs.size());
    if (m_cursor >= m_rows) {
        return QString();
    }
    return m_values[m_cursor * m_defs.size() + k];
}

bool RecordSet::isNull(qsizetype k) const
{
    return fieldText(k).isNull();
}

} // namespace lbl::data
