// Record-level reading of hand-built workbook streams: continued strings, cell records, formulas.
#include "sheet/CanonicalCell.h"
#include "sheet/WorkbookReader.h"

#include <QTest>
#include <QtEndian>

#include <cstring>

using namespace lbl::sheet;
using lbl::sheet::test::canonical;

namespace {

QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(v, b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<quint32>(v, b.data());
    return b;
}

QByteArray le64(double v)
{
    quint64 bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    QByteArray b(8, '\0');
    qToLittleEndian<quint64>(bits, b.data());
    return b;
}

QByteArray record(quint16 id, const QByteArray& data)
{
    return le16(id) + le16(quint16(data.size())) + data;
}

QByteArray utf16(const QString& s)
{
    QByteArray b;
    for (const QChar c : s) {
        b += le16(c.unicode());
    }
    return b;
}

QByteArray latin1(const QString& s)
{
    return s.toLatin1();
}

// Cell header: 0-based row and column, XF index.
QByteArray at(quint16 row, quint16 column, quint16 xf = 0)
{
    return le16(row) + le16(column) + le16(xf);
}

QByteArray formula(quint16 row, quint16 column, quint16 xf, const QByteArray& result)
{
    return record(0x0006, at(row, column, xf) + result + le16(0) + le32(0) + le16(0));
}

QByteArray specialResult(quint8 kind, quint8 value)
{
    return QByteArray(1, char(kind)) + '\0' + QByteArray(1, char(value)) + QByteArray(3, '\0') + le16(0xFFFF);
}

enum Xf : quint16 { XfGeneral = 0, XfDate = 1, XfLiteralD = 2, XfTime = 3, XfCurrency = 4, XfDateTime = 5 };

// A BIFF8 stream with number formats and XFs for the Xf values above, then the given sheets.
QByteArray stream(const QByteArray& globalsExtra, const QList<QByteArray>& sheetBodies, quint16 activeTab = 0)
{
    const QByteArray bof = record(0x0809, le16(0x0600) + le16(0x0005) + QByteArray(12, '\0'));
    auto format = [](quint16 index, const QString& text) {
        return record(0x041E, le16(index) + le16(quint16(text.size())) + '\0' + latin1(text));
    };
    auto xf = [](quint16 formatIndex) {
        return record(0x00E0, le16(0) + le16(formatIndex) + QByteArray(16, '\0'));
    };
    QByteArray globals = bof + record(0x003D, QByteArray(10, '\0') + le16(activeTab) + QByteArray(6, '\0'))
                         + format(164, "0.00\"d\"") + format(165, "hh:mm") + format(166, "yyyy-mm-dd hh:mm")
                         + xf(0) + xf(14) + xf(164) + xf(165) + xf(7) + xf(166) + globalsExtra;
    QList<QByteArray> names;
    qsizetype boundSheetBytes = 0;
    for (qsizetype i = 0; i < sheetBodies.size(); ++i) {
        names << QString("S%1").arg(i).toLatin1();
        boundSheetBytes += 4 + 8 + names.last().size();
    }
    qsizetype offset = globals.size() + boundSheetBytes + 4;
    QByteArray sheets;
    for (qsizetype i = 0; i < sheetBodies.size(); ++i) {
        globals +=
            record(0x0085, le32(quint32(offset)) + '\0' + '\0' + char(names[i].size()) + '\0' + names[i]);
        const QByteArray sheet = record(0x0809, le16(0x0600) + le16(0x0010) + QByteArray(12, '\0'))
                                 + sheetBodies[i] + record(0x000A, {});
        sheets += sheet;
        offset += sheet.size();
    }
    return globals + record(0x000A, {}) + sheets;
}

QByteArray sst(const QByteArray& first, const QList<QByteArray>& continues, quint32 count)
{
    QByteArray out = record(0x00FC, le32(count) + le32(count) + first);
    for (const QByteArray& c : continues) {
        out += record(0x003C, c);
    }
    return out;
}

QByteArray labelSst(quint16 row, quint16 column, quint32 index)
{
    return record(0x00FD, at(row, column) + le32(index));
}

} // namespace

