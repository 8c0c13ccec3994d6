// Tests of the designer's editing model: every kind of edit undoes and redoes exactly.
#include "designer/DesignDocument.h"

#include <QtTest>

using namespace lbl;
using designer::Alignment;
using designer::DesignDocument;
using designer::ObjectRef;

namespace {

report::ReportObject text(const QString& name, QRectF box)
{
    report::TextObject t;
    t.text = name;
    return {name, box, t};
}

report::Report fixture()
{
    report::Report r;
    r.dataSets = QStringList{report::defaultDataSetAlias};
    report::Page page = designer::blankPage();
    page.bands[0].objects = {text("A", {2, 2, 10, 5}), text("B", {20, 6, 8, 4}), text("C", {40, 12, 12, 3})};
    report::Band header;
    header.type = report::BandType::PageHeader;
    header.name = "PageHeader1";
    header.topMm = 50;
    header.heightMm = 10;
    page.bands.append(header);
    r.pages = {page};
    r.fileName = "kept.lbt";
    return r;
}

using Edit = std::function<void(DesignDocument&)>;

} // namespace

Q_DECLARE_METATYPE(Edit)

class TstDesignDocument : public QObject
{
    Q_OBJECT

private slots:
    void undoRedo_data();
    void undoRedo();
    void dragIsOneStep();
    void typingMergesIntoOneStep();
    void undoStackIsBounded();
    void modifiedIgnoresFileName();
    void blankPageTakesPaper_data();
    void blankPageTakesPaper();
    void pasteIntoOtherBand();
};

void TstDesignDocument::undoRedo_data()
{
    QTest::addColumn<Edit>("edit");
    auto select = [](DesignDocument& d, QVector<ObjectRef> refs) { d.setSelection(refs); };
    QTest::newRow("add object") << Edit([](DesignDocument& d) {
        d.addObject(1, DesignDocument::defaultObject(report::RectObject{}, {1, 1}));
    });
    QTest::newRow("move") << Edit([=](DesignDocument& d) {
        select(d, {{0, 1}});
        d.moveSelection({1.5, -2});
    });
    QTest::newRow("resize") << Edit([](DesignDocument& d) { d.setObjectBox({0, 2}, {40, 12, 20, 7}); });
    QTest::newRow("delete") << Edit([=](DesignDocument& d) {
        select(d, {{0, 0}, {0, 2}});
        d.deleteSelection();
    });
    QTest::newRow("cut") << Edit([=](DesignDocument& d) {
        select(d, {{0, 1}});
        d.cutSelection();
    });
    QTest::newRow("paste") << Edit([=](DesignDocument& d) {
        select(d, {{0, 0}});
        d.copySelection();
        d.paste(0);
    });
    QTest::newRow("property change") << Edit([=](DesignDocument& d) {
        select(d, {{0, 0}, {0, 1}});
        d.editSelected(
            [](report::ReportObject& o) { std::get<report::TextObject>(o.content).font.bold = true; });
    });
    QTest::newRow("band add master data")
        << Edit([](DesignDocument& d) { d.addBand(report::BandType::MasterData); });
    QTest::newRow("band add page header")
        << Edit([](DesignDocument& d) { d.addBand(report::BandType::PageHeader); });
    QTest::newRow("band add page footer")
        << Edit([](DesignDocument& d) { d.addBand(report::BandType::PageFooter); });
    QTest::newRow("band remove") << Edit([](DesignDocument& d) { d.removeBand(0); });
    QTest::newRow("band resize") << Edit([](DesignDocument& d) { d.setBandHeight(0, 12.5); });
    QTest::newRow("page setup") << Edit([](DesignDocument& d) {
        report::Page setup = d.page();
        setup.setPaper(report::PaperSize::Custom, report::Orientation::Landscape, {50, 30});
        setup.margins = {1, 2, 3, 4};
        setup.columns = {3, 2.5};
        setup.growsWithContent = true;
        d.setPageSetup(setup);
    });
    QTest::newRow("align left") << Edit([=](DesignDocument& d) {
        select(d, {{0, 1}, {0, 0}, {0, 2}});
        d.align(Alignment::Left);
    });
    QTest::newRow("align bottom") << Edit([=](DesignDocument& d) {
        select(d, {{0, 2}, {0, 0}});
        d.align(Alignment::Bottom);
    });
    QTest::newRow("align centres") << Edit([=](DesignDocument& d) {
        select(d, {{0, 0}, {0, 1}});
        d.align(Alignment::VCentre);
    });
    QTest::newRow("distribute") << Edit([=](DesignDocument& d) {
        select(d, {{0, 0}, {0, 1}, {0, 2}});
        d.distribute(Qt::Horizontal);
    });
    QTest::newRow("bring to front") << Edit([=](DesignDocument& d) {
        select(d, {{0, 0}});
        d.bringToFront();
    });
    QTest::newRow("send to back") << Edit([=](DesignDocument& d) {
        select(d, {{0, 2}});
        d.sendToBack();
    });
}

