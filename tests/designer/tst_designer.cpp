// Tests of the designer window: file commands, closing, data fields, the mouse and the shown data.
#include "common/RecordingMessageBoxes.h"
#include "designer/DataPanel.h"
#include "designer/DesignCanvas.h"
#include "designer/Designer.h"
#include "designer/PagesView.h"
#include "designer/PropertyPanel.h"
#include "report/TemplateFile.h"

#include <QDoubleSpinBox>
#include <QMimeData>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace lbl;
using designer::Designer;
using designer::ObjectRef;
using Answer = preview::MessageBoxes::Answer;

namespace {

class ScriptedDialogs : public designer::FileDialogs
{
public:
    QString openFile(QWidget*, const QString&, const QString&, const QString&) override
    {
        ++opens;
        return openAnswer;
    }
    QString saveFile(QWidget*, const QString&, const QString& suggested, const QString&) override
    {
        ++saves;
        lastSuggested = suggested;
        return saveAnswer;
    }

    QString openAnswer;
    QString saveAnswer;
    QString lastSuggested;
    int opens = 0;
    int saves = 0;
};

/// Two records of a label's data set, reached under "rptDBDataset1".
struct Data
{
    data::RecordSet set{"cdsMain"};
    data::DataSource source{&set};
    report::DataLink link{report::defaultDataSetAlias, &source};

    explicit Data(bool created = true)
    {
        set.addFieldDef({"SPMC00"});
        set.addFieldDef({"TXM000"});
        if (!created) {
            return;
        }
        set.createDataSet();
        const QStringList rows[] = {{"苹果 Apple", "6901234567892"}, {"Pear", "6909876543210"}};
        for (const QStringList& row : rows) {
            set.append();
            set.setField(0, row[0]);
            set.setField(1, row[1]);
        }
        set.first();
    }
    report::DataLinks links() { return report::DataLinks{&link}; }
};

/// A blank page whose band holds one text at (2, 2) 10 x 5 mm and one at (20, 2) 10 x 5 mm.
report::Report twoTexts()
{
    report::Report r;
    r.dataSets = QStringList{report::defaultDataSetAlias};
    r.pages = {designer::blankPage()};
    report::TextObject a;
    a.text = "[rptDBDataset1.\"SPMC00\"]";
    r.pages[0].bands[0].objects = {{"Memo1", {2, 2, 10, 5}, a},
                                   {"Memo2", {20, 2, 10, 5}, report::TextObject{}}};
    return r;
}

QString objectText(const report::Report& r, qsizetype index)
{
    return std::get<report::TextObject>(r.pages[0].bands[0].objects[index].content).text;
}

} // namespace

class TstDesigner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void blankPageForEmptyReport();
    void saveWithoutName_data();
    void saveWithoutName();
    void saveCancelledWritesNothing();
    void openChangesFileName();
    void openFailureKeepsDesign();
    void closeWithChanges_data();
    void closeWithChanges();
    void closeUnchangedDoesNotAsk();
    void dropField_data();
    void dropField();
    void dataPanelFields_data();
    void dataPanelFields();
    void clickSelects();
    void dragMovesByGridSteps_data();
    void dragMovesByGridSteps();
    void rubberBandSelectsSeveral();
    void arrowKeysMove_data();
    void arrowKeysMove();
    void propertyEditIsUndoable();
    void canvasShowsCurrentRecord();
    void previewHandsPagesOn();

private:
    QTemporaryDir m_dir;
};

void TstDesigner::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void TstDesigner::blankPageForEmptyReport()
{
    report::Report live;
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    Data data;
    Designer designer(live, data.links(), boxes, dialogs);
    QCOMPARE(live.pages.size(), qsizetype(1));
    QCOMPARE(live.pages[0].margins.topMm, 10.0);
    QCOMPARE(live.pages[0].margins.rightMm, 10.0);
    QVERIFY(!designer.document().isModified());
    QVERIFY(designer.confirmClose());
    QVERIFY(boxes.shown.isEmpty());
}

