// The preview pane and the engine's preview: the 50 ms timer, re-entrance, navigation, zoom, errors.
#include "common/RecordingMessageBoxes.h"
#include "preview/PreviewPane.h"
#include "preview/ReportEngine.h"
#include "report/ReportFixtures.h"

#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using lbl::preview::PreviewPane;
using lbl::preview::ReportEngine;
using lbl::report::test::makeSet;
using lbl::test::RecordingMessageBoxes;

namespace {

// One page of `sizeMm` per record, showing the field NAME.
lbl::report::Report nameReport(QSizeF sizeMm = QSizeF(50, 40))
{
    using namespace lbl::report;
    Report report;
    report.dataSets = QStringList{defaultDataSetAlias};
    Page page;
    page.setPaper(PaperSize::Custom, Orientation::Portrait, sizeMm);
    page.margins = Margins{};
    page.growsWithContent = true;
    Band band;
    band.type = BandType::MasterData;
    band.dataSet = defaultDataSetAlias;
    band.heightMm = 10;
    band.objects.append(test::textObject(QStringLiteral("Name"), QRectF(2, 2, 40, 6),
                                         QStringLiteral("[rptDBDataset1.\"NAME\"]")));
    page.bands.append(band);
    report.pages.append(page);
    return report;
}

std::unique_ptr<lbl::data::RecordSet> names(const QString& setName, int count)
{
    QVector<QStringList> rows;
    for (int i = 1; i <= count; ++i) {
        rows.append(QStringList{QStringLiteral("N%1").arg(i)});
    }
    return makeSet(setName, {QStringLiteral("NAME")}, rows);
}

QString shownName(PreviewPane& pane)
{
    const lbl::report::PreparedPage* page = pane.shownPage();
    if (page == nullptr) {
        return QString();
    }
    for (const lbl::report::PreparedItem& item : page->items) {
        if (const auto* text = std::get_if<lbl::report::TextObject>(&item.content)) {
            return text->text;
        }
    }
    return QString();
}

lbl::report::PreparedReport preparedNames(int count)
{
    const auto set = names(QStringLiteral("cdsPages"), count);
    lbl::data::DataSource source(set.get());
    lbl::report::DataLink link(lbl::report::defaultDataSetAlias, &source);
    lbl::report::ErrorList errors;
    return lbl::report::prepare(nameReport(), lbl::report::DataLinks{&link}, errors);
}

// Boxes that run a callback while the engine's box is up, as the box's own event loop could.
class ReenteringBoxes : public RecordingMessageBoxes
{
public:
    void showEngineErrors(const QString& title, const QStringList& errors) override
    {
        RecordingMessageBoxes::showEngineErrors(title, errors);
        if (whileShown) {
            whileShown();
        }
    }
    std::function<void()> whileShown;
};

} // namespace

class TstPreviewPane : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void preparedAfterTheCallReturns();
    void requestWhilePreparingDoesNothing();
    void navigation_data();
    void navigation();
    void snapshotHoldsFewPages();
    void fitZoom_data();
    void fitZoom();
    void zoomIsKept();
    void neverCreatedDataSet();
    void unreadableTemplateIsListed();
    void unopenableTemplateThrows();
};

void TstPreviewPane::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TstPreviewPane::init()
{
    // Each test starts from the default zoom.
    QFile::remove(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                  + QStringLiteral("/labelprint/engine.conf"));
}

void TstPreviewPane::preparedAfterTheCallReturns()
{
    const auto cdsTmp = names(QStringLiteral("cdsTmp"), 1);
    lbl::data::DataSource dsTmp(cdsTmp.get());
    RecordingMessageBoxes boxes;
    ReportEngine engine(boxes);
    engine.report() = nameReport();
    engine.dataLink().setSource(&dsTmp);
    PreviewPane pane;
    pane.setPages(preparedNames(3));
    QSignalSpy ready(&engine, &ReportEngine::previewReady);

    engine.showPreview(&pane);
    // Bound at once, and empty until the timer prepared the pages.
    QCOMPARE(pane.pageCount(), 0);
    QCOMPARE(ready.count(), 0);
    QVERIFY(!engine.isPreparing());

    QVERIFY(ready.wait(5000));
    QCOMPARE(pane.pageCount(), 1);
    QCOMPARE(shownName(pane), QStringLiteral("N1"));
    QCOMPARE(pane.pageText(), QStringLiteral("Page 1 of 1"));
    QVERIFY(boxes.shown.isEmpty());
}

