// Expression texts: fields, built-ins, escapes and the errors they list.
#include "report/Expression.h"
#include "report/ReportFixtures.h"

#include <QtTest>

using namespace lbl;
using namespace lbl::report;

class TstExpression : public QObject
{
    Q_OBJECT

private slots:
    void evaluate_data();
    void evaluate();
    void fieldAtEofIsEmpty();
};

void TstExpression::evaluate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("errors");

    QTest::newRow("literal only") << "Price list"
                                  << "Price list" << QStringList{};
    QTest::newRow("quoted field") << "[rptDBDataset1.\"SPMC00\"]"
                                  << "苹果" << QStringList{};
    QTest::newRow("unquoted field") << "[rptDBDataset1.DJ0000]"
                                    << "12.50" << QStringList{};
    QTest::newRow("alias and field ignore case") << "[RPTDBDATASET1.\"spmc00\"]"
                                                 << "苹果" << QStringList{};
    QTest::newRow("literal around field") << "￥[rptDBDataset1.\"DJ0000\"] 元"
                                          << "￥12.50 元" << QStringList{};
    QTest::newRow("bracket and doubled quote in field name") << "<[rptDBDataset1.\"A]\"\"B\"]>"
                                                             << "<odd>" << QStringList{};
    QTest::newRow("two fields") << "[rptDBDataset1.\"SPMC00\"]/[rptDBDataset1.\"DJ0000\"]"
                                << "苹果/12.50" << QStringList{};
    QTest::newRow("page numbers") << "[Page#] of [TotalPages#]"
                                  << "3 of 7" << QStringList{};
    QTest::newRow("line number") << "No. [Line#]"
                                 << "No. 2" << QStringList{};
    QTest::newRow("date and time") << "[Date] [Time]"
                                   << "2024-05-06 07:08:09" << QStringList{};
    QTest::newRow("built-in ignores case") << "[page#]"
                                           << "3" << QStringList{};
    QTest::newRow("doubled bracket is literal") << "[[Page#]"
                                                << "[Page#]" << QStringList{};
    QTest::newRow("closing bracket alone is literal") << "a]b"
                                                      << "a]b" << QStringList{};
    QTest::newRow("unknown field") << "x[rptDBDataset1.\"NOPE\"]y"
                                   << "xy" << QStringList{"rptDBDataset1: field \"NOPE\" not found"};
    QTest::newRow("unknown field listed once")
        << "[rptDBDataset1.NOPE][rptDBDataset1.\"NOPE\"]"
        << "" << QStringList{"rptDBDataset1: field \"NOPE\" not found"};
    QTest::newRow("unknown alias") << "[other.\"SPMC00\"]"
                                   << "" << QStringList{"Unknown data set \"other\""};
    QTest::newRow("set never created") << "[closed.\"SPMC00\"]"
                                       << "" << QStringList{"cdsMain: Missing data provider or data packet"};
    QTest::newRow("link without source") << "[empty.\"SPMC00\"]"
                                         << "" << QStringList{"empty: no data source"};
    QTest::newRow("unknown expression") << "a[Pages]b"
                                        << "ab" << QStringList{"Unknown expression \"[Pages]\""};
    QTest::newRow("empty brackets") << "[]"
                                    << "" << QStringList{"Unknown expression \"[]\""};
    QTest::newRow("unterminated") << "a[rptDBDataset1.\"SPMC00\""
                                  << "a[rptDBDataset1.\"SPMC00\""
                                  << QStringList{"Missing \"]\" in \"a[rptDBDataset1.\"SPMC00\"\""};
}

void TstExpression::evaluate()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(QStringList, errors);

    auto open = test::makeSet(QStringLiteral("cdsTmp"), {"SPMC00", "DJ0000", "A]\"B"},
                              {{"梨", "1.00", "no"}, {"苹果", "12.50", "odd"}});
    open->next();
    data::RecordSet closed(QStringLiteral("cdsMain"));
    closed.addFieldDef({QStringLiteral("SPMC00")});
    data::DataSource openSource(open.get());
    data::DataSource closedSource(&closed);
    DataLink main(QStringLiteral("rptDBDataset1"), &openSource);
    DataLink closedLink(QStringLiteral("closed"), &closedSource);
    DataLink empty(QStringLiteral("empty"));
    const DataLinks links{&main, &closedLink, &empty};

    ExpressionContext context;
    context.links = &links;
    context.page = 3;
    context.totalPages = 7;
    context.line = 2;
    context.now = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));

    ErrorList listed;
    QCOMPARE(Expression(text).evaluate(context, listed), expected);
    QCOMPARE(listed.lines(), errors);
}

void TstExpression::fieldAtEofIsEmpty()
{
    auto set = test::makeSet(QStringLiteral("cdsTmp"), {"SPMC00"}, {{"梨"}});
    set->next();
    data::DataSource source(set.get());
    DataLink link(QStringLiteral("rptDBDataset1"), &source);
    const DataLinks links{&link};
    ExpressionContext context;
    context.links = &links;
    ErrorList errors;
    QCOMPARE(evaluateText(QStringLiteral("<[rptDBDataset1.SPMC00]>"), context, errors), QStringLiteral("<>"));
    QVERIFY(errors.isEmpty());
}

QTEST_GUILESS_MAIN(TstExpression)
#include "tst_expression.moc"
