// The workbook import: address arithmetic, the fetched reference, fields, records, failures, clean-up.
#include "data/RangeAddress.h"
#include "data/RecordSet.h"
#include "data/SpreadsheetServer.h"
#include "data/WorkbookImport.h"
#include "data/WorkbookServer.h"

#include <QMap>
#include <QRegularExpression>
#include <QTest>

#include <memory>
#include <stdexcept>

using lbl::data::columnName;
using lbl::data::columnNumber;
using lbl::data::DataError;
using lbl::data::ImportOutcome;
using lbl::data::importWorkbook;
using lbl::data::parseUsedRange;
using lbl::data::RangeBounds;
using lbl::data::RangeValue;
using lbl::data::RecordSet;
using lbl::data::ServerFactory;
using lbl::data::SpreadsheetBook;
using lbl::data::SpreadsheetServer;
using lbl::sheet::Cell;
using lbl::sheet::CellType;
using lbl::sheet::ImportError;

namespace {

// Cells written as "B3=text", "B3=#" (an error value) or "B3=n:12.5" (a number).
using CellList = QStringList;

struct FakeSheet
{
    QString address;
    QMap<QPair<qsizetype, qsizetype>, Cell> cells;
};

FakeSheet makeSheet(const QString& address, const CellList& written)
{
    static const QRegularExpression re(QStringLiteral("^([A-Z]+)([0-9]+)=(.*)$"),
                                       QRegularExpression::DotMatchesEverythingOption);
    FakeSheet sheet;
    sheet.address = address;
    for (const QString& item : written) {
        const QRegularExpressionMatch m = re.match(item);
        Q_ASSERT(m.hasMatch());
        Cell cell;
        const QString value = m.captured(3);
        if (value == QLatin1String("#")) {
            cell.type = CellType::Error;
            cell.errorCode = 0x2A;
        } else if (value.startsWith(QLatin1String("n:"))) {
            cell.type = CellType::Number;
            cell.number = value.mid(2).toDouble();
        } else {
            cell.type = CellType::Text;
            cell.text = value;
        }
        sheet.cells.insert({m.captured(2).toLongLong(), columnNumber(m.captured(1))}, cell);
    }
    return sheet;
}

// Records every call the import makes, in order.
class FakeBook : public SpreadsheetBook
{
public:
    FakeBook(FakeSheet sheet, QStringList& log)
        : m_sheet(std::move(sheet))
        , m_log(log)
    {
    }

    QString usedRangeAddress() const override
    {
        m_log << QStringLiteral("address");
        return m_sheet.address;
    }

    RangeValue rangeValue(const QString& reference) const override
    {
        m_log << QStringLiteral("range ") + reference;
        static const QRegularExpression re(QStringLiteral("^([A-Z]+)([0-9]+):([A-Z]+)([0-9]+)$"));
        const QRegularExpressionMatch m = re.match(reference);
        if (!m.hasMatch()) {
            throw ImportError(QStringLiteral("fake.xls"), QStringLiteral("not a range: ") + reference);
        }
        const qsizetype c1 = columnNumber(m.captured(1));
        const qsizetype r1 = m.captured(2).toLongLong();
        const qsizetype c2 = columnNumber(m.captured(3));
        const qsizetype r2 = m.captured(4).toLongLong();
        if (c1 == c2 && r1 == r2) {
            return RangeValue(m_sheet.cells.value({r1, c1}));
        }
        RangeValue value(r2 - r1 + 1, c2 - c1 + 1);
        for (qsizetype r = r1; r <= r2; ++r) {
            for (qsizetype c = c1; c <= c2; ++c) {
                value.cell(r - r1 + 1, c - c1 + 1) = m_sheet.cells.value({r, c});
            }
        }
        return value;
    }

    void close() override { m_log << QStringLiteral("close"); }

private:
    FakeSheet m_sheet;
    QStringList& m_log;
};

class FakeServer : public SpreadsheetServer
{
public:
    FakeServer(FakeSheet sheet, QStringList& log)
        : m_sheet(std::move(sheet))
        , m_log(log)
    {
    }