void TstPreviewPane::requestWhilePreparingDoesNothing()
{
    const auto cdsTmp = names(QStringLiteral("cdsTmp"), 1);
    lbl::data::DataSource dsTmp(cdsTmp.get());
    ReenteringBoxes boxes;
    ReportEngine engine(boxes);
    engine.report() = nameReport();
    // A second object reading an unknown field makes the preparation show its box.
    engine.report().pages[0].bands[0].objects.append(lbl::report::test::textObject(
        QStringLiteral("Bad"), QRectF(2, 20, 40, 6), QStringLiteral("[rptDBDataset1.\"MISSING\"]")));
    engine.dataLink().setSource(&dsTmp);
    PreviewPane pane;
    PreviewPane other;
    other.setPages(preparedNames(2));
    bool wasPreparing = false;
    boxes.whileShown = [&] {
        wasPreparing = engine.isPreparing();
        engine.showPreview(&other);
    };
    QSignalSpy ready(&engine, &ReportEngine::previewReady);

    engine.showPreview(&pane);
    QVERIFY(ready.wait(5000));
    QCOMPARE(boxes.shown.size(), 1);
    QVERIFY(wasPreparing);
    QCOMPARE(pane.pageCount(), 1);
    // Not bound, so not cleared.
    QCOMPARE(other.pageCount(), 2);
    QVERIFY(!engine.isPreparing());
}

void TstPreviewPane::navigation_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("page");

    QTest::newRow("starts at the first") << QStringList{} << 0;
    QTest::newRow("next") << QStringList{"next"} << 1;
    QTest::newRow("next twice") << QStringList{"next", "next"} << 2;
    QTest::newRow("last") << QStringList{"last"} << 4;
    QTest::newRow("next stops at the last") << QStringList{"last", "next"} << 4;
    QTest::newRow("previous stops at the first") << QStringList{"previous"} << 0;
    QTest::newRow("previous from the last") << QStringList{"last", "previous"} << 3;
    QTest::newRow("first from the last") << QStringList{"last", "first"} << 0;
}

void TstPreviewPane::navigation()
{
    QFETCH(QStringList, steps);
    QFETCH(int, page);

    PreviewPane pane;
    pane.setPages(preparedNames(5));
    for (const QString& step : steps) {
        const QByteArray name = step.toLatin1() + "Page";
        QVERIFY(QMetaObject::invokeMethod(&pane, name.constData()));
    }
    QCOMPARE(pane.currentPage(), page);
    QCOMPARE(pane.pageText(), QStringLiteral("Page %1 of 5").arg(page + 1));
    QCOMPARE(shownName(pane), QStringLiteral("N%1").arg(page + 1));
}

void TstPreviewPane::snapshotHoldsFewPages()
{
    const auto cdsMain = names(QStringLiteral("cdsMain"), 1000);
    PreviewPane pane;
    pane.setSnapshot(nameReport(), lbl::report::defaultDataSetAlias, cdsMain.get(), 1000);
    QCOMPARE(pane.pageCount(), 1000);
    for (const qsizetype index :
         {qsizetype(499), qsizetype(500), qsizetype(501), qsizetype(999), qsizetype(0)}) {
        pane.setCurrentPage(index);
        QCOMPARE(shownName(pane), QStringLiteral("N%1").arg(index + 1));
        QVERIFY(pane.heldPages() <= PreviewPane::cacheLimit);
    }
    // The snapshot is a copy: the record set may change or go after the run.
    cdsMain->moveTo(3);
    cdsMain->setField(0, QStringLiteral("changed"));
    pane.setCurrentPage(3);
    QCOMPARE(shownName(pane), QStringLiteral("N4"));
}

void TstPreviewPane::fitZoom_data()
{
    QTest::addColumn<QSizeF>("pageMm");
    QTest::addColumn<bool>("widthBound");

    QTest::newRow("wide label fills the width") << QSizeF(80, 20) << true;
    QTest::newRow("tall label fills the height") << QSizeF(30, 80) << false;
}

