// Opening real workbooks: active sheet, used range, cell classes and values, refused files.
#include "sheet/CanonicalCell.h"
#include "sheet/Workbook.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace lbl::sheet;
using lbl::sheet::test::canonical;
using lbl::sheet::test::errorName;

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("cannot read %s", qPrintable(path));
    }
    return file.readAll();
}

bool importable(const Cell& cell)
{
    return cell.type != CellType::Empty && cell.type != CellType::Error;
}

quint32 get32(const QByteArray& data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

void put32(QByteArray& data, qsizetype at, quint32 value)
{
    qToLittleEndian<quint32>(value, data.data() + at);
}

// Positions inside a version 3 compound file with 512-byte sectors, enough to damage it on purpose.
struct Layout
{
    qsizetype fatOffset = 0;
    qsizetype workbookEntry = 0;
    quint32 workbookStart = 0;

    explicit Layout(const QByteArray& file)
    {
        fatOffset = (qsizetype(get32(file, 0x4C)) + 1) * 512;
        const qsizetype dir = (qsizetype(get32(file, 0x30)) + 1) * 512;
        for (qsizetype e = dir; e + 128 <= dir + 512; e += 128) {
            if (QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + e), 8)
                == "Workbook") {
                workbookEntry = e;
            }
        }
        Q_ASSERT(workbookEntry != 0);
        workbookStart = get32(file, workbookEntry + 116);
    }
    qsizetype fatEntry(quint32 sector) const { return fatOffset + 4 * qsizetype(sector); }
    qsizetype sectorOffset(quint32 sector) const { return (qsizetype(sector) + 1) * 512; }
};

} // namespace

class TstWorkbook : public QObject
{
    Q_OBJECT

private slots:
    void fixtures_data();
    void fixtures();
    void refused_data();
    void refused();
    void sparseDimensions();
    void longStrings_data();
    void longStrings();
    void values_data();
    void values();
    void invalidReference_data();
    void invalidReference();
    void neverWrites();
};

