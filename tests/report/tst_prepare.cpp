// Page preparation: records into pages, page breaks, growing pages, label columns, header and footer.
#include "report/Prepare.h"
#include "report/ReportFixtures.h"

#include <QtTest>

using namespace lbl;
using namespace lbl::report;

namespace {

struct Layout
{
    QSizeF pageMm;
    Margins margins;
    bool grows = false;
    Columns columns;
    qreal headerMm = 0; ///< 0: no header band
    qreal bandMm = 10;
    qreal footerMm = 0; ///< 0: no footer band
};

Layout lay(QSizeF pageMm, Margins margins = Margins(), bool grows = false, Columns columns = Columns(),
           qreal headerMm = 0, qreal bandMm = 10, qreal footerMm = 0)
{
    Layout l;
    l.pageMm = pageMm;
    l.margins = margins;
    l.grows = grows;
    l.columns = columns;
    l.headerMm = headerMm;
    l.bandMm = bandMm;
    l.footerMm = footerMm;
    return l;
}

// A text with the record's field at (1, 1) of the master band; header and footer texts give the
// page numbers.
Report layoutReport(const Layout& l)
{
    Report report;
    Page page;
    page.setPaper(PaperSize::Custom, Orientation::Portrait, l.pageMm);
    page.margins = l.margins;
    page.growsWithContent = l.grows;
    page.columns = l.columns;
    if (l.headerMm > 0) {
        Band header;
        header.type = BandType::PageHeader;
        header.heightMm = l.headerMm;
        header.objects.append(test::textObject("H", QRectF(0, 0, 20, 3), "H[Page#]/[TotalPages#]"));
        page.bands.append(header);
    }
    Band master;
    master.dataSet = defaultDataSetAlias;
    master.heightMm = l.bandMm;
    master.objects.append(test::textObject("T", QRectF(1, 1, 10, 3), "[rptDBDataset1.\"NAME\"]"));
    page.bands.append(master);
    if (l.footerMm > 0) {
        Band footer;
        footer.type = BandType::PageFooter;
        footer.heightMm = l.footerMm;
        footer.objects.append(test::textObject("F", QRectF(0, 0, 20, 3), "F[Page#]"));
        page.bands.append(footer);
    }
    report.pages.append(page);
    return report;
}

QString textOf(const PreparedItem& item)
{
    const auto* text = std::get_if<TextObject>(&item.content);
    return text != nullptr ? text->text : QString();
}

// "R1@1,1" per item: text and top-left corner.
QString describe(const PreparedPage& page)
{
    QStringList parts;
    for (const PreparedItem& item : page.items) {
        parts.append(QStringLiteral("%1@%2,%3").arg(textOf(item)).arg(item.boxMm.x()).arg(item.boxMm.y()));
    }
    return parts.join(' ');
}

struct Run
{
    std::unique_ptr<data::RecordSet> set;
    data::DataSource source;
    DataLink link{defaultDataSetAlias};

    explicit Run(int records)
        : set(test::makeSet(QStringLiteral("cdsTmp"), {"NAME"}, test::numberedRows(records)))
        , source(set.get())
    {
        link.setSource(&source);
    }
};

} // namespace

Q_DECLARE_METATYPE(Layout)

class TstPrepare : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void sampleGivesOneLabelPerRecord();
    void setNeverCreated_data();
    void setNeverCreated();
    void unknownFieldAndAlias();
    void bandWithoutDataSetPrintsOnce();
    void emptySetGivesNoPage();
    void lineNumbersAndBarcodes();
    void sinkCanStop();
};

