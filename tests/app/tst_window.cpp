// The main window: its layout, the printer list and its persistence, against a private CUPS server.
#include "app/Tfrm_barcode.h"
#include "common/CupsServer.h"
#include "common/PdfTools.h"
#include "common/RecordingMessageBoxes.h"
#include "report/Report.h"

#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using lbl::test::CupsServer;
using lbl::test::RecordingMessageBoxes;

namespace {

/// Stands in for the modal designer: runs the test's edits on the live report.
class ScriptedDesigner : public lbl::designer::DesignerLauncher
{
public:
    void design(lbl::preview::ReportEngine& engine, QWidget*) override
    {
        ++runs;
        seenSet = engine.dataLink().recordSet();
        if (action) {
            action(engine);
        }
    }

    std::function<void(lbl::preview::ReportEngine&)> action;
    int runs = 0;
    lbl::data::RecordSet* seenSet = nullptr;
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TstWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void layout_data();
    void layout();
    void windowAndLists();
    void startupSelection_data();
    void startupSelection();
    void pickWritesAtOnce();
    void windowsShareTheFile();
    void refusedWriteShowsErrorAndGoesOn();
    void startupImport_data();
    void startupImport();
    void slotPreviewWithoutWorkbook();
    void printCommandPrintsEveryRecord();
    void designRun_data();
    void designRun();
    void unsavedDesignEditIsPrinted();
    void refusedSlotWriteAfterDesign();

private:
    std::unique_ptr<Tfrm_barcode> makeWindow();
    void startServer(const QString& defaultQueue);

    RecordingMessageBoxes m_boxes;
    lbl::data::ServerFactory m_serverFactory;
    ScriptedDesigner m_designer;
    void writeSettings(const QByteArray& text);
    /// Copies a fixture into the program folder under `name`.
    bool placeBesideProgram(const QString& fixture, const QString& name);
    std::unique_ptr<QTemporaryDir> m_dir;
    CupsServer m_server;
};

void TstWindow::init()
{
    m_boxes.shown.clear();
    m_serverFactory = nullptr;
    m_designer = ScriptedDesigner();
    m_dir = std::make_unique<QTemporaryDir>();
}

std::unique_ptr<Tfrm_barcode> TstWindow::makeWindow()
{
    const QString program = m_dir->filePath("labelprint");
    WindowContext context;
    context.boxes = &m_boxes;
    context.programFile = [program] { return program; };
    context.serverFactory = m_serverFactory;
    context.designer = &m_designer;
    return std::make_unique<Tfrm_barcode>(context);
}

void TstWindow::startServer(const QString& defaultQueue)
{
    LBL_START_CUPS(m_server);
    for (const QString& queue :
         {QStringLiteral("Office"), QStringLiteral("LabelZebra"), QStringLiteral("Alpha")}) {
        QVERIFY2(m_server.addPdfQueue(queue), qPrintable(m_server.errorString()));
    }
    if (!defaultQueue.isEmpty()) {
        QVERIFY2(m_server.setDefault(defaultQueue), qPrintable(m_server.errorString()));
    }
}

void TstWindow::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("key");

    struct SlotRow
    {
        const char* key;
        const char* name;
        const char* caption;
        int left;
        int top;
    };
    const SlotRow table[] = {
        {"LAB_BQTM01", "btnBtn1", "标签打印（30X40）", 14, 32},
        {"LAB_BQTM02", "btnBtn2", "标签套打样式（55X30）", 14, 75},
        {"LAB_BQTM03", "btnBtn3", "标签套打样式（70X38）", 14, 118},
        {"LAB_BQTM04", "btnBtn4", "标签打印样式4", 14, 161},
        {"LAB_BQTM05", "btnBtn5", "标签打印样式6", 14, 204},
        {"LAB_BQTM06", "btnBtn6", "标签打印样式8", 14, 247},
        {"LAB_BQTM07", "Button2", "标签打印样式1", 186, 32},
        {"LAB_BQTM08", "btnBtn8", "标签打印样式2", 186, 75},
        {"LAB_BQTM09", "btnBtn9", "标签打印样式3", 185, 118},
        {"LAB_BQTM10", "btnBtn10", "标签打印样式5", 185, 161},
        {"LAB_BQTM11", "btnBtn11", "标签打印样式7", 185, 204},
        {"LAB_BQTM12", "btnBtn12", "标签打印样式9", 185, 247},
    };
    for (const SlotRow& slot : table) {
        QTest::newRow(slot.name) << slot.name << QRect(slot.left, slot.top, 171, 37)
                                 << QString::fromUtf8(slot.caption) << slot.key;
    }
    QTest::newRow("rptPreview1") << "rptPreview1" << QRect(363, 32, 273, 252) << QString() << QString();
    QTest::newRow("Label1") << "Label1" << QRect(16, 344, 60, 17) << "打印机：" << QString();
    QTest::newRow("cbb_print") << "cbb_print" << QRect(79, 339, 162, 26) << QString() << QString();
    QTest::newRow("Label2") << "Label2" << QRect(264, 343, 76, 17) << "操作方式：" << QString();
    QTest::newRow("cbb_PVD") << "cbb_PVD" << QRect(342, 339, 131, 26) << "打印" << QString();
    QTest::newRow("BitBtn1") << "BitBtn1" << QRect(488, 339, 145, 26) << "标签打印" << QString();
}

