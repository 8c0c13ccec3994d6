// Printing through the report engine on a private CUPS server: labels end to end, printer lookup,
// refused jobs, no printer, and Cancel.
#include "common/CupsServer.h"
#include "common/PdfTools.h"
#include "common/RecordingMessageBoxes.h"
#include "preview/PreviewPane.h"
#include "preview/ProgressWindow.h"
#include "preview/ReportEngine.h"
#include "report/ReportFixtures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using lbl::preview::PreviewPane;
using lbl::preview::ProgressWindow;
using lbl::preview::ReportEngine;
using lbl::report::test::makeSet;
using lbl::test::CupsServer;
using lbl::test::PdfFacts;
using lbl::test::pdfInfo;
using lbl::test::RecordingMessageBoxes;
using lbl::test::runTool;

namespace {

constexpr qreal pointsPerMm = 72.0 / 25.4;
const QSizeF labelMm(60, 30);

QString nameOf(int i)
{
    return QStringLiteral("Label-%1").arg(i, 2, 10, QLatin1Char('0'));
}

QString numberOf(int i)
{
    return QStringLiteral("9000000%1").arg(i, 5, 10, QLatin1Char('0'));
}

// One 60 x 30 mm label per record: the name as text and the number as Code 128.
lbl::report::Report labelReport()
{
    using namespace lbl::report;
    Report report;
    report.dataSets = QStringList{defaultDataSetAlias};
    Page page;
    page.name = QStringLiteral("Page1");
    page.setPaper(PaperSize::Custom, Orientation::Portrait, labelMm);
    page.margins = Margins{};
    page.growsWithContent = true;
    Band band;
    band.type = BandType::MasterData;
    band.name = QStringLiteral("MasterData1");
    band.dataSet = defaultDataSetAlias;
    band.heightMm = 30;
    band.objects.append(test::textObject(QStringLiteral("Name"), QRectF(3, 2, 50, 6),
                                         QStringLiteral("[rptDBDataset1.\"NAME\"]")));
    BarcodeObject barcode;
    barcode.data = QStringLiteral("[rptDBDataset1.\"NUMBER\"]");
    barcode.style.symbology = Symbology::Code128;
    barcode.style.zoom = 2;
    barcode.style.autoSize = false;
    band.objects.append({QStringLiteral("Bars"), QRectF(3, 9, 54, 19), barcode});
    page.bands.append(band);
    report.pages.append(page);
    return report;
}

std::unique_ptr<lbl::data::RecordSet> labelRecords(int count, const QString& tag = QString())
{
    QVector<QStringList> rows;
    for (int i = 1; i <= count; ++i) {
        rows.append(QStringList{nameOf(i) + tag, numberOf(i)});
    }
    return makeSet(QStringLiteral("cdsMain"), {QStringLiteral("NAME"), QStringLiteral("NUMBER")}, rows);
}

// What the engine's box said, or empty.
QString engineText(const RecordingMessageBoxes& boxes)
{
    QStringList texts;
    for (const RecordingMessageBoxes::Shown& shown : boxes.shown) {
        if (shown.kind == QLatin1String("engine")) {
            texts << shown.text;
        }
    }
    return texts.join(QLatin1Char('\n'));
}

} // namespace

class TstEngineRunner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void endToEnd();
    void printerLookup_data();
    void printerLookup();
    void refused_data();
    void refused();
    void noPrinterInstalled();
    void firstPrinterWithoutDefault();
    void dataErrors_data();
    void dataErrors();
    void cancelSendsNothing();

private:
    CupsServer m_server;
};

void TstEngineRunner::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    for (const char* program : {"pdfinfo", "pdftotext", "pdftoppm"}) {
        if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty()) {
            QTest::qSkip("poppler-utils is not installed", __FILE__, __LINE__);
            return;
        }
    }
    LBL_START_CUPS(m_server);
    for (const char* queue :
         {"Labels", "Alpha", "Beta", "Gamma", "Cancel", "Refusing", "Temp", "NoData", "Fixed"}) {
        QVERIFY2(m_server.addFileQueue(QLatin1String(queue)), qPrintable(m_server.errorString()));
    }
    QVERIFY2(m_server.addPdfQueue(QStringLiteral("Pdf")), qPrintable(m_server.errorString()));
    QVERIFY2(m_server.addFailingQueue(QStringLiteral("Broken")), qPrintable(m_server.errorString()));
    QVERIFY2(m_server.reject(QStringLiteral("Refusing"), QStringLiteral("Out of labels")),
             qPrintable(m_server.errorString()));
    QVERIFY2(m_server.setDefault(QStringLiteral("Alpha")), qPrintable(m_server.errorString()));
}

