// The spreadsheet server the import talks to: open a workbook, read its active sheet, close, quit.
#pragma once

#include "sheet/Workbook.h"

#include <QString>

#include <functional>
#include <memory>

namespace lbl::data {

/// What a range's value is: a single value for one cell, otherwise an array indexed [row, column],
/// both from 1.
class RangeValue
{
public:
    /// A single value.
    explicit RangeValue(sheet::Cell value);
    /// An array of rows x columns empty cells, to be filled through cell().
    RangeValue(qsizetype rows, qsizetype columns);
    /// An array taking over a fetched grid.
    explicit RangeValue(sheet::CellGrid grid);

    bool isArray() const { return m_array; }
    qsizetype rowCount() const { return m_grid.rowCount(); }       ///< 0 for a single value
    qsizetype columnCount() const { return m_grid.columnCount(); } ///< 0 for a single value
    /// The single value; a programmer error for an array.
    const sheet::Cell& value() const;

    /// Element [row, column]. Throws DataError "Invalid argument" for a single value and
    /// "Variant or safe array index out of bounds" outside the array.
    const sheet::Cell& at(qsizetype row, qsizetype column) const;
    /// Element [row, column] of an array, for filling it; out of range is a programmer error.
    sheet::Cell& cell(qsizetype row, qsizetype column);

private:
    bool m_array = false;
    sheet::Cell m_value;
    sheet::CellGrid m_grid;
};

/// An opened workbook, seen through its active sheet.
class SpreadsheetBook
{
public:
    virtual ~SpreadsheetBook() = default;
    /// The used range of the active sheet with absolute markers: "$A$1:$D$20", or "$A$1" for a
    /// single cell or an empty sheet.
    virtual QString usedRangeAddress() const = 0;
    /// The value of a range of the active sheet given as "A1:D20": an array, or a single value when
    /// the range is one cell. Throws (sheet::ImportError or DataError) for a reference that cannot
    /// be fetched.
    virtual RangeValue rangeValue(const QString& reference) const = 0;
    /// Closes the workbook without saving changes.
    virtual void close() = 0;
};

/// A running spreadsheet server.
class SpreadsheetServer
{
public:
    virtual ~SpreadsheetServer() = default;
    /// Opens a workbook under the file name unchanged. Throws sheet::ImportError.
    virtual std::unique_ptr<SpreadsheetBook> open(const QString& fileName) = 0;
    /// Ends the server.
    virtual void quit() = 0;
};

/// Starts a server. A server that cannot be started is an exception or a null pointer.
using ServerFactory = std::function<std::unique_ptr<SpreadsheetServer>()>;

} // namespace lbl::data
