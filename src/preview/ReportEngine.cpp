// The report component: loading, preview on the engine's timer, printing through CUPS, its error box.
#include "preview/ReportEngine.h"

#include "preview/CupsJob.h"
#include "preview/PreviewPane.h"
#include "preview/Printers.h"
#include "preview/ProgressWindow.h"
#include "report/PdfExport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <memory>

namespace lbl::preview {

namespace {

constexpr int previewDelayMs = 50;
// Turning the event loop after every page of a long run would cost more than the page.
constexpr qint64 eventsEveryMs = 30;

// The program sets no title: its file name up to the first dot, capitalised.
QString boxTitle()
{
    const QString fileName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString name = fileName.left(fileName.indexOf(QLatin1Char('.')));
    return name.isEmpty() ? name : name.left(1).toUpper() + name.mid(1).toLower();
}

QString jobTitle(const report::Report& report)
{
    const QString base = QFileInfo(report.fileName).completeBaseName();
    return base.isEmpty() ? QStringLiteral("labelprint labels") : base;
}

QSizeF firstPageSizeMm(const report::Report& report, const report::DataLinks& links)
{
    QSizeF size;
    report::ErrorList ignored; // the export listed them
    report::preparePages(report, links, ignored,
                         [&size](const report::PreparedPage& page, qsizetype, qsizetype) {
                             size = page.sizeMm;
                             return false;
                         });
    return size;
}

} // namespace

ReportEngine::ReportEngine(MessageBoxes& boxes, QObject* parent)
    : QObject(parent)
    , m_boxes(boxes)
    , m_link(report::defaultDataSetAlias)
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setInterval(previewDelayMs);
    connect(m_timer, &QTimer::timeout, this, &ReportEngine::preparePreview);
}

ReportEngine::~ReportEngine() = default;

QString ReportEngine::noPrinterText()
{
    return QStringLiteral("No printers are installed.");
}

QString ReportEngine::invalidPrinterText()
{
    return QStringLiteral("Printer selected is not valid");
}

void ReportEngine::loadFromFile(const QString& path)
{
    report::ErrorList errors;
    m_report.loadFromFile(path, errors);
    reportErrors(errors);
}

void ReportEngine::setPrinterName(const QString& name)
{
    m_report.printOptions.printerName = name;
}

QString ReportEngine::printerName() const
{
    return m_report.printOptions.printerName;
}

void ReportEngine::setShowPrintDialog(bool on)
{
    m_report.printOptions.printDialog = on;
}

bool ReportEngine::showPrintDialog() const
{
    return m_report.printOptions.printDialog;
}

QString ReportEngine::currentPrinter() const
{
    const QStringList installed = installedPrinters();
    if (installed.isEmpty()) {
        return QString();
    }
    if (!m_lastFoundPrinter.isEmpty()) {
        return m_lastFoundPrinter;
    }
    return defaultPrinter().value_or(installed.first());
}

QString ReportEngine::resolvePrinter()
{
    if (const std::optional<QString> found = findPrinter(printerName())) {
        m_lastFoundPrinter = *found;
    }
    return currentPrinter();
}

void ReportEngine::showPreview(PreviewPane* pane)
{
    if (m_preparing) {
        return;
    }
    m_pane = pane;
    if (m_pane) {
        m_pane->clear();
    }
    m_timer->start();
}

void ReportEngine::preparePreview()
{
    if (m_printing) {
        // A run is turning the event loop; the preview follows it.
        m_timer->start();
        return;
    }
    m_preparing = true;
    report::ErrorList errors;
    const report::PreparedReport pages = report::prepare(m_report, links(), errors);
    if (m_pane) {
        m_pane->setDotDpi(printerDpi(currentPrinter()));
        m_pane->setPages(pages);
    }
    // Still preparing while the box is up: a request from its event loop does nothing.
    reportErrors(errors);
    m_preparing = false;
    emit previewReady();
}

void ReportEngine::showPages(const report::PreparedReport& pages)
{
    if (m_pane) {
        m_pane->setPages(pages);
    }
}

void ReportEngine::reportErrors(const report::ErrorList& errors)
{
    if (!errors.isEmpty()) {
        m_boxes.showEngineErrors(boxTitle(), errors.lines());
    }
}

bool ReportEngine::exportPdf(const QString& path, int dpi)
{
    report::ErrorList errors;
    const report::ExportResult result = report::exportPdf(m_report, links(), path, dpi, errors);
    reportErrors(errors);
    return result == report::ExportResult::Written;
}

void ReportEngine::print()
{
    if (m_printing || m_preparing) {
        return;
    }
    m_printing = true;
    // The run works on copies: the event loop turns while it prints.
    const report::Report snapshot = m_report;
    report::DataLink link(m_link.alias(), m_link.source());
    const report::DataLinks runLinks{&link};

    report::ErrorList errors;
    const qsizetype total = report::countPages(snapshot, runLinks, errors);
    const QString printer = resolvePrinter();
    if (printer.isEmpty()) {
        errors.add(noPrinterText());
    } else if (total > 0) {
        if (!printerState(printer)) {
            errors.add(invalidPrinterText());
        } else {
            printPages(snapshot, runLinks, printer, errors);
        }
    }
    if (m_pane) {
        m_pane->setDotDpi(printerDpi(printer));
        m_pane->setSnapshot(snapshot, link.alias(), link.recordSet(), total);
    }
    m_printing = false;
    reportErrors(errors);
}

void ReportEngine::printPages(const report::Report& report, const report::DataLinks& links,
                              const QString& printer, report::ErrorList& errors)
{
    const QTemporaryDir folder;
    if (!folder.isValid()) {
        errors.add(QStringLiteral("Cannot create a temporary folder: %1").arg(folder.errorString()));
        return;
    }
    const QString pdfPath = folder.filePath(QStringLiteral("labels.pdf"));

    QElapsedTimer clock;
    clock.start();
    qint64 lastEventsMs = 0;
    std::unique_ptr<ProgressWindow> window;
    const bool windows =
        m_progressWindows && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    const auto progress = [&](qsizetype done, qsizetype total) {
        if (!window && windows && (total > progressLabels || clock.elapsed() >= progressDelayMs)) {
            window = std::make_unique<ProgressWindow>(total, QApplication::activeWindow());
            window->show();
        }
        if (!window) {
            return true;
        }
        window->setDone(done);
        if (clock.elapsed() - lastEventsMs >= eventsEveryMs || done == total) {
            QCoreApplication::processEvents();
            lastEventsMs = clock.elapsed();
        }
        return !window->wasCancelled();
    };
    const report::ExportResult exported =
        report::exportPdf(report, links, pdfPath, printerDpi(printer), errors, progress);
    window.reset();
    if (exported != report::ExportResult::Written) {
        return; // cancelled: nothing was made; failed: the reason is listed
    }
    const PrintResult job =
        submitPdf(printer, pdfPath, jobTitle(report), firstPageSizeMm(report, links),
                  std::max(report.printOptions.copies, 1), std::chrono::milliseconds(jobWaitMs));
    if (!job.ok) {
        errors.add(job.error);
    }
}

} // namespace lbl::preview