void TstWindow::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QString, key);

    const auto window = makeWindow();
    auto* widget = window->tsBQDY->findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->parentWidget(), window->tsBQDY);
    QCOMPARE(widget->geometry(), geometry);
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QCOMPARE(button->text(), caption);
        QCOMPARE(Tfrm_barcode::slotKey(button), key);
        QVERIFY(button->toolTip().isEmpty());
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        QCOMPARE(label->text(), caption);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        QCOMPARE(combo->currentText(), caption);
        QVERIFY(!combo->isEditable());
    }
}

void TstWindow::windowAndLists()
{
    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->windowTitle(), QString::fromUtf8("标签设计打印"));
    QCOMPARE(window->size(), QSize(660, 449));
    QVERIFY(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    window->resize(800, 600);
    QCOMPARE(window->size(), QSize(660, 449));

    QCOMPARE(window->PageControl1->currentWidget(), window->tsBQDY);
    QVERIFY(!window->PageControl1->tabBar()->isVisible());

    QCOMPARE(window->cbb_PVD->count(), 2);
    QCOMPARE(window->cbb_PVD->itemText(0), QString::fromUtf8("打印"));
    QCOMPARE(window->cbb_PVD->itemData(0).toString(), "P");
    QCOMPARE(window->cbb_PVD->itemText(1), QString::fromUtf8("设计"));
    QCOMPARE(window->cbb_PVD->itemData(1).toString(), "D");
    QCOMPARE(window->cbb_PVD->currentIndex(), 0);

    const QList<QPushButton*> slotButtons = window->slotButtons();
    QCOMPARE(slotButtons.size(), 12);
    for (qsizetype i = 0; i < slotButtons.size(); ++i) {
        QCOMPARE(Tfrm_barcode::slotKey(slotButtons[i]),
                 QStringLiteral("LAB_BQTM%1").arg(i + 1, 2, 10, QLatin1Char('0')));
    }
}

void TstWindow::startupSelection_data()
{
    QTest::addColumn<QString>("defaultQueue");
    QTest::addColumn<QByteArray>("settings"); // empty: no settings file
    QTest::addColumn<QString>("selected");    // empty: nothing selected

    QTest::newRow("no settings file: the default") << "LabelZebra" << QByteArray() << "LabelZebra";
    QTest::newRow("saved printer, other case")
        << "Office" << QByteArray("[LAB]\nLAB_PRINT0=labelzebra\n") << "LabelZebra";
    QTest::newRow("saved printer no longer installed")
        << "Office" << QByteArray("[LAB]\nLAB_PRINT0=Godex G500\n") << QString();
    QTest::newRow("no default, nothing saved") << QString() << QByteArray() << QString();
    QTest::newRow("no default, saved printer installed")
        << QString() << QByteArray("[lab]\nlab_print0=ALPHA\n") << "Alpha";
}