void TstEngineRunner::endToEnd()
{
    const bool haveZbar = !QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty();
    const auto records = labelRecords(20);
    lbl::data::DataSource dsMain(records.get());
    RecordingMessageBoxes boxes;
    ReportEngine engine(boxes);
    engine.report() = labelReport();
    engine.dataLink().setSource(&dsMain);
    PreviewPane pane;
    pane.resize(273, 252);
    QSignalSpy ready(&engine, &ReportEngine::previewReady);
    engine.showPreview(&pane);
    QVERIFY(ready.wait(5000));

    engine.setPrinterName(QStringLiteral("labels"));
    engine.setShowPrintDialog(false);
    engine.print();
    QCOMPARE(engineText(boxes), QString());
    QCOMPARE(engine.currentPrinter(), QStringLiteral("Labels"));
    QVERIFY2(m_server.waitForJobs(), qPrintable(m_server.errorString()));

    const QStringList files = m_server.outputFiles(QStringLiteral("Labels"));
    QCOMPARE(files.size(), 1);
    const PdfFacts facts = pdfInfo(files.first());
    QCOMPARE(facts.pages, 20);
    QVERIFY2(qAbs(facts.sizePt.width() - labelMm.width() * pointsPerMm) < 1.5,
             qPrintable(QString::number(facts.sizePt.width())));
    QVERIFY2(qAbs(facts.sizePt.height() - labelMm.height() * pointsPerMm) < 1.5,
             qPrintable(QString::number(facts.sizePt.height())));

    QTemporaryDir images;
    QVERIFY(images.isValid());
    for (int i = 1; i <= 20; ++i) {
        const QString page = QString::number(i);
        const QString text =
            runTool(QStringLiteral("pdftotext"), {QStringLiteral("-f"), page, QStringLiteral("-l"), page,
                                                  files.first(), QStringLiteral("-")});
        QVERIFY2(text.contains(nameOf(i)), qPrintable(page + QLatin1Char(':') + text));
        QVERIFY2(!text.contains(nameOf(i == 1 ? 2 : i - 1)), qPrintable(page + QLatin1Char(':') + text));
        if (!haveZbar) {
            continue;
        }
        const QString prefix = images.filePath(QStringLiteral("page") + page);
        runTool(QStringLiteral("pdftoppm"),
                {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-f"), page,
                 QStringLiteral("-l"), page, QStringLiteral("-singlefile"), QStringLiteral("-png"),
                 files.first(), prefix});
        const QString decoded = runTool(QStringLiteral("zbarimg"), {QStringLiteral("-q"), prefix + ".png"});
        QCOMPARE(decoded.trimmed(), QStringLiteral("CODE-128:") + numberOf(i));
    }

    // The pane shows the printed labels without holding all of them.
    QCOMPARE(pane.pageCount(), 20);
    pane.lastPage();
    const lbl::report::PreparedPage* last = pane.shownPage();
    QVERIFY(last != nullptr);
    QVERIFY(pane.heldPages() <= PreviewPane::cacheLimit);
    bool hasLastName = false;
    for (const lbl::report::PreparedItem& item : last->items) {
        if (const auto* t = std::get_if<lbl::report::TextObject>(&item.content)) {
            hasLastName = hasLastName || t->text == nameOf(20);
        }
    }
    QVERIFY(hasLastName);

    const qsizetype pdfBefore = m_server.outputFiles(QStringLiteral("Pdf")).size();
    engine.setPrinterName(QStringLiteral("Pdf"));
    engine.print();
    QCOMPARE(engineText(boxes), QString());
    QVERIFY2(m_server.waitForJobs(), qPrintable(m_server.errorString()));
    const QStringList pdfFiles = m_server.outputFiles(QStringLiteral("Pdf"));
    QCOMPARE(pdfFiles.size(), pdfBefore + 1);
    QCOMPARE(pdfInfo(pdfFiles.last()).pages, 20);
    if (!haveZbar) {
        QTest::qSkip("zbarimg (zbar-tools) is not installed: barcodes not decoded", __FILE__, __LINE__);
    }
}

