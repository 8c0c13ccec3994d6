// Read-only access to one .xls workbook (BIFF5/BIFF8 in a compound file): sheets, used range, cell values.
#pragma once

#include <QString>
#include <QVector>

#include <memory>
#include <stdexcept>

namespace lbl::sheet {

/// A workbook that cannot be read: not a workbook, truncated, damaged, password-protected.
/// what() is "<file name>: <reason>"; the parts travel in fileName() and reason().
class ImportError : public std::runtime_error
{
public:
    ImportError(QString fileName, QString reason);
    const QString& fileName() const { return m_fileName; }
    const QString& reason() const { return m_reason; }

private:
    QString m_fileName;
    QString m_reason;
};

enum class CellType { Empty, Text, Number, Currency, Date, DateTime, Time, Boolean, Error };

/// One cell value. Number, Currency, Date, DateTime and Time keep the raw value in `number`
/// (dates and times as days since 1899-12-30, already corrected for the 1904 system).
struct Cell
{
    CellType type = CellType::Empty;
    QString text;         ///< Text only
    double number = 0;    ///< Number, Currency, Date, DateTime, Time
    bool boolean = false; ///< Boolean only
    quint8 errorCode = 0; ///< Error only: the BIFF error code (0x07 #DIV/0!, 0x2A #N/A, ...)

    bool hasValue() const { return type != CellType::Empty; }
};

/// A rectangular block of values, row-major, indexed from 1 like the sheet's own [row, column].
class CellGrid
{
public:
    CellGrid() = default;
    CellGrid(qsizetype rows, qsizetype columns);
    qsizetype rowCount() const { return m_rows; }
    qsizetype columnCount() const { return m_columns; }
    /// 1-based; out-of-range indexes are a programmer error.
    const Cell& at(qsizetype row, qsizetype column) const;
    Cell& at(qsizetype row, qsizetype column);

private:
    qsizetype m_rows = 0;
    qsizetype m_columns = 0;
    QVector<Cell> m_cells;
};

/// One worksheet, its cells held sparsely.
class Sheet
{
public:
    virtual ~Sheet() = default;
    virtual QString name() const = 0;
    /// The smallest rectangle holding every cell with a value, as "$A$1:$D$20", or "$A$1" when the
    /// rectangle is one cell or the sheet holds no value at all.
    virtual QString usedRangeAddress() const = 0;
    /// One cell, 1-based row and column; Empty outside the stored cells.
    virtual Cell cell(qsizetype row, qsizetype column) const = 0;
    /// The values of a range given as "A1:D20" (absolute markers allowed). Throws std::invalid_argument
    /// for a reference that cannot be parsed.
    virtual CellGrid values(const QString& reference) const = 0;
};

/// An opened workbook. Never writes to the file.
class Workbook
{
public:
    /// Reads the whole workbook; throws ImportError.
    static std::unique_ptr<Workbook> open(const QString& fileName);

    virtual ~Workbook() = default;
    virtual qsizetype sheetCount() const = 0;
    virtual const Sheet& sheet(qsizetype index) const = 0;
    /// The sheet that was selected when the workbook was saved.
    virtual qsizetype activeSheetIndex() const = 0;
    const Sheet& activeSheet() const { return sheet(activeSheetIndex()); }
};

} // namespace lbl::sheet