void TstWindow::startupSelection()
{
    QFETCH(QString, defaultQueue);
    QFETCH(QByteArray, settings);
    QFETCH(QString, selected);

    startServer(defaultQueue);
    const QString iniPath = m_dir->filePath("myini.ini");
    if (!settings.isEmpty()) {
        QFile file(iniPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(settings);
    }

    const auto window = makeWindow();
    QCOMPARE(window->cbb_print->count(), 3);
    QCOMPARE(window->cbb_print->itemText(0), "Alpha");
    QCOMPARE(window->cbb_print->currentText(), selected);
    QCOMPARE(window->cbb_print->currentIndex() >= 0, !selected.isEmpty());
    QVERIFY2(m_boxes.shown.isEmpty(), qPrintable(m_boxes.texts().join('\n')));
    QCOMPARE(window->exePath(), m_dir->path() + '/');
    // The start-up selection is not a user's pick: nothing is written.
    QCOMPARE(readAll(iniPath), settings);
    QCOMPARE(QFile::exists(iniPath), !settings.isEmpty());
}

void TstWindow::pickWritesAtOnce()
{
    startServer("Office");
    {
        const auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->cbb_print->setFocus();
        QTest::keyClicks(window->cbb_print, "La");
        QCOMPARE(window->cbb_print->currentText(), "LabelZebra");
        QCOMPARE(readAll(m_dir->filePath("myini.ini")), QByteArray("[LAB]\nLAB_PRINT0=LabelZebra\n"));

        QTest::keyClick(window->cbb_print, Qt::Key_Up);
        QCOMPARE(window->ReadSetting("LAB", "LAB_PRINT0", QString()), "Alpha");
    }
    const auto restarted = makeWindow();
    QCOMPARE(restarted->cbb_print->currentText(), "Alpha");
    QVERIFY(m_boxes.shown.isEmpty());
}

void TstWindow::windowsShareTheFile()
{
    const auto first = makeWindow();
    const auto second = makeWindow();
    first->WriteSetting("LAB", "LAB_BQTM05", "/labels/a.lbt");
    QCOMPARE(second->ReadSetting("LAB", "LAB_BQTM05", QString()), "/labels/a.lbt");
    second->WriteSetting("LAB", "LAB_BQTM05", "/labels/b.lbt");
    QCOMPARE(first->ReadSetting("LAB", "LAB_BQTM05", QString()), "/labels/b.lbt");
}

void TstWindow::refusedWriteShowsErrorAndGoesOn()
{
    startServer("Office");
    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    window->cbb_print->setFocus();
    QTest::keyClick(window->cbb_print, Qt::Key_Up);
    QFile::setPermissions(m_dir->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QCOMPARE(m_boxes.shown.size(), 1);
    QCOMPARE(m_boxes.shown[0].kind, "error");
    QCOMPARE(m_boxes.shown[0].title, "Labelprint");
    QCOMPARE(m_boxes.shown[0].text, "Unable to write to " + m_dir->filePath("myini.ini") + '.');
    QVERIFY(!QFile::exists(m_dir->filePath("myini.ini")));

    QTest::keyClick(window->cbb_print, Qt::Key_Up);
    QCOMPARE(m_boxes.shown.size(), 1);
    QCOMPARE(window->ReadSetting("LAB", "LAB_PRINT0", QString()), window->cbb_print->currentText());
}

void TstWindow::startupImport_data()
{
    QTest::addColumn<QString>("fixture"); // copied beside the program as LabList.xls; empty: none
    QTest::addColumn<bool>("serverMissing");
    QTest::addColumn<int>("records"); // -1: cdsMain stays closed
    QTest::addColumn<QString>("previewName");
    QTest::addColumn<QStringList>("shown"); // "kind: text" of every box

    QTest::newRow("no workbook") << QString() << false << -1 << QString() << QStringList();
    QTest::newRow("rows with gaps") << "f04_empty_row.xls" << false << 3 << "First" << QStringList();
    QTest::newRow("header only") << "f05_header_only.xls" << false << 0 << QString() << QStringList();
    QTest::newRow("reader cannot start") << "f04_empty_row.xls" << true << -1 << QString()
                                         << QStringList{"plain: Spreadsheet server not found"};
    QTest::newRow("single cell ends the sequence")
        << "f06_single_cell.xls" << false << -1 << QString() << QStringList{"error: Invalid argument."};
}

void TstWindow::startupImport()
{
    QFETCH(QString, fixture);
    QFETCH(bool, serverMissing);
    QFETCH(int, records);
    QFETCH(QString, previewName);
    QFETCH(QStringList, shown);

    if (!fixture.isEmpty()) {
        QVERIFY(placeBesideProgram(fixture, "LabList.xls"));
    }
    if (serverMissing) {
        m_serverFactory = []() -> std::unique_ptr<lbl::data::SpreadsheetServer> {
            throw std::runtime_error("no reader");
        };
    }
    const auto window = makeWindow();

    QStringList boxes;
    for (const auto& box : m_boxes.shown) {
        boxes.append(box.kind + ": " + box.text);
        QCOMPARE(box.title, "Labelprint");
    }
    QCOMPARE(boxes, shown);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(window->cdsMain.isActive(), records >= 0);
    QCOMPARE(window->cdsTmp.isActive(), records >= 0);
    // An error in the sequence stops it before slot 1 is selected: the sample stays in the report.
    const bool stopped = shown.join(' ').startsWith("error:");
    QCOMPARE(window->currentSlot(), stopped ? nullptr : window->slotButtons().at(0));
    QCOMPARE(window->rptReport1.report() == lbl::report::sampleReport(), stopped);
    if (records >= 0) {
        QCOMPARE(window->cdsMain.recordCount(), records);
        QCOMPARE(window->cdsTmp.recordCount(), 1);
        QCOMPARE(window->cdsTmp.fieldDefs().size(), window->cdsMain.fieldDefs().size());
        window->cdsTmp.first();
        QCOMPARE(window->cdsTmp.fieldText(1), previewName);
    }
}

void TstWindow::slotPreviewWithoutWorkbook()
{
    QVERIFY(placeBesideProgram("window_name_label.lbt", "name.lbt"));
    writeSettings("[LAB]\nLAB_BQTM01=" + m_dir->filePath("name.lbt").toUtf8() + "\n");

    const auto window = makeWindow();
    QCOMPARE(window->currentSlot(), window->slotButtons().at(0));
    QCOMPARE(window->rptReport1.report().fileName, m_dir->filePath("name.lbt"));
    QVERIFY(m_boxes.shown.isEmpty());
    QTRY_COMPARE(m_boxes.shown.size(), 1);
    QCOMPARE(m_boxes.shown[0].kind, "engine");
    QCOMPARE(m_boxes.shown[0].text, "cdsTmp: Missing data provider or data packet");
}

void TstWindow::printCommandPrintsEveryRecord()
{
    startServer("Office");
    QVERIFY(m_server.addFileQueue("FileLabels"));
    QVERIFY(placeBesideProgram("window_name_label.lbt", "name.lbt"));
    QVERIFY(placeBesideProgram("import_twenty.xls", "LabList.xls"));
    writeSettings("[LAB]\nLAB_PRINT0=filelabels\nLAB_BQTM01=" + m_dir->filePath("name.lbt").toUtf8() + "\n");

    const auto window = makeWindow();
    QCOMPARE(window->cdsMain.recordCount(), 20);
    QCOMPARE(window->cbb_print->currentText(), "FileLabels");
    QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
    QVERIFY2(m_boxes.shown.isEmpty(), qPrintable(m_boxes.texts().join('\n')));
    QCOMPARE(window->rptReport1.dataLink().source(), &window->dsTmp);
    QVERIFY(m_server.waitForJobs());
    const QStringList printed = m_server.outputFiles("FileLabels");
    QCOMPARE(printed.size(), 1);
    QCOMPARE(lbl::test::pdfInfo(printed[0]).pages, 20);
    QCOMPARE(window->rptPreview1->pageCount(), 20);
}

bool TstWindow::placeBesideProgram(const QString& fixture, const QString& name)
{
    return QFile::copy(QStringLiteral(LBL_TEST_DATA "/") + fixture, m_dir->filePath(name));
}

void TstWindow::writeSettings(const QByteArray& text)
{
    QFile ini(m_dir->filePath("myini.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(text);
}

void TstWindow::designRun_data()
{
    QTest::addColumn<bool>("slotHasTemplate");
    QTest::addColumn<QString>("designerDoes"); // "save as", "nothing", "open other"
    QTest::addColumn<QString>("slotAfter");    // file name in the slot key afterwards; empty: no key

    QTest::newRow("empty slot, saved as a new file") << false << "save as"
                                                     << "new.lbt";
    QTest::newRow("empty slot, closed without saving") << false << "nothing"
                                                       << "";
    QTest::newRow("loaded slot, nothing done: same path again") << true << "nothing"
                                                                << "name.lbt";
    QTest::newRow("loaded slot, another file opened") << true << "open other"
                                                      << "other.lbt";
}

void TstWindow::designRun()
{
    QFETCH(bool, slotHasTemplate);
    QFETCH(QString, designerDoes);
    QFETCH(QString, slotAfter);

    QVERIFY(placeBesideProgram("window_name_label.lbt", "name.lbt"));
    QVERIFY(placeBesideProgram("window_name_label.lbt", "other.lbt"));
    QVERIFY(placeBesideProgram("import_twenty.xls", "LabList.xls"));
    const QByteArray settings =
        slotHasTemplate ? "[LAB]\nLAB_BQTM01=" + m_dir->filePath("name.lbt").toUtf8() + "\n" : QByteArray();
    if (slotHasTemplate) {
        writeSettings(settings);
    }
    m_designer.action = [&](lbl::preview::ReportEngine& engine) {
        if (designerDoes == "save as") {
            engine.report().saveToFile(m_dir->filePath("new.lbt"));
        } else if (designerDoes == "open other") {
            engine.loadFromFile(m_dir->filePath("other.lbt"));
        }
    };

    const auto window = makeWindow();
    window->cbb_PVD->setCurrentIndex(1);
    QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
    QCOMPARE(m_designer.runs, 1);
    QCOMPARE(m_designer.seenSet, &window->cdsMain);
    QCOMPARE(window->rptReport1.dataLink().source(), &window->dsTmp);
    QVERIFY2(m_boxes.shown.isEmpty(), qPrintable(m_boxes.texts().join('\n')));

    const QString stored = window->ReadSetting("LAB", "LAB_BQTM01", "<none>");
    if (slotAfter.isEmpty()) {
        QCOMPARE(stored, "<none>");
        QCOMPARE(readAll(m_dir->filePath("myini.ini")), settings);
        return;
    }
    QCOMPARE(stored, m_dir->filePath(slotAfter));
    QTest::mouseClick(window->slotButtons().at(0), Qt::LeftButton);
    QCOMPARE(window->rptReport1.report().fileName, m_dir->filePath(slotAfter));
}

void TstWindow::unsavedDesignEditIsPrinted()
{
    startServer("Office");
    QVERIFY(m_server.addFileQueue("FileLabels"));
    QVERIFY(placeBesideProgram("window_name_label.lbt", "name.lbt"));
    QVERIFY(placeBesideProgram("import_twenty.xls", "LabList.xls"));
    writeSettings("[LAB]\nLAB_PRINT0=FileLabels\nLAB_BQTM01=" + m_dir->filePath("name.lbt").toUtf8() + "\n");
    m_designer.action = [](lbl::preview::ReportEngine& engine) {
        auto& text = std::get<lbl::report::TextObject>(engine.report().pages[0].bands[0].objects[0].content);
        text.text = QStringLiteral("EDITED [rptDBDataset1.\"SPMC00\"]");
    };

    const auto window = makeWindow();
    window->cbb_PVD->setCurrentIndex(1);
    QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
    window->cbb_PVD->setCurrentIndex(0);
    QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
    QVERIFY2(m_boxes.shown.isEmpty(), qPrintable(m_boxes.texts().join('\n')));
    QVERIFY(m_server.waitForJobs());
    const QStringList printed = m_server.outputFiles("FileLabels");
    QCOMPARE(printed.size(), 1);
    const QString text = lbl::test::pdfText(printed[0]);
    QVERIFY2(text.contains(QString::fromUtf8("EDITED 商品01"))
                 && text.contains(QString::fromUtf8("EDITED 商品20")),
             qPrintable(text));
    // The design run stored the unchanged path; the next slot press loads the file again.
    QTest::mouseClick(window->slotButtons().at(0), Qt::LeftButton);
    const auto& reloaded =
        std::get<lbl::report::TextObject>(window->rptReport1.report().pages[0].bands[0].objects[0].content);
    QCOMPARE(reloaded.text, "[rptDBDataset1.\"SPMC00\"]");
}

void TstWindow::refusedSlotWriteAfterDesign()
{
    QTemporaryDir elsewhere;
    m_designer.action = [&](lbl::preview::ReportEngine& engine) {
        engine.report().saveToFile(elsewhere.filePath("new.lbt"));
    };
    const auto window = makeWindow();
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    window->cbb_PVD->setCurrentIndex(1);
    QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
    QFile::setPermissions(m_dir->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QCOMPARE(m_boxes.texts(), QStringList{"Unable to write to " + m_dir->filePath("myini.ini") + '.'});
    QCOMPARE(window->rptReport1.dataLink().source(), &window->dsMain);
    QTest::mouseClick(window->slotButtons().at(0), Qt::LeftButton);
    QCOMPARE(window->rptReport1.dataLink().source(), &window->dsTmp);
}

QTEST_MAIN(TstWindow)
#include "tst_window.moc"