class TstBiffRecords : public QObject
{
    Q_OBJECT

private slots:
    void continuedStrings_data();
    void continuedStrings();
    void cells_data();
    void cells();
    void activeSheetAndDateSystem_data();
    void activeSheetAndDateSystem();
};

void TstBiffRecords::continuedStrings_data()
{
    QTest::addColumn<QByteArray>("sstRecords");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");

    const QString price = QString::fromUtf8("价格");
    QTest::newRow("one-byte characters split")
        << sst(le16(11) + '\0' + "Hello", {QByteArray(1, '\0') + " World" + le16(4) + '\0' + "next"}, 2)
        << "Hello World"
        << "next";
    QTest::newRow("one byte, then two bytes after the split")
        << sst(le16(4) + '\0' + "ab", {QByteArray(1, '\1') + utf16(price) + le16(1) + '\0' + "z"}, 2)
        << "ab" + price << "z";
    QTest::newRow("two bytes, then one byte after the split")
        << sst(le16(3) + '\1' + utf16(price.left(1)), {QByteArray(1, '\0') + "xy" + le16(1) + '\0' + "z"}, 2)
        << price.left(1) + "xy"
        << "z";
    QTest::newRow("characters start in the continuation")
        << sst(le16(2) + '\0', {QByteArray(1, '\1') + utf16(price) + le16(1) + '\0' + "z"}, 2) << price
        << "z";
    QTest::newRow("rich-text runs straddle the split")
        << sst(le16(3) + '\x08' + le16(2) + "abc" + QByteArray(5, '\x11'),
               {QByteArray(3, '\x22') + le16(2) + '\0' + "ok"}, 2)
        << "abc"
        << "ok";
    QTest::newRow("phonetic block straddles the split")
        << sst(le16(2) + '\x04' + le32(10) + "ab" + QByteArray(3, '\x33'),
               {QByteArray(7, '\x44') + le16(2) + '\0' + "ok"}, 2)
        << "ab"
        << "ok";
    QTest::newRow("runs and phonetic block together")
        << sst(le16(1) + '\x0C' + le16(1) + le32(6) + "a" + QByteArray(2, '\x55'),
               {QByteArray(2, '\x55'), QByteArray(6, '\x66') + le16(2) + '\1' + utf16(price)}, 2)
        << "a" << price;
    QTest::newRow("next string starts the continuation")
        << sst(le16(3) + '\0' + "one", {le16(3) + '\1' + utf16("two")}, 2) << "one"
        << "two";
    QTest::newRow("split over three records")
        << sst(le16(6) + '\0' + "ab",
               {QByteArray(1, '\1') + utf16("cd"), QByteArray(1, '\0') + "ef" + le16(1) + '\0' + "g"}, 2)
        << "abcdef"
        << "g";
}

void TstBiffRecords::continuedStrings()
{
    QFETCH(QByteArray, sstRecords);
    QFETCH(QString, first);
    QFETCH(QString, second);
    const QByteArray data = stream(sstRecords, {labelSst(0, 0, 0) + labelSst(0, 1, 1)});
    const WorkbookContents book = readWorkbookStream(data, "test.xls");
    const Sheet& sheet = *book.sheets.at(0);
    QCOMPARE(sheet.cell(1, 1).text, first);
    QCOMPARE(sheet.cell(1, 2).text, second);
}

