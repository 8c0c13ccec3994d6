// Range values as the spreadsheet server hands them out.
#include "data/SpreadsheetServer.h"

#include "data/RecordSet.h"

#include <utility>

namespace lbl::data {

RangeValue::RangeValue(sheet::Cell value)
    : m_value(std::move(value))
{
}

RangeValue::RangeValue(qsizetype rows, qsizetype columns)
    : m_array(true)
    , m_grid(rows, columns)
{
}

RangeValue::RangeValue(sheet::CellGrid grid)
    : m_array(true)
    , m_grid(std::move(grid))
{
}

const sheet::Cell& RangeValue::value() const
{
    Q_ASSERT(!m_array);
    return m_value;
}

const sheet::Cell& RangeValue::at(qsizetype row, qsizetype column) const
{
    if (!m_array) {
        throw DataError(QStringLiteral("Invalid argument"));
    }
    if (row < 1 || row > m_grid.rowCount() || column < 1 || column > m_grid.columnCount()) {
        throw DataError(QStringLiteral("Variant or safe array index out of bounds"));
    }
    return m_grid.at(row, column);
}

sheet::Cell& RangeValue::cell(qsizetype row, qsizetype column)
{
    Q_ASSERT(m_array);
    return m_grid.at(row, column);
}

} // namespace lbl::data