void TstDesigner::saveWithoutName_data()
{
    QTest::addColumn<bool>("viaSave");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("written");
    QTest::newRow("save as") << false << "a.lbt"
                             << "a.lbt";
    QTest::newRow("save without a name acts as save as") << true << "b.lbt"
                                                         << "b.lbt";
    QTest::newRow("extension added") << false << "c"
                                     << "c.lbt";
}

void TstDesigner::saveWithoutName()
{
    QFETCH(bool, viaSave);
    QFETCH(QString, answer);
    QFETCH(QString, written);
    report::Report live = report::sampleReport();
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    dialogs.saveAnswer = m_dir.filePath(answer);
    Data data;
    Designer designer(live, data.links(), boxes, dialogs);
    designer.document().setBandHeight(0, 33);

    QVERIFY(viaSave ? designer.save() : designer.saveAs());
    QCOMPARE(dialogs.saves, 1);
    QCOMPARE(live.fileName, m_dir.filePath(written));
    QVERIFY(!designer.document().isModified());
    report::Report loaded;
    report::ErrorList errors;
    loaded.loadFromFile(m_dir.filePath(written), errors);
    QVERIFY2(errors.isEmpty(), qPrintable(errors.lines().join('\n')));
    QVERIFY(loaded == live);

    // A second Save goes to the same file without asking.
    designer.document().setBandHeight(0, 34);
    QVERIFY(designer.save());
    QCOMPARE(dialogs.saves, 1);
}

void TstDesigner::saveCancelledWritesNothing()
{
    report::Report live = report::sampleReport();
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    Data data;
    Designer designer(live, data.links(), boxes, dialogs);
    designer.document().setBandHeight(0, 33);
    QVERIFY(!designer.save());
    QCOMPARE(dialogs.saves, 1);
    QVERIFY(live.fileName.isEmpty());
    QVERIFY(designer.document().isModified());
}

void TstDesigner::openChangesFileName()
{
    report::Report onDisk = twoTexts();
    const QString path = m_dir.filePath("open.lbt");
    onDisk.saveToFile(path);
    report::Report live = report::sampleReport();
    live.fileName = m_dir.filePath("sample.lbt");
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    dialogs.openAnswer = path;
    Data data;
    Designer designer(live, data.links(), boxes, dialogs);

    QVERIFY(designer.openReport());
    QCOMPARE(live.fileName, path);
    QVERIFY(live == onDisk);
    QVERIFY(!designer.document().canUndo());
    QVERIFY(boxes.shown.isEmpty());
}

void TstDesigner::openFailureKeepsDesign()
{
    report::Report live = twoTexts();
    live.fileName = m_dir.filePath("kept.lbt");
    const report::Report before = live;
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    dialogs.openAnswer = m_dir.filePath("missing/none.lbt");
    Data data;
    Designer designer(live, data.links(), boxes, dialogs);

    QVERIFY(!designer.openReport());
    QVERIFY(live == before);
    QCOMPARE(boxes.shown.size(), qsizetype(1));
    QCOMPARE(boxes.shown[0].kind, QString("error"));
    QVERIFY(boxes.shown[0].text.startsWith("Cannot open file"));
}

void TstDesigner::closeWithChanges_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("writes");
    QTest::newRow("yes saves and closes") << Answer::Yes << true << true;
    QTest::newRow("no closes without writing") << Answer::No << true << false;
    QTest::newRow("cancel stays") << Answer::Cancel << false << false;
}

void TstDesigner::closeWithChanges()
{
    QFETCH(Answer, answer);
    QFETCH(bool, closes);
    QFETCH(bool, writes);
    report::Report live = twoTexts();
    test::RecordingMessageBoxes boxes;
    boxes.answer = answer;
    ScriptedDialogs dialogs;
    const QString path = m_dir.filePath(QStringLiteral("close-%1.lbt").arg(int(answer)));
    dialogs.saveAnswer = path;
    Data data;
    Designer designer(live, data.links(), boxes, dialogs);
    designer.show();
    designer.document().setBandHeight(0, 17);

    designer.reject();
    QCOMPARE(boxes.shown.size(), qsizetype(1));
    QCOMPARE(boxes.shown[0].kind, QString("ask"));
    QCOMPARE(designer.isVisible(), !closes);
    QCOMPARE(QFileInfo::exists(path), writes);
    QCOMPARE(live.fileName, writes ? path : QString());
    // Whatever the answer, the edit stays in the live report.
    QCOMPARE(live.pages[0].bands[0].heightMm, 17.0);
}