void TstWorkbook::fixtures_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QJsonObject>("expected");
    QFile file(QStringLiteral(LBL_SHEET_TEST_DIR "/fixtures_expected.json"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject all = QJsonDocument::fromJson(file.readAll()).object();
    QVERIFY(!all.isEmpty());
    for (auto it = all.begin(); it != all.end(); ++it) {
        QTest::newRow(qPrintable(it.key())) << it.key() << it.value().toObject();
    }
}

void TstWorkbook::fixtures()
{
    QFETCH(QString, fileName);
    QFETCH(QJsonObject, expected);
    const QString path = QStringLiteral(LBL_TEST_DATA "/") + fileName;

    if (expected.contains("error")) {
        try {
            Workbook::open(path);
            QFAIL("opened a workbook that must be refused");
        } catch (const ImportError& e) {
            QCOMPARE(e.fileName(), fileName);
            QVERIFY2(e.reason().contains("password"), qPrintable(e.reason()));
        }
        return;
    }

    const auto book = Workbook::open(path);
    QCOMPARE(book->activeSheetIndex(), expected["index"].toInt());
    const Sheet& sheet = book->activeSheet();
    QCOMPARE(sheet.name(), expected["sheet"].toString());
    const QString used = sheet.usedRangeAddress();
    QCOMPARE(used, expected["dataRange"].toString());

    const CellGrid grid = sheet.values(QString(used).remove('$'));
    bool anyValue = false;
    for (qsizetype r = 1; r <= grid.rowCount(); ++r) {
        for (qsizetype c = 1; c <= grid.columnCount(); ++c) {
            anyValue = anyValue || grid.at(r, c).hasValue();
        }
    }
    QStringList fields;
    qsizetype records = 0;
    qsizetype nonEmpty = 0;
    if (anyValue) {
        for (qsizetype c = 1; c <= grid.columnCount(); ++c) {
            fields << canonical(grid.at(1, c)).at(1);
        }
        records = grid.rowCount() - 1;
        for (qsizetype r = 2; r <= grid.rowCount(); ++r) {
            bool rowHasValue = false;
            for (qsizetype c = 1; c <= grid.columnCount(); ++c) {
                rowHasValue = rowHasValue || importable(grid.at(r, c));
            }
            nonEmpty += rowHasValue ? 1 : 0;
        }
    }
    QStringList expectedFields;
    for (const auto& v : expected["fields"].toArray()) {
        expectedFields << v.toString();
    }
    QCOMPARE(fields, expectedFields);
    QCOMPARE(records, qsizetype(expected["records"].toInt()));
    QCOMPARE(nonEmpty, qsizetype(expected["nonEmpty"].toInt()));

    const QJsonObject errors = expected["errors"].toObject();
    const QJsonObject cells = expected["cells"].toObject();
    for (auto it = cells.begin(); it != cells.end(); ++it) {
        const QStringList rc = it.key().split(',');
        const Cell cell = sheet.cell(rc[0].toInt() + 1, rc[1].toInt() + 1);
        const QJsonArray want = it.value().toArray();
        QStringList got = canonical(cell);
        if (cell.type == CellType::Error) {
            QCOMPARE(errors[it.key()].toString(), got[1]);
            got = QStringList{"empty", ""};
        }
        QCOMPARE(got, (QStringList{want[0].toString(), want[1].toString()}));
    }
    // Every error value of the sheet is listed, and nothing else is one.
    qsizetype errorCount = 0;
    for (qsizetype r = 1; r <= grid.rowCount(); ++r) {
        for (qsizetype c = 1; c <= grid.columnCount(); ++c) {
            if (grid.at(r, c).type == CellType::Error) {
                ++errorCount;
            }
        }
    }
    QCOMPARE(errorCount, qsizetype(errors.size()));
    for (auto it = errors.begin(); it != errors.end(); ++it) {
        const QStringList rc = it.key().split(',');
        const Cell cell = sheet.cell(rc[0].toInt() + 1, rc[1].toInt() + 1);
        QCOMPARE(cell.type, CellType::Error);
        QCOMPARE(errorName(cell.errorCode), it.value().toString());
    }
}

void TstWorkbook::refused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("fragment");

    const QByteArray good = readFile(QStringLiteral(LBL_TEST_DATA "/f01_types.xls"));
    const Layout layout(good);
    const quint32 first = layout.workbookStart;
    const quint32 second = get32(good, layout.fatEntry(first));
    const quint32 third = get32(good, layout.fatEntry(second));

    QTest::newRow("text file") << QByteArray("Article;Name;Price\nA-001;Apple;1.20\n") << "not a workbook";
    QTest::newRow("empty file") << QByteArray() << "empty";
    QTest::newRow("xlsx file") << QByteArray("PK\x03\x04\x14\x00\x06\x00", 8) + QByteArray(600, 'x')
                               << ".xlsx";
    QTest::newRow("header only") << good.left(300) << "truncated";
    QTest::newRow("truncated") << good.left(2048) << "truncated";

    QByteArray loop = good;
    put32(loop, layout.fatEntry(third), first);
    QTest::newRow("FAT chain loop") << loop << "loops";

    QByteArray pastEnd = good;
    put32(pastEnd, layout.fatEntry(second), 0x00FFFFFF);
    QTest::newRow("sector index past the end") << pastEnd << "past the end";

    QByteArray directoryPastEnd = good;
    put32(directoryPastEnd, 0x30, 0x0FFFFFFF);
    QTest::newRow("directory past the end") << directoryPastEnd << "past the end";

    QByteArray earlyEnd = good;
    put32(earlyEnd, layout.fatEntry(second), 0xFFFFFFFE);
    QTest::newRow("chain shorter than the stream") << earlyEnd << "ends before";

    QByteArray huge = good;
    put32(huge, layout.workbookEntry + 120, 0x7FFFFFFF);
    QTest::newRow("stream larger than the file") << huge << "larger than the file";

    QByteArray renamed = good;
    renamed[layout.workbookEntry + 14] = 'x';
    QTest::newRow("no workbook stream") << renamed << "no Workbook or Book stream";

    QByteArray noBof = good;
    noBof[layout.sectorOffset(first)] = 'x';
    QTest::newRow("stream without BIFF header") << noBof << "no BIFF header";

    QByteArray longRecord = good;
    longRecord[layout.sectorOffset(first) + 2] = '\xFF';
    longRecord[layout.sectorOffset(first) + 3] = '\xFF';
    QTest::newRow("record runs past the stream") << longRecord << "runs past the end";

    QTest::newRow("password-protected")
        << readFile(QStringLiteral(LBL_TEST_DATA "/f18_encrypted.xls")) << "password-protected";
}

void TstWorkbook::refused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, fragment);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("broken.xls");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    try {
        Workbook::open(path);
        QFAIL("opened a file that must be refused");
    } catch (const ImportError& e) {
        QCOMPARE(e.fileName(), QString("broken.xls"));
        QVERIFY2(e.reason().contains(fragment), qPrintable(e.reason()));
        QVERIFY(QString::fromStdString(e.what()).startsWith("broken.xls: "));
    }
}

void TstWorkbook::sparseDimensions()
{
    // The file declares 65,536 rows by 256 columns but holds four values.
    const auto book = Workbook::open(QStringLiteral(LBL_TEST_DATA "/sparse_dimensions.xls"));
    const Sheet& sheet = book->activeSheet();
    QCOMPARE(sheet.usedRangeAddress(), QString("$B$2:$C$4"));
    const CellGrid grid = sheet.values("B2:C4");
    QCOMPARE(grid.rowCount(), 3);
    QCOMPARE(grid.columnCount(), 2);
    QCOMPARE(canonical(grid.at(1, 1)), (QStringList{"text", "Code"}));
    QCOMPARE(canonical(grid.at(1, 2)), (QStringList{"text", "Qty"}));
    QCOMPARE(canonical(grid.at(2, 1)), (QStringList{"empty", ""}));
    QCOMPARE(canonical(grid.at(3, 1)), (QStringList{"text", "X-1"}));
    QCOMPARE(canonical(grid.at(3, 2)), (QStringList{"number", "7"}));
    QCOMPARE(sheet.cell(65536, 256).type, CellType::Empty);
}