void TstEngineRunner::printerLookup_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("tag");

    QTest::newRow("exact") << QStringList{"Beta"} << "Beta"
                           << "-t1";
    QTest::newRow("other case") << QStringList{"gAMMA"} << "Gamma"
                                << "-t2";
    QTest::newRow("empty gives the default") << QStringList{""} << "Alpha"
                                             << "-t3";
    QTest::newRow("unknown keeps the default") << QStringList{"Nowhere"} << "Alpha"
                                               << "-t4";
    QTest::newRow("unknown keeps the last found") << QStringList{"beta", "Nowhere"} << "Beta"
                                                  << "-t5";
    QTest::newRow("empty keeps the last found") << QStringList{"GAMMA", ""} << "Gamma"
                                                << "-t6";
}

void TstEngineRunner::printerLookup()
{
    QFETCH(QStringList, names);
    QFETCH(QString, expected);
    QFETCH(QString, tag);

    RecordingMessageBoxes boxes;
    ReportEngine engine(boxes);
    engine.report() = labelReport();
    QCOMPARE(engine.currentPrinter(), QStringLiteral("Alpha"));
    std::unique_ptr<lbl::data::RecordSet> records;
    lbl::data::DataSource source;
    engine.dataLink().setSource(&source);
    for (qsizetype k = 0; k < names.size(); ++k) {
        // Only the last run carries the row's tag, so its output shows where the last job went.
        records = labelRecords(1, k + 1 == names.size() ? tag : QStringLiteral("-t0"));
        source.setDataSet(records.get());
        engine.setPrinterName(names.at(k));
        engine.print();
        QVERIFY2(m_server.waitForJobs(), qPrintable(m_server.errorString()));
    }
    QCOMPARE(engineText(boxes), QString());
    QCOMPARE(engine.currentPrinter(), expected);
    const QStringList files = m_server.outputFiles(expected);
    QCOMPARE(files.size(), 1);
    QVERIFY(
        runTool(QStringLiteral("pdftotext"), {files.first(), QStringLiteral("-")}).contains(nameOf(1) + tag));
}

void TstEngineRunner::refused_data()
{
    QTest::addColumn<QString>("printer");
    QTest::addColumn<QString>("fragment");

    QTest::newRow("queue rejects jobs") << "Refusing"
                                        << "does not accept jobs: Out of labels";
    QTest::newRow("filter fails") << "Broken"
                                  << "Filter failed";
    QTest::newRow("printer vanished") << "Temp" << ReportEngine::invalidPrinterText();
}

void TstEngineRunner::refused()
{
    QFETCH(QString, printer);
    QFETCH(QString, fragment);

    const auto records = labelRecords(3);
    lbl::data::DataSource dsMain(records.get());
    RecordingMessageBoxes boxes;
    ReportEngine engine(boxes);
    engine.report() = labelReport();
    engine.dataLink().setSource(&dsMain);
    engine.setPrinterName(printer);
    if (printer == QLatin1String("Temp")) {
        // Found once, then gone before the next run, which falls back to it.
        engine.print();
        QVERIFY2(m_server.waitForJobs(), qPrintable(m_server.errorString()));
        QCOMPARE(engineText(boxes), QString());
        QVERIFY2(m_server.remove(printer), qPrintable(m_server.errorString()));
        engine.setPrinterName(QString());
    }
    engine.print();
    const QString shown = engineText(boxes);
    QVERIFY2(shown.contains(fragment), qPrintable(shown));
    QVERIFY2(m_server.waitForJobs(), qPrintable(m_server.errorString()));
    if (printer != QLatin1String("Temp")) {
        QCOMPARE(m_server.outputFiles(printer), QStringList());
    }
}

