// Column letters, range parsing and absolute addresses.
#include "sheet/CellAddress.h"

#include <QTest>

using namespace lbl::sheet;

class TstCellAddress : public QObject
{
    Q_OBJECT

private slots:
    void columnNames_data();
    void columnNames();
    void ranges_data();
    void ranges();
};

void TstCellAddress::columnNames_data()
{
    QTest::addColumn<qsizetype>("column");
    QTest::addColumn<QString>("name");
    QTest::newRow("first") << qsizetype(1) << "A";
    QTest::newRow("Z") << qsizetype(26) << "Z";
    QTest::newRow("past Z") << qsizetype(27) << "AA";
    QTest::newRow("AZ") << qsizetype(52) << "AZ";
    QTest::newRow("past AZ") << qsizetype(53) << "BA";
    QTest::newRow("last of old sheets") << qsizetype(256) << "IV";
    QTest::newRow("ZZ") << qsizetype(702) << "ZZ";
    QTest::newRow("past ZZ") << qsizetype(703) << "AAA";
    QTest::newRow("last of new sheets") << qsizetype(16384) << "XFD";
    QTest::newRow("none") << qsizetype(0) << "";
}

void TstCellAddress::columnNames()
{
    QFETCH(qsizetype, column);
    QFETCH(QString, name);
    QCOMPARE(columnName(column), name);
    if (column > 0) {
        const auto parsed = parseRange(name + "1");
        QVERIFY(parsed);
        QCOMPARE(parsed->firstColumn, column);
    }
}

void TstCellAddress::ranges_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<qsizetype>("firstRow");
    QTest::addColumn<qsizetype>("firstColumn");
    QTest::addColumn<qsizetype>("lastRow");
    QTest::addColumn<qsizetype>("lastColumn");
    QTest::addColumn<QString>("address");
    QTest::newRow("plain") << "A1:D20" << qsizetype(1) << qsizetype(1) << qsizetype(20) << qsizetype(4)
                           << "$A$1:$D$20";
    QTest::newRow("absolute") << "$B$2:$AC$10" << qsizetype(2) << qsizetype(2) << qsizetype(10)
                              << qsizetype(29) << "$B$2:$AC$10";
    QTest::newRow("around Z") << "Z1:AB3" << qsizetype(1) << qsizetype(26) << qsizetype(3) << qsizetype(28)
                              << "$Z$1:$AB$3";
    QTest::newRow("mixed markers") << "$A1:B$2" << qsizetype(1) << qsizetype(1) << qsizetype(2)
                                   << qsizetype(2) << "$A$1:$B$2";
    QTest::newRow("reversed") << "D20:A1" << qsizetype(1) << qsizetype(1) << qsizetype(20) << qsizetype(4)
                              << "$A$1:$D$20";
    QTest::newRow("one cell") << "C5" << qsizetype(5) << qsizetype(3) << qsizetype(5) << qsizetype(3)
                              << "$C$5";
    QTest::newRow("one cell as a range")
        << "C5:C5" << qsizetype(5) << qsizetype(3) << qsizetype(5) << qsizetype(3) << "$C$5";
    QTest::newRow("three letters") << "A1:AAA2" << qsizetype(1) << qsizetype(1) << qsizetype(2)
                                   << qsizetype(703) << "$A$1:$AAA$2";
    QTest::newRow("old sheet limits") << "A1:IV65536" << qsizetype(1) << qsizetype(1) << qsizetype(65536)
                                      << qsizetype(256) << "$A$1:$IV$65536";
}

void TstCellAddress::ranges()
{
    QFETCH(QString, reference);
    QFETCH(qsizetype, firstRow);
    QFETCH(qsizetype, firstColumn);
    QFETCH(qsizetype, lastRow);
    QFETCH(qsizetype, lastColumn);
    QFETCH(QString, address);
    const auto range = parseRange(reference);
    QVERIFY(range);
    QCOMPARE(*range, (CellRange{firstRow, firstColumn, lastRow, lastColumn}));
    QCOMPARE(absoluteAddress(*range), address);
}

QTEST_GUILESS_MAIN(TstCellAddress)
#include "tst_celladdress.moc"