void TstPreviewPane::fitZoom()
{
    QFETCH(QSizeF, pageMm);
    QFETCH(bool, widthBound);

    const auto set = names(QStringLiteral("cdsTmp"), 1);
    lbl::data::DataSource source(set.get());
    lbl::report::DataLink link(lbl::report::defaultDataSetAlias, &source);
    lbl::report::ErrorList errors;
    PreviewPane pane;
    pane.resize(273, 252);
    pane.show();
    pane.setPages(lbl::report::prepare(nameReport(pageMm), lbl::report::DataLinks{&link}, errors));
    QVERIFY(pane.fitsPage());

    const QSize drawn = pane.drawnPageSize();
    QVERIFY(!drawn.isEmpty());
    // Room left beside the page: the desk margin on each side (and the small tool row above), no more.
    const int slackW = 273 - drawn.width();
    const int slackH = 252 - drawn.height();
    QVERIFY2(slackW >= 0 && slackH >= 0,
             qPrintable(QStringLiteral("%1 x %2").arg(drawn.width()).arg(drawn.height())));
    QVERIFY2((widthBound ? slackW : slackH) <= 40, qPrintable(QString::number(widthBound ? slackW : slackH)));
    QVERIFY((widthBound ? slackH : slackW) > 40);

    const qreal fitted = pane.zoom();
    pane.zoomIn();
    QVERIFY(!pane.fitsPage());
    QVERIFY(pane.zoom() > fitted);
    QVERIFY(pane.drawnPageSize().width() > drawn.width());
    pane.zoomToFit();
    QVERIFY(pane.fitsPage());
    QCOMPARE(pane.drawnPageSize(), drawn);
}

void TstPreviewPane::zoomIsKept()
{
    qreal zoomed = 0;
    {
        PreviewPane pane;
        pane.setPages(preparedNames(1));
        pane.zoomIn();
        pane.zoomIn();
        zoomed = pane.zoom();
    }
    PreviewPane again;
    QVERIFY(!again.fitsPage());
    QCOMPARE(again.zoom(), zoomed);
    again.zoomToFit();
    PreviewPane fitted;
    QVERIFY(fitted.fitsPage());
}

void TstPreviewPane::neverCreatedDataSet()
{
    lbl::data::RecordSet cdsTmp(QStringLiteral("cdsTmp"));
    lbl::data::FieldDef def;
    def.name = QStringLiteral("NAME");
    cdsTmp.addFieldDef(def);
    lbl::data::DataSource dsTmp(&cdsTmp);
    RecordingMessageBoxes boxes;
    ReportEngine engine(boxes);
    engine.report() = nameReport();
    // Two bands over the same set: still one line.
    engine.report().pages[0].bands.append(engine.report().pages[0].bands[0]);
    engine.dataLink().setSource(&dsTmp);
    PreviewPane pane;
    QSignalSpy ready(&engine, &ReportEngine::previewReady);

    engine.showPreview(&pane);
    QVERIFY(ready.wait(5000));
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown.first().kind, QStringLiteral("engine"));
    QCOMPARE(boxes.shown.first().text, QStringLiteral("cdsTmp: Missing data provider or data packet"));
    QCOMPARE(pane.pageCount(), 0);
}

void TstPreviewPane::unreadableTemplateIsListed()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("broken.lbt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<not a template");
    file.close();
    RecordingMessageBoxes boxes;
    ReportEngine engine(boxes);

    engine.loadFromFile(path);
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown.first().kind, QStringLiteral("engine"));
    QVERIFY(!boxes.shown.first().text.isEmpty());
    QCOMPARE(engine.report().fileName, path);
}

void TstPreviewPane::unopenableTemplateThrows()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    RecordingMessageBoxes boxes;
    ReportEngine engine(boxes);
    engine.report() = nameReport();

    QVERIFY_THROWS_EXCEPTION(lbl::report::TemplateError, engine.loadFromFile(dir.filePath("missing.lbt")));
    QVERIFY(boxes.shown.isEmpty());
    QVERIFY(engine.report().pages.isEmpty());
}

QTEST_MAIN(TstPreviewPane)
#include "tst_previewpane.moc"
