// The spreadsheet server of this program: workbooks read by lbl::sheet.
#include "data/WorkbookServer.h"

#include <QFileInfo>

#include <stdexcept>
#include <utility>

namespace lbl::data {

namespace {

class WorkbookBook : public SpreadsheetBook
{
public:
    WorkbookBook(QString fileName, std::unique_ptr<sheet::Workbook> workbook)
        : m_fileName(std::move(fileName))
        , m_workbook(std::move(workbook))
    {
    }

    QString usedRangeAddress() const override { return activeSheet().usedRangeAddress(); }

    RangeValue rangeValue(const QString& reference) const override
    {
        const sheet::Sheet& active = activeSheet();
        sheet::CellGrid grid;
        try {
            grid = active.values(reference);
        } catch (const std::invalid_argument&) {
            throw sheet::ImportError(
                QFileInfo(m_fileName).fileName(),
                QStringLiteral("sheet \"%1\": not a range: \"%2\"").arg(active.name(), reference));
        }
        if (grid.rowCount() == 1 && grid.columnCount() == 1) {
            return RangeValue(grid.at(1, 1));
        }
        return RangeValue(std::move(grid));
    }

    // The reader never writes, so closing unchanged is letting go of it.
    void close() override { m_workbook.reset(); }

private:
    const sheet::Sheet& activeSheet() const
    {
        Q_ASSERT(m_workbook);
        return m_workbook->activeSheet();
    }

    QString m_fileName;
    std::unique_ptr<sheet::Workbook> m_workbook;
};

class WorkbookServer : public SpreadsheetServer
{
public:
    std::unique_ptr<SpreadsheetBook> open(const QString& fileName) override
    {
        return std::make_unique<WorkbookBook>(fileName, sheet::Workbook::open(fileName));
    }

    void quit() override {}
};

} // namespace

std::unique_ptr<SpreadsheetServer> startWorkbookServer()
{
    return std::make_unique<WorkbookServer>();
}

ServerFactory workbookServerFactory()
{
    return &startWorkbookServer;
}

} // namespace lbl::data
