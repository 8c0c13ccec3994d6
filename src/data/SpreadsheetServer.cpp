// Range values as the spreadsheet server hands them out.
#include "data/SpreadsheetServer.h"

#include "data/RecordSet.h"

#include <utility>

namespace lbl::data {

RangeValue::RangeValue(sheet::Cell value)
    : m_cells{std::move(value)}
{
}

RangeValue::RangeValue(qsizetype rows, qsizetype columns)
    : m_array(true)
    , m_rows(rows)
    , m_columns(columns)
    , m_cells(rows * columns)
{
    Q_ASSERT(rows >= 0 && columns >= 0);
}

const sheet::Cell& RangeValue::value() const
{
    Q_ASSERT(!m_array);
    return m_cells.front();
}

const sheet::Cell& RangeValue::at(qsizetype row, qsizetype column) const
{
    if (!m_array) {
        throw DataError(QStringLiteral("Invalid argument"));
    }
    if (row < 1 || row > m_rows || column < 1 || column > m_columns) {
        throw DataError(QStringLiteral("Variant or safe array index out of bounds"));
    }
    return m_cells[(row - 1) * m_columns + (column - 1)];
}

sheet::Cell& RangeValue::cell(qsizetype row, qsizetype column)
{
    Q_ASSERT(m_array && row >= 1 && row <= m_rows && column >= 1 && column <= m_columns);
    return m_cells[(row - 1) * m_columns + (column - 1)];
}

} // namespace lbl::data