void TstWorkbook::longStrings_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    // Shared strings that continue in further records, one byte or two per character.
    QTest::newRow("one-byte characters") << 1 << QString(9000, 'x');
    QTest::newRow("two-byte characters") << 2 << QString(5000, QChar(0x4EF7));
    QTest::newRow("mixed") << 3 << "ab" + QString(8300, QChar(0xE9)) + QChar(0x4EF7);
    QTest::newRow("string after the long ones") << 4 << "tail";
}

void TstWorkbook::longStrings()
{
    QFETCH(int, row);
    QFETCH(QString, text);
    const auto book = Workbook::open(QStringLiteral(LBL_TEST_DATA "/long_strings.xls"));
    const Cell cell = book->activeSheet().cell(row, 1);
    QCOMPARE(cell.type, CellType::Text);
    QCOMPARE(cell.text.size(), text.size());
    QCOMPARE(cell.text, text);
}

void TstWorkbook::values_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QStringList>("cells"); ///< every cell with a value: "row,column class text"

    // f03 holds B2:E3 and B6:E6.
    QTest::newRow("inner block") << "C2:D3" << 2 << 2
                                 << QStringList{"1,1 text Name", "1,2 text Qty", "2,1 text Bolt",
                                                "2,2 number 100"};
    QTest::newRow("absolute markers")
        << "$C$2:$D$3" << 2 << 2
        << QStringList{"1,1 text Name", "1,2 text Qty", "2,1 text Bolt", "2,2 number 100"};
    QTest::newRow("corners swapped") << "D3:C2" << 2 << 2
                                     << QStringList{"1,1 text Name", "1,2 text Qty", "2,1 text Bolt",
                                                    "2,2 number 100"};
    QTest::newRow("lower case") << "c2:d3" << 2 << 2
                                << QStringList{"1,1 text Name", "1,2 text Qty", "2,1 text Bolt",
                                               "2,2 number 100"};
    QTest::newRow("single cell") << "D3" << 1 << 1 << QStringList{"1,1 number 100"};
    QTest::newRow("empty corner") << "A1" << 1 << 1 << QStringList{};
    QTest::newRow("past the right and bottom edge")
        << "E4:G7" << 4 << 3 << QStringList{"1,1 number 0.02", "2,1 number 0.01", "3,1 number 1.5"};
    QTest::newRow("last column") << "E2:E6" << 5 << 1
                                 << QStringList{"1,1 text Price", "2,1 number 0.05", "3,1 number 0.02",
                                                "4,1 number 0.01", "5,1 number 1.5"};
    QTest::newRow("one middle column")
        << "C3:C6" << 4 << 1
        << QStringList{"1,1 text Bolt", "2,1 text Nut", "3,1 text Washer", "4,1 text 螺丝"};
}

void TstWorkbook::values()
{
    QFETCH(QString, reference);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(QStringList, cells);
    const auto book = Workbook::open(QStringLiteral(LBL_TEST_DATA "/f03_offset_b2.xls"));
    const CellGrid grid = book->activeSheet().values(reference);
    QCOMPARE(grid.rowCount(), rows);
    QCOMPARE(grid.columnCount(), columns);
    QStringList got;
    for (qsizetype r = 1; r <= grid.rowCount(); ++r) {
        for (qsizetype c = 1; c <= grid.columnCount(); ++c) {
            if (grid.at(r, c).hasValue()) {
                got << QString("%1,%2 ").arg(r).arg(c) + canonical(grid.at(r, c)).join(' ');
            }
        }
    }
    QCOMPARE(got.join(" | "), cells.join(" | "));
}

void TstWorkbook::invalidReference_data()
{
    QTest::addColumn<QString>("reference");
    QTest::newRow("empty") << "";
    QTest::newRow("letters only") << "B";
    QTest::newRow("digits only") << "12";
    QTest::newRow("row zero") << "A0";
    QTest::newRow("open end") << "A1:";
    QTest::newRow("digits first") << "1A";
    QTest::newRow("three corners") << "A1:B2:C3";
    QTest::newRow("column past XFD") << "XFE1";
    QTest::newRow("row past the limit") << "A1048577";
    QTest::newRow("whole sheet at once") << "A1:IV65536";
}

void TstWorkbook::invalidReference()
{
    QFETCH(QString, reference);
    const auto book = Workbook::open(QStringLiteral(LBL_TEST_DATA "/f06_single_cell.xls"));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, book->activeSheet().values(reference));
}

void TstWorkbook::neverWrites()
{
    // A read-only file opens, and its bytes and time stamp stay as they were.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("readonly.xls");
    QVERIFY(QFile::copy(QStringLiteral(LBL_TEST_DATA "/f02_active_sheet.xls"), path));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
    const QByteArray before = readFile(path);
    const QDateTime modified = QFileInfo(path).lastModified();
    const auto book = Workbook::open(path);
    QCOMPARE(book->sheetCount(), 3);
    QCOMPARE(readFile(path), before);
    QCOMPARE(QFileInfo(path).lastModified(), modified);
}

QTEST_GUILESS_MAIN(TstWorkbook)
#include "tst_workbook.moc"
