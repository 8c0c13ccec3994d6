// Read-only access to one .xls workbook (BIFF5/BIFF8 in a compound file): sheets, used range, cell values.
#include "sheet/Workbook.h"

#include "sheet/CompoundFile.h"
#include "sheet/WorkbookReader.h"

#include <QFile>
#include <QFileInfo>

namespace lbl::sheet {

ImportError::ImportError(QString fileName, QString reason)
    : std::runtime_error((fileName + QStringLiteral(": ") + reason).toStdString())
    , m_fileName(std::move(fileName))
    , m_reason(std::move(reason))
{
}

CellGrid::CellGrid(qsizetype rows, qsizetype columns)
    : m_rows(rows)
    , m_columns(columns)
    , m_cells(rows * columns)
{
    Q_ASSERT(rows >= 0 && columns >= 0);
}

const Cell& CellGrid::at(qsizetype row, qsizetype column) const
{
    Q_ASSERT(row >= 1 && row <= m_rows && column >= 1 && column <= m_columns);
    return m_cells[(row - 1) * m_columns + (column - 1)];
}

Cell& CellGrid::at(qsizetype row, qsizetype column)
{
    Q_ASSERT(row >= 1 && row <= m_rows && column >= 1 && column <= m_columns);
    return m_cells[(row - 1) * m_columns + (column - 1)];
}

namespace {

class OpenedWorkbook final : public Workbook
{
public:
    explicit OpenedWorkbook(WorkbookContents contents)
        : m_contents(std::move(contents))
    {
    }

    qsizetype sheetCount() const override { return qsizetype(m_contents.sheets.size()); }
    const Sheet& sheet(qsizetype index) const override
    {
        Q_ASSERT(index >= 0 && index < sheetCount());
        return *m_contents.sheets[static_cast<size_t>(index)];
    }
    qsizetype activeSheetIndex() const override { return m_contents.activeSheet; }

private:
    WorkbookContents m_contents;
};

} // namespace

std::unique_ptr<Workbook> Workbook::open(const QString& fileName)
{
    const QString shownName = QFileInfo(fileName).fileName();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        throw ImportError(shownName, QStringLiteral("cannot be opened: %1").arg(file.errorString()));
    }
    const QByteArray data = file.readAll();
    file.close();
    if (data.isEmpty()) {
        throw ImportError(shownName, QStringLiteral("not a workbook (the file is empty)"));
    }
    if (data.startsWith("PK\x03\x04")) {
        throw ImportError(
            shownName, QStringLiteral("not an .xls workbook (a newer .xlsx file; save it as Excel 97-2003)"));
    }
    const CompoundFile container(data, shownName);
    std::optional<QByteArray> stream = container.stream(QStringLiteral("Workbook"));
    if (!stream) {
        stream = container.stream(QStringLiteral("Book"));
    }
    if (!stream) {
        throw ImportError(shownName, QStringLiteral("not a workbook (no Workbook or Book stream)"));
    }
    return std::make_unique<OpenedWorkbook>(readWorkbookStream(*stream, shownName));
}

} // namespace lbl::sheet