    std::unique_ptr<SpreadsheetBook> open(const QString& fileName) override
    {
        m_log << QStringLiteral("open ") + fileName;
        if (fileName.endsWith(QLatin1String("broken.xls"))) {
            throw ImportError(fileName, QStringLiteral("not a workbook"));
        }
        return std::make_unique<FakeBook>(m_sheet, m_log);
    }

    void quit() override { m_log << QStringLiteral("quit"); }

private:
    FakeSheet m_sheet;
    QStringList& m_log;
};

ServerFactory fakeFactory(const FakeSheet& sheet, QStringList& log)
{
    return [sheet, &log] { return std::make_unique<FakeServer>(sheet, log); };
}

QStringList fieldNames(const RecordSet& set)
{
    QStringList names;
    for (const auto& def : set.fieldDefs()) {
        names << def.name;
    }
    return names;
}

// Records as "a|b|c", unset fields shown as "~".
QStringList records(RecordSet& set)
{
    QStringList rows;
    for (set.first(); !set.eof(); set.next()) {
        QStringList values;
        for (qsizetype k = 0; k < set.fieldDefs().size(); ++k) {
            values << (set.isNull(k) ? QStringLiteral("~") : set.fieldText(k));
        }
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

QString fixture(const QString& name)
{
    return QStringLiteral(LBL_TEST_DATA "/") + name;
}

} // namespace

class TstImport : public QObject
{
    Q_OBJECT

private slots:
    void columns_data();
    void columns();
    void badColumnLetters_data();
    void badColumnLetters();
    void bounds_data();
    void bounds();
    void imports_data();
    void imports();
    void wide_data();
    void wide();
    void refused_data();
    void refused();
    void serverNotFound_data();
    void serverNotFound();
    void fixtures_data();
    void fixtures();
    void refusedFixtures_data();
    void refusedFixtures();
    void unreadableWorkbookPassesThrough();
};

void TstImport::columns_data()
{
    QTest::addColumn<QString>("letters");
    QTest::addColumn<qsizetype>("number");

    QTest::newRow("A") << "A" << qsizetype(1);
    QTest::newRow("Z") << "Z" << qsizetype(26);
    QTest::newRow("AA") << "AA" << qsizetype(27);
    QTest::newRow("AB") << "AB" << qsizetype(28);
    QTest::newRow("AZ") << "AZ" << qsizetype(52);
    QTest::newRow("BA") << "BA" << qsizetype(53);
    QTest::newRow("IV") << "IV" << qsizetype(256);
    QTest::newRow("ZZ") << "ZZ" << qsizetype(702);
    QTest::newRow("AAA") << "AAA" << qsizetype(703);
    QTest::newRow("AAB") << "AAB" << qsizetype(704);
    QTest::newRow("AZZ") << "AZZ" << qsizetype(1378);
    QTest::newRow("XFD") << "XFD" << qsizetype(16384);
    QTest::newRow("ZZZ") << "ZZZ" << qsizetype(18278);
    QTest::newRow("AAAA") << "AAAA" << qsizetype(18279);
}

void TstImport::columns()
{
    QFETCH(QString, letters);
    QFETCH(qsizetype, number);
    QCOMPARE(columnNumber(letters), number);
    QCOMPARE(columnNumber(letters.toLower()), number);
    QCOMPARE(columnName(number), letters);
}

void TstImport::badColumnLetters_data()
{
    QTest::addColumn<QString>("letters");
    QTest::newRow("empty") << "";
    QTest::newRow("digit") << "A1";
    QTest::newRow("dollar") << "$A";
    QTest::newRow("beyond 2^31") << "ZZZZZZZZ";
}

void TstImport::badColumnLetters()
{
    QFETCH(QString, letters);
    QCOMPARE(columnNumber(letters), qsizetype(-1));
}

void TstImport::bounds_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QList<qsizetype>>("bounds"); // first col, last col, first row, last row, cols, rows
    QTest::addColumn<QString>("reference");

    using B = QList<qsizetype>;
    QTest::newRow("A1:D20") << "$A$1:$D$20" << B{1, 4, 1, 20, 4, 20} << "A1:D20";
    QTest::newRow("B2:AC10") << "$B$2:$AC$10" << B{2, 29, 2, 10, 28, 9} << "B2:AC10";
    QTest::newRow("Z1:AB3") << "$Z$1:$AB$3" << B{26, 28, 1, 3, 3, 3} << "Z1:AB3";
    QTest::newRow("three letters") << "$A$1:$AAB$3" << B{1, 704, 1, 3, 704, 3} << "A1:AAB3";
    QTest::newRow("three letters both") << "$ZZ$4:$AAA$9" << B{702, 703, 4, 9, 2, 6} << "ZZ4:AAA9";
    QTest::newRow("whole rows") << "$1:$5" << B{1, 256, 1, 5, 256, 5} << "A1:IV5";
    QTest::newRow("whole rows offset") << "$3:$4" << B{1, 256, 3, 4, 256, 2} << "A3:IV4";
    QTest::newRow("single cell") << "$A$1" << B{1, 1, 1, 1, 1, 1} << "A1:A1";
    QTest::newRow("single cell elsewhere") << "$C$7" << B{1, 1, 1, 1, 1, 1} << "A1:A1";
    QTest::newRow("markers are needed") << "A1:C3" << B{1, 256, -1, -1, 0, 0} << "A-1:IV-1";
    QTest::newRow("whole columns") << "$A:$C" << B{1, 256, -1, -1, 0, 0} << "A-1:IV-1";
    QTest::newRow("bad row") << "$A$x:$B$2" << B{1, 2, -1, 2, 0, 0} << "A-1:B2";
    QTest::newRow("no column") << "$A$1:$$2" << B{1, -1, 1, 2, 0, 0} << "A1:?2";
}

void TstImport::bounds()
{
    QFETCH(QString, address);
    QFETCH(QList<qsizetype>, bounds);
    QFETCH(QString, reference);

    const RangeBounds b = parseUsedRange(address);
    QCOMPARE(
        (QList<qsizetype>{b.firstColumn, b.lastColumn, b.firstRow, b.lastRow, b.columnCount, b.rowCount}),
        bounds);
    QCOMPARE(lbl::data::rangeReference(b), reference);
}

void TstImport::imports_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<CellList>("cells");
    QTest::addColumn<QString>("fetched");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("records");