void TstDesigner::closeUnchangedDoesNotAsk()
{
    report::Report live = twoTexts();
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    Data data;
    Designer designer(live, data.links(), boxes, dialogs);
    designer.show();
    designer.document().setBandHeight(0, 17);
    designer.document().undo();
    designer.reject();
    QVERIFY(boxes.shown.isEmpty());
    QVERIFY(!designer.isVisible());
}

void TstDesigner::dropField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<QString>("expression");
    QTest::newRow("text") << "SPMC00" << false << "[rptDBDataset1.\"SPMC00\"]";
    QTest::newRow("barcode with ctrl") << "TXM000" << true << "[rptDBDataset1.\"TXM000\"]";
    QTest::newRow("quote in field name") << "A\"B" << false << "[rptDBDataset1.\"A\"\"B\"]";
}

void TstDesigner::dropField()
{
    QFETCH(QString, field);
    QFETCH(bool, ctrl);
    QFETCH(QString, expression);
    report::Report live = twoTexts();
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    Data data;
    Designer designer(live, data.links(), boxes, dialogs);
    designer.show();
    designer::DesignCanvas* canvas = designer.canvas();

    QMimeData mime;
    mime.setData(designer::kFieldMimeType, field.toUtf8());
    const QPointF at = canvas->toWidget(QPointF(15.2, 25.7));
    const Qt::KeyboardModifiers modifiers = ctrl ? Qt::ControlModifier : Qt::NoModifier;
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(canvas, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(canvas, &drop);

    const auto& objects = live.pages[0].bands[0].objects;
    QCOMPARE(objects.size(), qsizetype(3));
    const report::ReportObject& made = objects.last();
    // Dropped on the grid: (15, 26) on the page is (5, 16) in the band at the 10 mm margins.
    QCOMPARE(made.boxMm.topLeft(), QPointF(5, 16));
    if (ctrl) {
        const auto* barcode = std::get_if<report::BarcodeObject>(&made.content);
        QVERIFY(barcode != nullptr);
        QCOMPARE(barcode->data, expression);
        QCOMPARE(barcode->style.symbology, report::Symbology::Code128);
    } else {
        const auto* text = std::get_if<report::TextObject>(&made.content);
        QVERIFY(text != nullptr);
        QCOMPARE(text->text, expression);
    }
    QCOMPARE(designer.document().selection(), (QVector<ObjectRef>{{0, 2}}));
    designer.document().undo();
    QCOMPARE(live.pages[0].bands[0].objects.size(), qsizetype(2));
}

void TstDesigner::dataPanelFields_data()
{
    QTest::addColumn<bool>("created");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("never created") << false << QStringList();
    QTest::newRow("created") << true << QStringList{"SPMC00", "TXM000"};
}

void TstDesigner::dataPanelFields()
{
    QFETCH(bool, created);
    QFETCH(QStringList, fields);
    report::Report live = twoTexts();
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    Data data(created);
    Designer designer(live, data.links(), boxes, dialogs);
    QCOMPARE(designer.dataPanel()->fields(), fields);
}

void TstDesigner::clickSelects()
{
    report::Report live = twoTexts();
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    Data data;
    Designer designer(live, data.links(), boxes, dialogs);
    designer.show();
    designer::DesignCanvas* canvas = designer.canvas();
    const report::Report before = live;

    QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->toWidget({35, 14}).toPoint());
    QCOMPARE(designer.document().selection(), (QVector<ObjectRef>{{0, 1}}));
    QTest::mouseClick(canvas, Qt::LeftButton, Qt::ShiftModifier, canvas->toWidget({15, 14}).toPoint());
    QCOMPARE(designer.document().selection(), (QVector<ObjectRef>{{0, 1}, {0, 0}}));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->toWidget({100, 35}).toPoint());
    QVERIFY(designer.document().selection().isEmpty());
    QVERIFY(live == before);
    QVERIFY(!designer.document().canUndo());
}