void TstEngineRunner::noPrinterInstalled()
{
    CupsServer empty;
    LBL_START_CUPS(empty);
    const auto records = labelRecords(2);
    lbl::data::DataSource dsMain(records.get());
    RecordingMessageBoxes boxes;
    ReportEngine engine(boxes);
    engine.report() = labelReport();
    engine.dataLink().setSource(&dsMain);
    engine.setPrinterName(QStringLiteral("Labels"));
    QCOMPARE(engine.currentPrinter(), QString());
    engine.print();
    QCOMPARE(engineText(boxes), ReportEngine::noPrinterText());
}

void TstEngineRunner::firstPrinterWithoutDefault()
{
    CupsServer other;
    LBL_START_CUPS(other);
    QVERIFY2(other.addFileQueue(QStringLiteral("Zulu")), qPrintable(other.errorString()));
    QVERIFY2(other.addFileQueue(QStringLiteral("Kilo")), qPrintable(other.errorString()));
    RecordingMessageBoxes boxes;
    ReportEngine engine(boxes);
    QCOMPARE(engine.currentPrinter(), QStringLiteral("Kilo"));
}

void TstEngineRunner::dataErrors_data()
{
    QTest::addColumn<QString>("queue");
    QTest::addColumn<bool>("readsData");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("pages");

    QTest::newRow("band over a set never created")
        << "NoData" << true << "cdsMain: Missing data provider or data packet" << 0;
    QTest::newRow("template that reads no data") << "Fixed" << false << "" << 1;
}

void TstEngineRunner::dataErrors()
{
    QFETCH(QString, queue);
    QFETCH(bool, readsData);
    QFETCH(QString, shown);
    QFETCH(int, pages);

    lbl::data::RecordSet cdsMain(QStringLiteral("cdsMain"));
    lbl::data::DataSource dsMain(&cdsMain);
    RecordingMessageBoxes boxes;
    ReportEngine engine(boxes);
    engine.report() = labelReport();
    if (!readsData) {
        lbl::report::Band& band = engine.report().pages[0].bands[0];
        band.dataSet.clear();
        band.objects = {lbl::report::test::textObject(QStringLiteral("Fixed"), QRectF(3, 2, 50, 6),
                                                      QStringLiteral("FIXEDTEXT"))};
    }
    engine.dataLink().setSource(&dsMain);
    engine.setPrinterName(queue);
    engine.print();
    QCOMPARE(engineText(boxes), shown);
    QVERIFY2(m_server.waitForJobs(), qPrintable(m_server.errorString()));
    const QStringList after = m_server.outputFiles(queue);
    if (pages == 0) {
        QCOMPARE(after, QStringList());
    } else {
        QCOMPARE(after.size(), 1);
        QCOMPARE(pdfInfo(after.first()).pages, pages);
        QVERIFY(runTool(QStringLiteral("pdftotext"), {after.first(), QStringLiteral("-")})
                    .contains(QStringLiteral("FIXEDTEXT")));
    }
}

void TstEngineRunner::cancelSendsNothing()
{
    const int count = static_cast<int>(ReportEngine::progressLabels) * 4;
    const auto records = labelRecords(count);
    lbl::data::DataSource dsMain(records.get());
    RecordingMessageBoxes boxes;
    ReportEngine engine(boxes);
    engine.report() = labelReport();
    engine.dataLink().setSource(&dsMain);
    engine.setPrinterName(QStringLiteral("Cancel"));

    QString seenText;
    QTimer poll;
    poll.setInterval(5);
    connect(&poll, &QTimer::timeout, this, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<ProgressWindow*>(widget);
            if (window == nullptr || !window->isVisible() || window->labelsDone() == 0) {
                continue;
            }
            seenText = ProgressWindow::countText(window->labelsDone(), window->total());
            if (auto* cancel = window->findChild<QAbstractButton*>(QStringLiteral("cancelButton"))) {
                cancel->click();
                poll.stop();
            }
        }
    });
    poll.start();
    engine.print();
    poll.stop();

    QVERIFY2(seenText.endsWith(QStringLiteral(" of %1 labels").arg(count)), qPrintable(seenText));
    QCOMPARE(engineText(boxes), QString());
    QVERIFY2(m_server.waitForJobs(), qPrintable(m_server.errorString()));
    QCOMPARE(m_server.outputFiles(QStringLiteral("Cancel")), QStringList());
}

QTEST_MAIN(TstEngineRunner)
#include "tst_enginerunner.moc"