    QTest::newRow("every row") << "$A$1:$B$3" << CellList{"A1=Name", "B1=EAN",  "A2=面", "B2=n:6901234567892",
                                                          "A3=x",    "B3=n:0.5"}
                               << "A1:B3" << QStringList{"Name", "EAN"}
                               << QStringList{"面|6901234567892", "x|0.5"};
    QTest::newRow("empty row skipped")
        << "$A$1:$B$5" << CellList{"A1=a", "B1=b", "A2=1", "A4=3", "B5=4"} << "A1:B5" << QStringList{"a", "b"}
        << QStringList{"1|~", "3|~", "~|4"};
    QTest::newRow("row of errors skipped")
        << "$A$1:$B$4" << CellList{"A1=a", "B1=b", "A2=1", "A3=#", "B3=#", "A4=2"} << "A1:B4"
        << QStringList{"a", "b"} << QStringList{"1|~", "2|~"};
    QTest::newRow("error beside a value") << "$A$1:$B$2" << CellList{"A1=a", "B1=b", "A2=#", "B2=v"}
                                          << "A1:B2" << QStringList{"a", "b"} << QStringList{"~|v"};
    QTest::newRow("empty text is a value") << "$A$1:$B$2" << CellList{"A1=a", "B1=b", "A2="} << "A1:B2"
                                           << QStringList{"a", "b"} << QStringList{"~|~"};
    QTest::newRow("offset B2") << "$B$2:$C$4"
                               << CellList{"A1=out", "B2=Code", "C2=Qty", "B3=c1", "C4=n:2", "D3=out"}
                               << "B2:C4" << QStringList{"Code", "Qty"} << QStringList{"c1|~", "~|2"};
    QTest::newRow("header only") << "$A$1:$C$1" << CellList{"A1=x", "B1=y", "C1=z"} << "A1:C1"
                                 << QStringList{"x", "y", "z"} << QStringList{};
    QTest::newRow("numeric header") << "$A$1:$B$2" << CellList{"A1=n:2024", "B1=n:1.5", "A2=v"} << "A1:B2"
                                    << QStringList{"2024", "1.5"} << QStringList{"v|~"};
    QTest::newRow("one column") << "$A$1:$A$3" << CellList{"A1=only", "A3=last"} << "A1:A3"
                                << QStringList{"only"} << QStringList{"last"};
    QTest::newRow("surrogate pair at the cut")
        << "$A$1:$A$2"
        << CellList{"A1=L", "A2=" + QString(199, QLatin1Char('a')) + QString::fromUcs4(U"\U0001D11Ex")}
        << "A1:A2" << QStringList{"L"} << QStringList{QString(199, QLatin1Char('a'))};
}

