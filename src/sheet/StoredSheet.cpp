// A worksheet whose cells are held sparsely, sorted by row and column.
#include "sheet/StoredSheet.h"

#include <algorithm>
#include <stdexcept>

namespace lbl::sheet {

namespace {

bool keyLess(const StoredCell& a, const StoredCell& b)
{
    return a.key() < b.key();
}

} // namespace

StoredSheet::StoredSheet(QString name, std::vector<StoredCell> cells,
                         std::shared_ptr<const QVector<QString>> strings)
    : m_name(std::move(name))
    , m_cells(std::move(cells))
    , m_strings(std::move(strings))
{
    // A damaged record can place a cell past the last column any reference can name; such a cell
    // could never be fetched, and it would make the used range unreadable.
    m_cells.erase(std::remove_if(m_cells.begin(), m_cells.end(),
                                 [](const StoredCell& c) { return qsizetype(c.column) >= MaxColumn; }),
                  m_cells.end());
    const bool strictlyIncreasing =
        std::adjacent_find(m_cells.begin(), m_cells.end(),
                           [](const StoredCell& a, const StoredCell& b) { return a.key() >= b.key(); })
        == m_cells.end();
    if (!strictlyIncreasing) {
        std::stable_sort(m_cells.begin(), m_cells.end(), keyLess);
        // Keep the last of each run of equal positions.
        auto out = m_cells.begin();
        for (auto it = m_cells.begin(); it != m_cells.end(); ++it) {
            const auto next = it + 1;
            if (next != m_cells.end() && next->key() == it->key()) {
                continue;
            }
            *out++ = *it;
        }
        m_cells.erase(out, m_cells.end());
    }
    m_cells.shrink_to_fit();
    if (!m_cells.empty()) {
        quint16 minColumn = m_cells.front().column;
        quint16 maxColumn = minColumn;
        for (const StoredCell& c : m_cells) {
            minColumn = std::min(minColumn, c.column);
            maxColumn = std::max(maxColumn, c.column);
        }
        m_used = CellRange{qsizetype(m_cells.front().row) + 1, qsizetype(minColumn) + 1,
                           qsizetype(m_cells.back().row) + 1, qsizetype(maxColumn) + 1};
    }
}

QString StoredSheet::usedRangeAddress() const
{
    return absoluteAddress(m_used.value_or(CellRange{}));
}

Cell StoredSheet::toCell(const StoredCell& stored) const
{
    Cell cell;
    cell.type = stored.type;
    switch (stored.type) {
    case CellType::Text:
        cell.text = m_strings->at(stored.text);
        break;
    case CellType::Boolean:
        cell.boolean = stored.code != 0;
        break;
    case CellType::Error:
        cell.errorCode = stored.code;
        break;
    case CellType::Empty:
        break;
    default:
        cell.number = stored.number;
        break;
    }
    return cell;
}

Cell StoredSheet::cell(qsizetype row, qsizetype column) const
{
    if (row < 1 || column < 1 || row > MaxRow || column > MaxColumn) {
        return {};
    }
    StoredCell probe;
    probe.row = quint32(row - 1);
    probe.column = quint16(column - 1);
    const auto it = std::lower_bound(m_cells.begin(), m_cells.end(), probe, keyLess);
    if (it == m_cells.end() || it->key() != probe.key()) {
        return {};
    }
    return toCell(*it);
}

CellGrid StoredSheet::values(const QString& reference) const
{
    const auto range = parseRange(reference);
    if (!range) {
        throw std::invalid_argument("not a cell reference: " + reference.toStdString());
    }
    if (range->rowCount() * range->columnCount() > MaxGridCells) {
        throw std::invalid_argument("range too large to fetch at once: " + reference.toStdString());
    }
    CellGrid grid(range->rowCount(), range->columnCount());
    StoredCell probe;
    probe.row = quint32(range->firstRow - 1);
    probe.column = quint16(std::min<qsizetype>(range->firstColumn - 1, 0xFFFF));
    auto it = std::lower_bound(m_cells.begin(), m_cells.end(), probe, keyLess);
    const qsizetype firstColumn0 = range->firstColumn - 1;
    const qsizetype lastColumn0 = range->lastColumn - 1;
    const qsizetype lastRow0 = range->lastRow - 1;
    while (it != m_cells.end() && qsizetype(it->row) <= lastRow0) {
        if (qsizetype(it->column) < firstColumn0) {
            probe.row = it->row;
            probe.column = quint16(firstColumn0);
            it = std::lower_bound(it, m_cells.end(), probe, keyLess);
            continue;
        }
        if (qsizetype(it->column) > lastColumn0) {
            // Past the rectangle on this row: jump to the next row.
            probe.row = it->row + 1;
            probe.column = quint16(std::min<qsizetype>(firstColumn0, 0xFFFF));
            it = std::lower_bound(it, m_cells.end(), probe, keyLess);
            continue;
        }
        grid.at(qsizetype(it->row) - range->firstRow + 2, qsizetype(it->column) - firstColumn0 + 1) =
            toCell(*it);
        ++it;
    }
    return grid;
}

} // namespace lbl::sheet