void TstBiffRecords::cells_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("expected"); ///< class and text of cell B3
    QTest::addColumn<QString>("usedRange");

    const QByteArray anchor = record(0x0203, at(0, 0) + le64(1)); // A1 = 1 keeps the range's corner
    QTest::newRow("number") << anchor + record(0x0203, at(2, 1) + le64(6901234567892.0))
                            << QStringList{"number", "6901234567892"} << "$A$1:$B$3";
    QTest::newRow("literal d is no date") << anchor + record(0x0203, at(2, 1, XfLiteralD) + le64(45366))
                                          << QStringList{"number", "45366"} << "$A$1:$B$3";
    QTest::newRow("currency") << anchor + record(0x0203, at(2, 1, XfCurrency) + le64(12.5))
                              << QStringList{"currency", "12.5"} << "$A$1:$B$3";
    QTest::newRow("date keeps its format, not its fraction")
        << anchor + record(0x0203, at(2, 1, XfDate) + le64(45366.75)) << QStringList{"date", "2024-03-15"}
        << "$A$1:$B$3";
    QTest::newRow("date and time at midnight")
        << anchor + record(0x0203, at(2, 1, XfDateTime) + le64(45366))
        << QStringList{"datetime", "2024-03-15 00:00:00"} << "$A$1:$B$3";
    QTest::newRow("first of January 1900") << anchor + record(0x0203, at(2, 1, XfDate) + le64(1))
                                           << QStringList{"date", "1900-01-01"} << "$A$1:$B$3";
    QTest::newRow("time") << anchor + record(0x0203, at(2, 1, XfTime) + le64(0.75))
                          << QStringList{"time", "18:00:00"} << "$A$1:$B$3";
    QTest::newRow("rk integer") << anchor + record(0x027E, at(2, 1) + le32((quint32(-3) << 2) | 2))
                                << QStringList{"number", "-3"} << "$A$1:$B$3";
    QTest::newRow("rk integer hundredths") << anchor + record(0x027E, at(2, 1) + le32((1234u << 2) | 3))
                                           << QStringList{"number", "12.34"} << "$A$1:$B$3";
    QTest::newRow("rk float") << anchor + record(0x027E, at(2, 1) + le32(0x3FF80000))
                              << QStringList{"number", "1.5"} << "$A$1:$B$3";
    QTest::newRow("mulrk second item")
        << anchor
               + record(0x00BD, le16(2) + le16(0) + le16(0) + le32((7u << 2) | 2) + le16(XfCurrency)
                                    + le32((250u << 2) | 3) + le16(1))
        << QStringList{"currency", "2.5"} << "$A$1:$B$3";
    QTest::newRow("boolean") << anchor + record(0x0205, at(2, 1) + '\1' + '\0') << QStringList{"bool", "True"}
                             << "$A$1:$B$3";
    QTest::newRow("error value") << anchor + record(0x0205, at(2, 1) + '\x2A' + '\1')
                                 << QStringList{"error", "#N/A"} << "$A$1:$B$3";
    QTest::newRow("label") << anchor
                                  + record(0x0204,
                                           at(2, 1) + le16(2) + '\1' + utf16(QString::fromUtf8("茶叶")))
                           << QStringList{"text", QString::fromUtf8("茶叶")} << "$A$1:$B$3";
    QTest::newRow("formula number") << anchor + formula(2, 1, XfDate, le64(45367))
                                    << QStringList{"date", "2024-03-16"} << "$A$1:$B$3";
    QTest::newRow("formula string") << anchor + formula(2, 1, 0, specialResult(0, 0))
                                           + record(0x0207, le16(3) + '\0' + "Tea")
                                    << QStringList{"text", "Tea"} << "$A$1:$B$3";
    QTest::newRow("formula string after a shared formula")
        << anchor + formula(2, 1, 0, specialResult(0, 0)) + record(0x04BC, QByteArray(10, '\0'))
               + record(0x0207, le16(3) + '\0' + "Tea")
        << QStringList{"text", "Tea"} << "$A$1:$B$3";
    QTest::newRow("formula boolean") << anchor + formula(2, 1, 0, specialResult(1, 0))
                                     << QStringList{"bool", "False"} << "$A$1:$B$3";
    QTest::newRow("formula error") << anchor + formula(2, 1, 0, specialResult(2, 0x07))
                                   << QStringList{"error", "#DIV/0!"} << "$A$1:$B$3";
    QTest::newRow("formula empty string")
        << anchor + formula(2, 1, 0, specialResult(3, 0)) << QStringList{"empty", ""} << "$A$1";
    QTest::newRow("formula without cached result")
        << anchor + formula(2, 1, 0, specialResult(0, 0)) + formula(2, 2, 0, le64(5))
               + record(0x0207, le16(3) + '\0' + "odd")
        << QStringList{"empty", ""} << "$A$1:$C$3";
    QTest::newRow("blanks do not count")
        << anchor + record(0x0201, at(2, 1, XfDate))
               + record(0x00BE, le16(4) + le16(0) + le16(0) + le16(0) + le16(5))
        << QStringList{"empty", ""} << "$A$1";
    QTest::newRow("later record wins")
        << record(0x0203, at(2, 1) + le64(1)) + anchor + record(0x0203, at(2, 1) + le64(2))
        << QStringList{"number", "2"} << "$A$1:$B$3";
    QTest::newRow("records out of order")
        << record(0x0203, at(2, 1) + le64(9)) + record(0x0203, at(1, 3) + le64(8)) + anchor
        << QStringList{"number", "9"} << "$A$1:$D$3";
    QTest::newRow("cell past the last column is dropped")
        << anchor + record(0x0203, at(2, 1) + le64(3)) + record(0x0203, at(0, 23000) + le64(5))
        << QStringList{"number", "3"} << "$A$1:$B$3";
    QTest::newRow("mulrk running past the last column does not wrap")
        << anchor + record(0x0203, at(2, 1) + le64(3))
               + record(0x00BD, le16(2) + le16(0xFFFF) + le16(0) + le32((7u << 2) | 2) + le16(0)
                                    + le32((8u << 2) | 2) + le16(0) + le32((9u << 2) | 2) + le16(0xFFFF))
        << QStringList{"number", "3"} << "$A$1:$B$3";
    QTest::newRow("embedded chart is skipped")
        << anchor + record(0x0809, le16(0x0600) + le16(0x0020) + QByteArray(12, '\0'))
               + record(0x0203, at(9, 9) + le64(1)) + record(0x000A, {}) + record(0x0203, at(2, 1) + le64(4))
        << QStringList{"number", "4"} << "$A$1:$B$3";
}