void TstImport::imports()
{
    QFETCH(QString, address);
    QFETCH(CellList, cells);
    QFETCH(QString, fetched);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, records);

    QStringList log;
    RecordSet cdsMain(QStringLiteral("cdsMain"));
    QCOMPARE(importWorkbook(QStringLiteral("LabList.xls"), cdsMain,
                            fakeFactory(makeSheet(address, cells), log), QLocale::c()),
             ImportOutcome::Imported);
    QCOMPARE(log, (QStringList{"open LabList.xls", "address", "range " + fetched, "close", "quit"}));
    QVERIFY(cdsMain.isActive());
    QCOMPARE(fieldNames(cdsMain), fields);
    for (const auto& def : cdsMain.fieldDefs()) {
        QCOMPARE(def.size, 200);
        QVERIFY(!def.required);
    }
    QCOMPARE(::records(cdsMain), records);
}

void TstImport::wide_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<qsizetype>("firstColumn");
    QTest::addColumn<qsizetype>("lastColumn");

    QTest::newRow("28 columns") << "$A$1:$AB$3" << qsizetype(1) << qsizetype(28);
    QTest::newRow("beyond ZZ") << "$ZY$1:$AAB$3" << qsizetype(701) << qsizetype(704);
}

void TstImport::wide()
{
    QFETCH(QString, address);
    QFETCH(qsizetype, firstColumn);
    QFETCH(qsizetype, lastColumn);

    CellList cells;
    QStringList fields;
    for (qsizetype c = firstColumn; c <= lastColumn; ++c) {
        cells << columnName(c) + "1=H_" + columnName(c);
        fields << "H_" + columnName(c);
    }
    cells << columnName(lastColumn) + "3=last";
    QStringList log;
    RecordSet cdsMain(QStringLiteral("cdsMain"));
    importWorkbook(QStringLiteral("w.xls"), cdsMain, fakeFactory(makeSheet(address, cells), log),
                   QLocale::c());
    QCOMPARE(log.at(2), "range " + address.remove(QLatin1Char('$')));
    QCOMPARE(fieldNames(cdsMain), fields);
    cdsMain.first();
    QCOMPARE(cdsMain.recordCount(), 1);
    QCOMPARE(cdsMain.fieldText(lastColumn - firstColumn), QStringLiteral("last"));
    QVERIFY(cdsMain.isNull(0));
}

void TstImport::refused_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("address");
    QTest::addColumn<CellList>("cells");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("fieldsKept");
    QTest::addColumn<QString>("lastCall");

    QTest::newRow("single cell") << "a.xls"
                                 << "$A$1" << CellList{"A1=only"} << "Invalid argument" << QStringList{}
                                 << "range A1:A1";
    QTest::newRow("empty sheet") << "a.xls"
                                 << "$A$1" << CellList{} << "Invalid argument" << QStringList{}
                                 << "range A1:A1";
    QTest::newRow("duplicate header")
        << "a.xls"
        << "$A$1:$C$2" << CellList{"A1=name", "B1=Code", "C1=NAME", "A2=v"}
        << "Duplicate name 'NAME' in TFieldDefs" << QStringList{"name", "Code"} << "range A1:C2";
    QTest::newRow("empty header") << "a.xls"
                                  << "$A$1:$C$2" << CellList{"A1=a", "C1=c", "A2=v"}
                                  << "cdsMain: Field name missing" << QStringList{"a"} << "range A1:C2";
    QTest::newRow("error header") << "a.xls"
                                  << "$A$1:$B$2" << CellList{"A1=a", "B1=#", "A2=v"}
                                  << "Could not convert variant of type (Error) into type (String)"
                                  << QStringList{"a"} << "range A1:B2";
    QTest::newRow("whole rows, short header")
        << "a.xls"
        << "$1:$2" << CellList{"A1=a", "B1=b", "A2=v"} << "cdsMain: Field name missing"
        << QStringList{"a", "b"} << "range A1:IV2";
    QTest::newRow("unreadable row") << "a.xls"
                                    << "$A:$C" << CellList{"A1=a"} << "fake.xls: not a range: A-1:IV-1"
                                    << QStringList{} << "range A-1:IV-1";
    QTest::newRow("unreadable column")
        << "a.xls"
        << "$A$1:$$2" << CellList{"A1=a"} << "fake.xls: not a range: A1:?2" << QStringList{} << "range A1:?2";
    QTest::newRow("open fails") << "broken.xls"
                                << "$A$1:$B$2" << CellList{} << "broken.xls: not a workbook" << QStringList{}
                                << "open broken.xls";
}