void TstPrepare::layout_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<int>("records");
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<QVector<qreal>>("heightsMm");

    QTest::newRow("one page") << lay({50, 40}) << 2 << QStringList{"R1@1,1 R2@1,11"} << QVector<qreal>{40};
    QTest::newRow("page break when the band no longer fits")
        << lay({50, 30}) << 4 << QStringList{"R1@1,1 R2@1,11 R3@1,21", "R4@1,1"} << QVector<qreal>{30, 30};
    QTest::newRow("band fits exactly to the bottom margin")
        << lay({50, 32}, {0, 1, 0, 1}) << 4 << QStringList{"R1@1,2 R2@1,12 R3@1,22", "R4@1,2"}
        << QVector<qreal>{32, 32};
    QTest::newRow("margins, header and footer")
        << lay({50, 50}, {2, 3, 0, 4}, false, Columns(), 5, 10, 6) << 4
        << QStringList{"H1/2@2,3 R1@3,9 R2@3,19 R3@3,29 F1@2,40", "H2/2@2,3 R4@3,9 F2@2,40"}
        << QVector<qreal>{50, 50};
    QTest::newRow("label columns fill down, then across")
        << lay({100, 20}, {0, 0, 0, 0}, false, {3, 5}) << 7
        << QStringList{"R1@1,1 R2@1,11 R3@36,1 R4@36,11 R5@71,1 R6@71,11", "R7@1,1"}
        << QVector<qreal>{20, 20};
    QTest::newRow("band taller than the page prints one per page")
        << lay({50, 20}, Margins(), false, Columns(), 0, 30) << 2 << QStringList{"R1@1,1", "R2@1,1"}
        << QVector<qreal>{20, 20};
    QTest::newRow("growing page: one record per page")
        << lay({50, 40}, Margins(), true, Columns(), 0, 38) << 3 << QStringList{"R1@1,1", "R2@1,1", "R3@1,1"}
        << QVector<qreal>{40, 40, 40};
    QTest::newRow("growing page grows for a tall band")
        << lay({50, 20}, {1, 2, 1, 3}, true, Columns(), 4, 30, 5) << 1
        << QStringList{"H1/1@1,2 R1@2,7 F1@1,36"} << QVector<qreal>{44};
    QTest::newRow("growing page with columns: one row per page")
        << lay({100, 20}, Margins(), true, {2, 10}, 0, 15) << 3 << QStringList{"R1@1,1 R2@56,1", "R3@1,1"}
        << QVector<qreal>{20, 20};
}

void TstPrepare::layout()
{
    QFETCH(Layout, layout);
    QFETCH(int, records);
    QFETCH(QStringList, pages);
    QFETCH(QVector<qreal>, heightsMm);

    Run run(records);
    ErrorList errors;
    const Report report = layoutReport(layout);
    const PreparedReport prepared = prepare(report, DataLinks{&run.link}, errors);
    QCOMPARE(errors.lines(), QStringList());
    QStringList got;
    QVector<qreal> heights;
    for (const PreparedPage& page : prepared.pages) {
        got.append(describe(page));
        heights.append(page.sizeMm.height());
        QCOMPARE(page.sizeMm.width(), layout.pageMm.width());
    }
    QCOMPARE(got, pages);
    QCOMPARE(heights, heightsMm);
    QCOMPARE(countPages(report, DataLinks{&run.link}, errors), qsizetype(pages.size()));
}

void TstPrepare::sampleGivesOneLabelPerRecord()
{
    auto set = test::makeSet(QStringLiteral("cdsMain"), {"SPMC00", "DJ0000", "TXM000"}, {});
    for (int i = 0; i < 20; ++i) {
        set->append();
        set->setField(0, QStringLiteral("Item %1").arg(i + 1));
        set->setField(1, QStringLiteral("%1.50").arg(i));
        set->setField(2, QStringLiteral("69012345678%1").arg(i, 2, 10, QLatin1Char('0')));
    }
    data::DataSource source(set.get());
    DataLink link(defaultDataSetAlias, &source);
    ErrorList errors;
    const PreparedReport prepared = prepare(sampleReport(), DataLinks{&link}, errors);
    QCOMPARE(errors.lines(), QStringList());
    QCOMPARE(prepared.pages.size(), 20);
    for (int i = 0; i < 20; ++i) {
        const PreparedPage& page = prepared.pages.at(i);
        QCOMPARE(page.sizeMm, QSizeF(50, 40));
        QCOMPARE(page.items.size(), 3);
        QCOMPARE(textOf(page.items.at(0)), QStringLiteral("Item %1").arg(i + 1));
        QCOMPARE(textOf(page.items.at(1)), QStringLiteral("\uFFE5%1.50").arg(i));
        const auto* code = std::get_if<BarcodeObject>(&page.items.at(2).content);
        QVERIFY(code != nullptr);
        QCOMPARE(code->data, QStringLiteral("69012345678%1").arg(i, 2, 10, QLatin1Char('0')));
        QVERIFY(page.items.at(2).symbol.isValid());
        QCOMPARE(page.items.at(2).boxMm, QRectF(6, 17, 34.9, 17));
    }
}

void TstPrepare::setNeverCreated_data()
{
    QTest::addColumn<QString>("setName");
    QTest::newRow("preview set") << "cdsTmp";
    QTest::newRow("main set") << "cdsMain";
}