void TstDesigner::dragMovesByGridSteps_data()
{
    QTest::addColumn<bool>("snap");
    QTest::addColumn<QPointF>("dragMm");
    QTest::addColumn<QPointF>("expectedTopLeft");
    QTest::newRow("snap rounds to whole steps") << true << QPointF(3.4, 1.6) << QPointF(5, 4);
    QTest::newRow("snap rounds back") << true << QPointF(-1.3, 0.4) << QPointF(1, 2);
    QTest::newRow("without snap") << false << QPointF(3.5, 1.5) << QPointF(5.5, 3.5);
}

void TstDesigner::dragMovesByGridSteps()
{
    QFETCH(bool, snap);
    QFETCH(QPointF, dragMm);
    QFETCH(QPointF, expectedTopLeft);
    report::Report live = twoTexts();
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    Data data;
    Designer designer(live, data.links(), boxes, dialogs);
    designer.show();
    designer::DesignCanvas* canvas = designer.canvas();
    canvas->setZoom(4);
    canvas->setSnap(snap);
    const report::Report before = live;

    const QPointF start(16, 14);
    QTest::mousePress(canvas, Qt::LeftButton, {}, canvas->toWidget(start).toPoint());
    QTest::mouseMove(canvas, canvas->toWidget(start + dragMm / 2).toPoint());
    QTest::mouseMove(canvas, canvas->toWidget(start + dragMm).toPoint());
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, canvas->toWidget(start + dragMm).toPoint());

    const QRectF box = live.pages[0].bands[0].objects[0].boxMm;
    QVERIFY2(qAbs(box.left() - expectedTopLeft.x()) < 0.1 && qAbs(box.top() - expectedTopLeft.y()) < 0.1,
             qPrintable(QStringLiteral("%1, %2").arg(box.left()).arg(box.top())));
    QCOMPARE(box.size(), QSizeF(10, 5));
    QCOMPARE(designer.document().undoCount(), qsizetype(1));
    designer.document().undo();
    QVERIFY(live == before);
}

void TstDesigner::rubberBandSelectsSeveral()
{
    report::Report live = twoTexts();
    live.pages[0].bands[0].objects.append({"Far", {60, 20, 5, 5}, report::RectObject{}});
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    Data data;
    Designer designer(live, data.links(), boxes, dialogs);
    designer.show();
    designer::DesignCanvas* canvas = designer.canvas();

    QTest::mousePress(canvas, Qt::LeftButton, {}, canvas->toWidget({11, 30}).toPoint());
    QTest::mouseMove(canvas, canvas->toWidget({25, 20}).toPoint());
    QTest::mouseMove(canvas, canvas->toWidget({41, 11}).toPoint());
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, canvas->toWidget({41, 11}).toPoint());
    QCOMPARE(designer.document().selection(), (QVector<ObjectRef>{{0, 0}, {0, 1}}));

    // Shift keeps what was selected.
    QTest::mousePress(canvas, Qt::LeftButton, Qt::ShiftModifier, canvas->toWidget({68, 38}).toPoint());
    QTest::mouseMove(canvas, canvas->toWidget({72, 29}).toPoint());
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::ShiftModifier, canvas->toWidget({72, 29}).toPoint());
    QCOMPARE(designer.document().selection(), (QVector<ObjectRef>{{0, 0}, {0, 1}, {0, 2}}));
    QCOMPARE(live.pages[0].bands[0].objects[2].boxMm, QRectF(60, 20, 5, 5));
}