void TstImport::refused()
{
    QFETCH(QString, fileName);
    QFETCH(QString, address);
    QFETCH(CellList, cells);
    QFETCH(QString, message);
    QFETCH(QStringList, fieldsKept);
    QFETCH(QString, lastCall);

    QStringList log;
    RecordSet cdsMain(QStringLiteral("cdsMain"));
    try {
        importWorkbook(fileName, cdsMain, fakeFactory(makeSheet(address, cells), log), QLocale::c());
        QFAIL("no error thrown");
    } catch (const std::runtime_error& e) {
        QCOMPARE(QString::fromUtf8(e.what()), message);
    }
    QVERIFY(!cdsMain.isActive());
    QCOMPARE(fieldNames(cdsMain), fieldsKept);
    // The server quits on every exit; the workbook is left unclosed.
    QCOMPARE(log.size() >= 2 ? log.at(log.size() - 2) : QString(), lastCall);
    QCOMPARE(log.last(), QStringLiteral("quit"));
    QVERIFY(!log.contains(QStringLiteral("close")));
}

void TstImport::serverNotFound_data()
{
    QTest::addColumn<ServerFactory>("factory");
    QTest::newRow("throws") << ServerFactory(
        []() -> std::unique_ptr<SpreadsheetServer> { throw std::runtime_error("cannot start"); });
    QTest::newRow("no server") << ServerFactory([] { return std::unique_ptr<SpreadsheetServer>(); });
    QTest::newRow("no factory") << ServerFactory();
}

void TstImport::serverNotFound()
{
    QFETCH(ServerFactory, factory);
    RecordSet cdsMain(QStringLiteral("cdsMain"));
    QCOMPARE(importWorkbook(QStringLiteral("LabList.xls"), cdsMain, factory), ImportOutcome::ServerNotFound);
    QVERIFY(!cdsMain.isActive());
    QVERIFY(cdsMain.fieldDefs().isEmpty());
    QCOMPARE(lbl::data::serverNotFoundText(), QStringLiteral("Spreadsheet server not found"));
}

void TstImport::fixtures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<qsizetype>("recordCount");
    QTest::addColumn<qsizetype>("sampleRecord");
    QTest::addColumn<QStringList>("sample"); // the sample record's first fields, "~" for unset

    QTest::newRow("types") << "f01_types.xls"
                           << QStringList{"Article", "Name",    "EAN",  "Price",   "Qty",   "Ratio",
                                          "Made",    "Updated", "Time", "InStock", "Check", "Extra"}
                           << qsizetype(5) << qsizetype(0)
                           << QStringList{"A-001",
                                          "苹果汁 1L",
                                          "6901234567892",
                                          "12.5",
                                          "1",
                                          "1.5E-6",
                                          "15 Mar 2024",
                                          "15 Mar 2024 13:45:30",
                                          "08:30:00",
                                          "True",
                                          "~",
                                          "~"};
    QTest::newRow("active sheet") << "f02_active_sheet.xls" << QStringList{"Name", "Price"} << qsizetype(3)
                                  << qsizetype(2) << QStringList{"梨", "2"};
    QTest::newRow("offset B2") << "f03_offset_b2.xls" << QStringList{"Code", "Name", "Qty", "Price"}
                               << qsizetype(4) << qsizetype(0) << QStringList{"C1", "Bolt", "100", "0.05"};
    QTest::newRow("empty rows") << "f04_empty_row.xls" << QStringList{"Code", "Name", "Qty"} << qsizetype(3)
                                << qsizetype(0) << QStringList{};
    QTest::newRow("header only") << "f05_header_only.xls" << QStringList{"Code", "Name", "Price"}
                                 << qsizetype(0) << qsizetype(0) << QStringList{};
    QTest::newRow("biff5 chinese") << "f13_biff5_cp936.xls"
                                   << QStringList{"品名", "数量", "价格", "日期", "备注"} << qsizetype(3)
                                   << qsizetype(0) << QStringList{};
    QTest::newRow("escapes") << "import_escapes.xls" << QStringList{"Name", "Note", "Price", "EAN", "Day"}
                             << qsizetype(3) << qsizetype(2)
                             << QStringList{"back\\slash", "~", "4", "4006381333931", "16 Mar 2023"};
    QTest::newRow("long text") << "import_long_text.xls" << QStringList{"Long", "Chinese"} << qsizetype(2)
                               << qsizetype(0)
                               << QStringList{QString(199, QLatin1Char('a')), QString(150, QChar(0x6807))};
    QTest::newRow("long text cut") << "import_long_text.xls" << QStringList{"Long", "Chinese"} << qsizetype(2)
                                   << qsizetype(1)
                                   << QStringList{QString(200, QLatin1Char('b')),
                                                  QString(200, QChar(0x7B7E))};
}

