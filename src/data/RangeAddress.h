// Column letters, used-range addresses and the references built from them.
#pragma once

#include <QString>

namespace lbl::data {

/// Bounds of a used range; a bound that could not be read is -1.
struct RangeBounds
{
    qsizetype firstColumn = -1;
    qsizetype lastColumn = -1;
    qsizetype firstRow = -1;
    qsizetype lastRow = -1;
    /// Both 0 unless all four bounds were read.
    qsizetype columnCount = 0;
    qsizetype rowCount = 0;
};

/// Column number of letters (A = 1, Z = 26, AA = 27, AAB = 704), any number of letters, either case.
/// -1 for an empty text, any other character, or a number beyond 2^31.
qsizetype columnNumber(const QString& letters);

/// Column letters of n >= 1 (1 = A, 27 = AA, 704 = AAB). A column below 1 gives the character of
/// code 64 + n, as a reference with an unread bound does ("?" for -1).
QString columnName(qsizetype n);

/// Bounds of a used-range address such as "$A$1:$D$20", "$1:$5" (whole rows: columns 1 to 256) or
/// "$A$1" (no ":": every bound 1).
RangeBounds parseUsedRange(const QString& address);

/// The reference to fetch: "A1:D20" from the bounds of $A$1:$D$20; an unread bound shows as "?" or
/// "-1", which no sheet accepts.
QString rangeReference(const RangeBounds& bounds);

} // namespace lbl::data
