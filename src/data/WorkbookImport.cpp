// The import of a workbook's active sheet into the main record set.
#include "data/WorkbookImport.h"

#include "data/RangeAddress.h"
#include "data/ValueText.h"

namespace lbl::data {

namespace {

// Quits the server however the import ends; a failure to quit must not hide the import's own error.
class QuitGuard
{
public:
    explicit QuitGuard(SpreadsheetServer& server)
        : m_server(server)
    {
    }
    ~QuitGuard()
    {
        if (m_armed) {
            try {
                m_server.quit();
            } catch (...) {
            }
        }
    }
    QuitGuard(const QuitGuard&) = delete;
    QuitGuard& operator=(const QuitGuard&) = delete;

    void quitNow()
    {
        m_armed = false;
        m_server.quit();
    }

private:
    SpreadsheetServer& m_server;
    bool m_armed = true;
};

} // namespace

QString serverNotFoundText()
{
    return QStringLiteral("Spreadsheet server not found");
}

ImportOutcome importWorkbook(const QString& fileName, RecordSet& cdsMain, const ServerFactory& startServer,
                             const QLocale& locale)
{
    Q_ASSERT(!cdsMain.isActive() && cdsMain.fieldDefs().isEmpty());

    std::unique_ptr<SpreadsheetServer> server;
    try {
        if (startServer) {
            server = startServer();
        }
    } catch (...) {
        server.reset();
    }
    if (!server) {
        return ImportOutcome::ServerNotFound;
    }
    QuitGuard guard(*server);

    const std::unique_ptr<SpreadsheetBook> book = server->open(fileName);
    const RangeBounds bounds = parseUsedRange(book->usedRangeAddress());
    const RangeValue values = book->rangeValue(rangeReference(bounds));

    for (qsizetype j = 1; j <= bounds.columnCount; ++j) {
        FieldDef def;
        def.name = headerText(values.at(1, j), locale);
        cdsMain.addFieldDef(def);
    }
    cdsMain.createDataSet();

    for (qsizetype i = 2; i <= bounds.rowCount; ++i) {
        cdsMain.append();
        for (qsizetype j = 1; j <= bounds.columnCount; ++j) {
            if (const std::optional<QString> text = valueText(values.at(i, j), locale)) {
                cdsMain.setField(j - 1, *text);
            }
        }
    }

    book->close();
    guard.quitNow();
    return ImportOutcome::Imported;
}

} // namespace lbl::data