void TstImport::fixtures()
{
    QFETCH(QString, file);
    QFETCH(QStringList, fields);
    QFETCH(qsizetype, recordCount);
    QFETCH(qsizetype, sampleRecord);
    QFETCH(QStringList, sample);

    RecordSet cdsMain(QStringLiteral("cdsMain"));
    QCOMPARE(importWorkbook(fixture(file), cdsMain, lbl::data::workbookServerFactory(), QLocale::c()),
             ImportOutcome::Imported);
    QCOMPARE(fieldNames(cdsMain), fields);
    cdsMain.first();
    QCOMPARE(cdsMain.recordCount(), recordCount);
    if (sample.isEmpty()) {
        return;
    }
    cdsMain.moveTo(sampleRecord);
    QStringList actual;
    for (qsizetype k = 0; k < sample.size(); ++k) {
        actual << (cdsMain.isNull(k) ? QStringLiteral("~") : cdsMain.fieldText(k));
    }
    QCOMPARE(actual, sample);
}

void TstImport::refusedFixtures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");

    QTest::newRow("single cell") << "f06_single_cell.xls"
                                 << "Invalid argument";
    QTest::newRow("empty active sheet") << "f17_empty_active.xls"
                                        << "Invalid argument";
    QTest::newRow("duplicate") << "import_duplicate.xls"
                               << "Duplicate name 'NAME' in TFieldDefs";
    QTest::newRow("empty header") << "import_empty_header.xls"
                                  << "cdsMain: Field name missing";
    QTest::newRow("error header") << "import_error_header.xls"
                                  << "Could not convert variant of type (Error) into type (String)";
}

void TstImport::refusedFixtures()
{
    QFETCH(QString, file);
    QFETCH(QString, message);

    RecordSet cdsMain(QStringLiteral("cdsMain"));
    try {
        importWorkbook(fixture(file), cdsMain, lbl::data::workbookServerFactory(), QLocale::c());
        QFAIL("no error thrown");
    } catch (const DataError& e) {
        QCOMPARE(QString::fromUtf8(e.what()), message);
    }
    QVERIFY(!cdsMain.isActive());
}

void TstImport::unreadableWorkbookPassesThrough()
{
    // The reader's own error reaches the caller unchanged.
    const QString file = fixture(QStringLiteral("f18_encrypted.xls"));
    QString direct;
    try {
        lbl::sheet::Workbook::open(file);
    } catch (const ImportError& e) {
        direct = QString::fromUtf8(e.what());
    }
    QVERIFY(!direct.isEmpty());

    RecordSet cdsMain(QStringLiteral("cdsMain"));
    try {
        importWorkbook(file, cdsMain, lbl::data::workbookServerFactory(), QLocale::c());
        QFAIL("no error thrown");
    } catch (const ImportError& e) {
        QCOMPARE(QString::fromUtf8(e.what()), direct);
    }
    QVERIFY(!cdsMain.isActive());
}

QTEST_GUILESS_MAIN(TstImport)
#include "tst_import.moc"
