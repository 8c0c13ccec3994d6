// A1-style cell references: column letters, range parsing and absolute addresses.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace lbl::sheet {

/// A rectangle of cells, 1-based and inclusive, with first <= last in both directions.
struct CellRange
{
    qsizetype firstRow = 1;
    qsizetype firstColumn = 1;
    qsizetype lastRow = 1;
    qsizetype lastColumn = 1;

    qsizetype rowCount() const { return lastRow - firstRow + 1; }
    qsizetype columnCount() const { return lastColumn - firstColumn + 1; }
    bool operator==(const CellRange& other) const
    {
        return firstRow == other.firstRow && firstColumn == other.firstColumn && lastRow == other.lastRow
               && lastColumn == other.lastColumn;
    }
};

/// The largest row and column a reference may name (those of the newest sheet formats).
constexpr qsizetype MaxRow = 1048576;
constexpr qsizetype MaxColumn = 16384;

/// Letters of a 1-based column: 1 "A", 26 "Z", 27 "AA", 702 "ZZ", 703 "AAA". Empty for column < 1.
QString columnName(qsizetype column);

/// Parses "A1", "B2:AC10" or "$A$1:$D$20" (absolute markers allowed, letters in either case).
/// Corners may come in any order; the result is normalised. std::nullopt when the text is not a
/// reference or names a row or column past MaxRow / MaxColumn.
std::optional<CellRange> parseRange(QStringView reference);

/// "$A$1:$D$20", or "$C$5" for a range of one cell.
QString absoluteAddress(const CellRange& range);

} // namespace lbl::sheet