void TstDesignDocument::undoRedo()
{
    QFETCH(Edit, edit);
    report::Report live = fixture();
    DesignDocument doc(live);
    const report::Report before = live;

    edit(doc);
    const report::Report after = live;
    QVERIFY(!(after == before));
    QVERIFY(doc.canUndo());
    QVERIFY(doc.isModified());

    doc.undo();
    QVERIFY(live == before);
    QVERIFY(!doc.isModified());
    QVERIFY(doc.canRedo());

    doc.redo();
    QVERIFY(live == after);
    QCOMPARE(live.fileName, QString("kept.lbt"));
}

void TstDesignDocument::dragIsOneStep()
{
    report::Report live = fixture();
    DesignDocument doc(live);
    const report::Report before = live;
    doc.setSelection({{0, 0}});
    doc.beginEdit();
    for (int i = 0; i < 5; ++i) {
        doc.moveSelection({1, 0});
    }
    doc.endEdit();
    QCOMPARE(doc.undoCount(), qsizetype(1));
    QCOMPARE(live.pages[0].bands[0].objects[0].boxMm.left(), 7.0);
    doc.undo();
    QVERIFY(live == before);
}

void TstDesignDocument::typingMergesIntoOneStep()
{
    report::Report live = fixture();
    DesignDocument doc(live);
    doc.setSelection({{0, 0}});
    for (const QString& typed : QStringList{"x", "xy", "xyz"}) {
        doc.editSelected(
            [&](report::ReportObject& o) { std::get<report::TextObject>(o.content).text = typed; }, "text");
    }
    doc.editSelected([](report::ReportObject& o) { o.boxMm.moveLeft(0); }, "left");
    QCOMPARE(doc.undoCount(), qsizetype(2));
    doc.undo();
    doc.undo();
    QCOMPARE(std::get<report::TextObject>(live.pages[0].bands[0].objects[0].content).text, QString("A"));
}

void TstDesignDocument::undoStackIsBounded()
{
    report::Report live = fixture();
    DesignDocument doc(live);
    doc.setSelection({{0, 0}});
    for (int i = 0; i < DesignDocument::kUndoLimit + 20; ++i) {
        doc.moveSelection({0.1, 0});
    }
    QCOMPARE(doc.undoCount(), DesignDocument::kUndoLimit);
}

void TstDesignDocument::modifiedIgnoresFileName()
{
    report::Report live = fixture();
    DesignDocument doc(live);
    live.fileName = "other.lbt";
    QVERIFY(!doc.isModified());
    doc.setBandHeight(0, 40);
    QVERIFY(doc.isModified());
    doc.markSaved();
    QVERIFY(!doc.isModified());
}

void TstDesignDocument::blankPageTakesPaper_data()
{
    QTest::addColumn<QSizeF>("printerPaper");
    QTest::addColumn<int>("paper");
    QTest::addColumn<QSizeF>("size");
    QTest::newRow("unknown printer paper gives A4")
        << QSizeF() << int(report::PaperSize::A4) << QSizeF(210, 297);
    QTest::newRow("letter") << QSizeF(215.9, 279.4) << int(report::PaperSize::Letter) << QSizeF(215.9, 279.4);
    QTest::newRow("A5 within rounding")
        << QSizeF(148.1, 209.9) << int(report::PaperSize::A5) << QSizeF(148, 210);
    QTest::newRow("unnamed roll") << QSizeF(100, 150) << int(report::PaperSize::Custom) << QSizeF(100, 150);
}

void TstDesignDocument::blankPageTakesPaper()
{
    QFETCH(QSizeF, printerPaper);
    QFETCH(int, paper);
    QFETCH(QSizeF, size);
    report::Report live;
    DesignDocument doc(live);
    doc.ensurePage(printerPaper);
    QCOMPARE(live.pages.size(), qsizetype(1));
    const report::Page& page = live.pages[0];
    QCOMPARE(int(page.paper), paper);
    QCOMPARE(page.orientation, report::Orientation::Portrait);
    QVERIFY(qAbs(page.widthMm - size.width()) < 0.01 && qAbs(page.heightMm - size.height()) < 0.01);
    QCOMPARE(page.margins.leftMm, 10.0);
    QCOMPARE(page.margins.bottomMm, 10.0);
    QVERIFY(live.dataSets.contains(report::defaultDataSetAlias));
    QVERIFY(!doc.isModified());
}

void TstDesignDocument::pasteIntoOtherBand()
{
    report::Report live = fixture();
    DesignDocument doc(live);
    doc.setSelection({{0, 0}, {0, 1}});
    doc.copySelection();
    doc.paste(1);
    const auto& header = live.pages[0].bands[1].objects;
    QCOMPARE(header.size(), qsizetype(2));
    QVERIFY(header[0].name != "A" && header[1].name != "B");
    QCOMPARE(doc.selection(), (QVector<ObjectRef>{{1, 0}, {1, 1}}));
    // Both copies stay inside the 10 mm band.
    for (const auto& o : header) {
        QVERIFY(o.boxMm.bottom() <= 10 + 1e-9);
    }
}

QTEST_MAIN(TstDesignDocument)
#include "tst_designdocument.moc"