void TstBiffRecords::cells()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, expected);
    QFETCH(QString, usedRange);
    const WorkbookContents book = readWorkbookStream(stream({}, {body}), "test.xls");
    const Sheet& sheet = *book.sheets.at(0);
    QCOMPARE(canonical(sheet.cell(3, 2)), expected);
    QCOMPARE(sheet.usedRangeAddress(), usedRange);
}

void TstBiffRecords::activeSheetAndDateSystem_data()
{
    QTest::addColumn<quint16>("activeTab");
    QTest::addColumn<QByteArray>("globals");
    QTest::addColumn<qsizetype>("activeIndex");
    QTest::addColumn<QString>("date");

    QTest::newRow("first tab, 1900 system") << quint16(0) << QByteArray() << qsizetype(0) << "1899-12-30";
    QTest::newRow("third tab") << quint16(2) << QByteArray() << qsizetype(2) << "1899-12-30";
    QTest::newRow("tab past the last sheet") << quint16(7) << QByteArray() << qsizetype(0) << "1899-12-30";
    QTest::newRow("1904 system") << quint16(1) << record(0x0022, le16(1)) << qsizetype(1) << "1904-01-01";
}

void TstBiffRecords::activeSheetAndDateSystem()
{
    QFETCH(quint16, activeTab);
    QFETCH(QByteArray, globals);
    QFETCH(qsizetype, activeIndex);
    QFETCH(QString, date);
    const QByteArray cell = record(0x0203, at(0, 0, XfDate) + le64(0));
    const WorkbookContents book =
        readWorkbookStream(stream(globals, {cell, cell, cell}, activeTab), "test.xls");
    QCOMPARE(qsizetype(book.sheets.size()), 3);
    QCOMPARE(book.activeSheet, activeIndex);
    QCOMPARE(book.sheets.at(size_t(activeIndex))->name(), QString("S%1").arg(activeIndex));
    QCOMPARE(canonical(book.sheets.at(size_t(activeIndex))->cell(1, 1)).at(1), date);
}

QTEST_GUILESS_MAIN(TstBiffRecords)
#include "tst_biffrecords.moc"
