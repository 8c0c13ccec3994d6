// A worksheet whose cells are held sparsely, sorted by row and column.
#pragma once

#include "sheet/CellAddress.h"
#include "sheet/Workbook.h"

#include <QVector>

#include <memory>
#include <optional>
#include <vector>

namespace lbl::sheet {

/// One stored value, 0-based position. Text refers to the workbook's shared string list.
struct StoredCell
{
    quint32 row = 0;
    quint16 column = 0;
    CellType type = CellType::Empty;
    quint8 code = 0; ///< Boolean value or error code
    union {
        double number = 0;
        qint64 text;
    };

    quint64 key() const { return (quint64(row) << 16) | column; }
};

/// A Sheet over stored cells. values() refuses ranges of more than MaxGridCells cells with
/// std::invalid_argument, so no request can allocate without bound.
class StoredSheet final : public Sheet
{
public:
    static constexpr qsizetype MaxGridCells = qsizetype(1) << 22;

    /// Takes cells in any order; where a position repeats, the last one given wins.
    StoredSheet(QString name, std::vector<StoredCell> cells, std::shared_ptr<const QVector<QString>> strings);

    QString name() const override { return m_name; }
    QString usedRangeAddress() const override;
    Cell cell(qsizetype row, qsizetype column) const override;
    CellGrid values(const QString& reference) const override;

    /// The used range, or std::nullopt when the sheet holds no value.
    std::optional<CellRange> usedRange() const { return m_used; }

private:
    Cell toCell(const StoredCell& stored) const;

    QString m_name;
    std::vector<StoredCell> m_cells;
    std::shared_ptr<const QVector<QString>> m_strings;
    std::optional<CellRange> m_used;
};

} // namespace lbl::sheet