void TstDesigner::arrowKeysMove_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<qreal>("gridMm");
    QTest::addColumn<QPointF>("topLeft");
    QTest::newRow("right by grid step") << int(Qt::Key_Right) << false << 1.0 << QPointF(3, 2);
    QTest::newRow("up by a larger grid step") << int(Qt::Key_Up) << false << 2.5 << QPointF(2, -0.5);
    QTest::newRow("ctrl left by 0.1 mm") << int(Qt::Key_Left) << true << 1.0 << QPointF(1.9, 2);
    QTest::newRow("ctrl down by 0.1 mm") << int(Qt::Key_Down) << true << 5.0 << QPointF(2, 2.1);
}

void TstDesigner::arrowKeysMove()
{
    QFETCH(int, key);
    QFETCH(bool, ctrl);
    QFETCH(qreal, gridMm);
    QFETCH(QPointF, topLeft);
    report::Report live = twoTexts();
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    Data data;
    Designer designer(live, data.links(), boxes, dialogs);
    designer.show();
    designer::DesignCanvas* canvas = designer.canvas();
    canvas->setGridStep(gridMm);
    designer.document().setSelection({{0, 0}});

    QTest::keyClick(canvas, Qt::Key(key), ctrl ? Qt::ControlModifier : Qt::NoModifier);
    const QRectF box = live.pages[0].bands[0].objects[0].boxMm;
    QVERIFY2(qAbs(box.left() - topLeft.x()) < 1e-9 && qAbs(box.top() - topLeft.y()) < 1e-9,
             qPrintable(QStringLiteral("%1, %2").arg(box.left()).arg(box.top())));
    QCOMPARE(live.pages[0].bands[0].objects[1].boxMm.topLeft(), QPointF(20, 2));
}

void TstDesigner::propertyEditIsUndoable()
{
    report::Report live = twoTexts();
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    Data data;
    Designer designer(live, data.links(), boxes, dialogs);
    designer.document().setSelection({{0, 0}, {0, 1}});
    const report::Report before = live;

    designer.propertyPanel()->geometryBox(designer::PropertyPanel::Field::Width)->setValue(12.5);
    QCOMPARE(live.pages[0].bands[0].objects[0].boxMm.width(), 12.5);
    QCOMPARE(live.pages[0].bands[0].objects[1].boxMm.width(), 12.5);
    designer.document().undo();
    QVERIFY(live == before);
}

void TstDesigner::canvasShowsCurrentRecord()
{
    report::Report live = twoTexts();
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    Data data;
    {
        Designer designer(live, data.links(), boxes, dialogs);
        auto shown = [&] {
            return std::get<report::TextObject>(designer.canvas()->preparedView().items[0].content).text;
        };
        QCOMPARE(shown(), QString("苹果 Apple"));
        designer.moveRecord(1);
        QCOMPARE(shown(), QString("Pear"));
        QCOMPARE(designer.canvas()->preparedView().items[0].boxMm, QRectF(12, 12, 10, 5));
    }
    // The designer leaves the program's cursor where it found it.
    QCOMPARE(data.set.recNo(), qsizetype(0));
    QCOMPARE(objectText(live, 0), QString("[rptDBDataset1.\"SPMC00\"]"));
}

void TstDesigner::previewHandsPagesOn()
{
    report::Report live = twoTexts();
    test::RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    Data data;
    Designer designer(live, data.links(), boxes, dialogs);
    report::PreparedReport handed;
    int calls = 0;
    designer.setPagesHandler([&](const report::PreparedReport& pages) {
        handed = pages;
        ++calls;
    });
    designer.showPreview();
    QCOMPARE(calls, 1);
    // Two records of a 30 mm band fit one A4 page.
    QCOMPARE(handed.pages.size(), qsizetype(1));
    QCOMPARE(handed.pages[0].items.size(), qsizetype(4));
    QCOMPARE(designer.pagesView()->pages().pages.size(), qsizetype(1));
    QVERIFY(boxes.shown.isEmpty());
}

QTEST_MAIN(TstDesigner)
#include "tst_designer.moc"