void TstPrepare::setNeverCreated()
{
    QFETCH(QString, setName);
    data::RecordSet set(setName);
    set.addFieldDef({QStringLiteral("SPMC00")});
    data::DataSource source(&set);
    DataLink link(defaultDataSetAlias, &source);
    ErrorList errors;
    const PreparedReport prepared = prepare(sampleReport(), DataLinks{&link}, errors);
    QCOMPARE(prepared.pages.size(), 0);
    QCOMPARE(errors.lines(), QStringList{setName + ": Missing data provider or data packet"});
}

void TstPrepare::unknownFieldAndAlias()
{
    Report report = layoutReport(lay({50, 40}));
    Band& band = report.pages[0].bands[0];
    band.objects.append(test::textObject("U", QRectF(0, 5, 10, 3), "<[rptDBDataset1.\"NOPE\"]>"));
    band.objects.append(test::textObject("A", QRectF(0, 8, 10, 3), "[stock.\"NAME\"]"));
    Run run(3);
    ErrorList errors;
    const PreparedReport prepared = prepare(report, DataLinks{&run.link}, errors);
    QCOMPARE(errors.lines(),
             (QStringList{"rptDBDataset1: field \"NOPE\" not found", "Unknown data set \"stock\""}));
    QCOMPARE(prepared.pages.size(), 1);
    QCOMPARE(textOf(prepared.pages[0].items.at(1)), QStringLiteral("<>"));

    Report unknownSet = layoutReport(lay({50, 40}));
    unknownSet.pages[0].bands[0].dataSet = QStringLiteral("stock");
    errors.clear();
    QCOMPARE(prepare(unknownSet, DataLinks{&run.link}, errors).pages.size(), 0);
    QCOMPARE(errors.lines(), QStringList{"Unknown data set \"stock\""});
}

void TstPrepare::bandWithoutDataSetPrintsOnce()
{
    Report report = layoutReport(lay({50, 40}));
    report.pages[0].bands[0].dataSet.clear();
    report.pages[0].bands[0].objects[0] = test::textObject("T", QRectF(1, 1, 10, 3), "fixed [Page#]");
    ErrorList errors;
    const PreparedReport prepared = prepare(report, DataLinks{}, errors);
    QCOMPARE(prepared.pages.size(), 1);
    QCOMPARE(describe(prepared.pages[0]), QStringLiteral("fixed 1@1,1"));
    QVERIFY(errors.isEmpty());
}

void TstPrepare::emptySetGivesNoPage()
{
    Run run(0);
    ErrorList errors;
    QCOMPARE(prepare(layoutReport(lay({50, 40}, Margins(), false, Columns(), 5, 10, 5)), DataLinks{&run.link},
                     errors)
                 .pages.size(),
             0);
    QVERIFY(errors.isEmpty());
}

void TstPrepare::lineNumbersAndBarcodes()
{
    Report report = layoutReport(lay({50, 100}));
    Band& band = report.pages[0].bands[0];
    band.objects[0] = test::textObject("T", QRectF(1, 1, 10, 3), "[Line#]");
    BarcodeObject ean;
    ean.style.symbology = Symbology::Ean13;
    ean.data = QStringLiteral("[rptDBDataset1.NAME]");
    band.objects.append({QStringLiteral("B"), QRectF(0, 4, 30, 5), ean});
    Run run(2);
    ErrorList errors;
    const PreparedReport prepared = prepare(report, DataLinks{&run.link}, errors);
    QCOMPARE(prepared.pages.size(), 1);
    QCOMPARE(textOf(prepared.pages[0].items.at(0)), QStringLiteral("1"));
    QCOMPARE(textOf(prepared.pages[0].items.at(2)), QStringLiteral("2"));
    QVERIFY(!prepared.pages[0].items.at(1).symbol.isValid());
    QCOMPARE(errors.size(), 2); // "R1" and "R2" are no EAN-13 data
    QVERIFY2(errors.lines().first().contains(QLatin1String("\"R1\"")), qPrintable(errors.lines().first()));
}

void TstPrepare::sinkCanStop()
{
    Run run(10);
    ErrorList errors;
    QVector<qsizetype> seen;
    const qsizetype handed = preparePages(layoutReport(lay({50, 10})), DataLinks{&run.link}, errors,
                                          [&seen](const PreparedPage&, qsizetype index, qsizetype total) {
                                              seen.append(index);
                                              return !(index == 2 && total == 10);
                                          });
    QCOMPARE(handed, qsizetype(3));
    QCOMPARE(seen, (QVector<qsizetype>{0, 1, 2}));
}

QTEST_MAIN(TstPrepare)
#include "tst_prepare.moc"
