// Rendering the built-in sample label to PDF for 1,000 and 10,000 records (wall time, peak memory),
// and a one-page template from its file to the painted preview pane.
#include "preview/MessageBoxes.h"
#include "preview/PreviewPane.h"
#include "preview/ReportEngine.h"
#include "report/PdfExport.h"
#include "report/Report.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

class SilentBoxes : public lbl::preview::MessageBoxes
{
public:
    void showError(const QString&, const QString& text) override { note(text); }
    void showPlain(const QString&, const QString& text) override { note(text); }
    void showEngineErrors(const QString&, const QStringList& errors) override { note(errors.join('\n')); }
    Answer ask(const QString&, const QString&) override { return Answer::Cancel; }

private:
    static void note(const QString& text) { std::fprintf(stderr, "engine: %s\n", qPrintable(text)); }
};

void fillSample(lbl::data::RecordSet& set, int records)
{
    for (const char* field : {"SPMC00", "DJ0000", "TXM000"}) {
        lbl::data::FieldDef def;
        def.name = QLatin1String(field);
        set.addFieldDef(def);
    }
    set.createDataSet();
    for (int i = 0; i < records; ++i) {
        set.append();
        set.setField(0, QStringLiteral("康师傅红烧牛肉面 105g %1").arg(i + 1));
        set.setField(1, QString::number(4.5 + (i % 100) / 10.0, 'f', 2));
        set.setField(2, QStringLiteral("690%1").arg(i, 10, 10, QLatin1Char('0')));
    }
    set.first();
}

double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// One process per label count, so each peak is its own.
int renderRun(int records, int runs)
{
    lbl::data::RecordSet cdsMain(QStringLiteral("cdsMain"));
    fillSample(cdsMain, records);
    lbl::data::DataSource dsMain(&cdsMain);
    lbl::report::DataLink link(lbl::report::defaultDataSetAlias, &dsMain);
    const lbl::report::Report report = lbl::report::sampleReport();
    QTemporaryDir dir;
    const double beforeMb = peakRssMb();
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        lbl::report::ErrorList errors;
        QElapsedTimer timer;
        timer.start();
        const auto result = lbl::report::exportPdf(report, lbl::report::DataLinks{&link},
                                                   dir.filePath(QStringLiteral("labels.pdf")), 300, errors);
        seconds.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        if (result != lbl::report::ExportResult::Written) {
            std::fprintf(stderr, "export failed: %s\n", qPrintable(errors.lines().join("; ")));
            return 1;
        }
    }
    std::sort(seconds.begin(), seconds.end());
    const qint64 bytes = QFileInfo(dir.filePath(QStringLiteral("labels.pdf"))).size();
    std::printf("%6d labels to PDF at 300 dpi: median %.3f s, min %.3f s, max %.3f s (%d runs); "
                "%.1f MB file; peak RSS %.1f MB (%.1f MB before the export)\n",
                records, seconds[seconds.size() / 2], seconds.front(), seconds.back(), runs,
                static_cast<double>(bytes) / 1e6, peakRssMb(), beforeMb);
    return 0;
}

int previewRun(int runs)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sample.lbt"));
    lbl::report::Report sample = lbl::report::sampleReport();
    sample.saveToFile(path);
    lbl::data::RecordSet cdsTmp(QStringLiteral("cdsTmp"));
    fillSample(cdsTmp, 1);
    lbl::data::DataSource dsTmp(&cdsTmp);
    SilentBoxes boxes;
    lbl::preview::ReportEngine engine(boxes);
    engine.dataLink().setSource(&dsTmp);
    lbl::preview::PreviewPane pane;
    pane.resize(273, 252);
    pane.show();
    QImage target(pane.size(), QImage::Format_ARGB32_Premultiplied);

    std::vector<double> work;
    std::vector<double> total;
    for (int i = 0; i < runs; ++i) {
        QEventLoop ready;
        QObject::connect(&engine, &lbl::preview::ReportEngine::previewReady, &ready, &QEventLoop::quit);
        QElapsedTimer timer;
        timer.start();
        engine.loadFromFile(path);
        const qint64 loadedNs = timer.nsecsElapsed();
        engine.showPreview(&pane);
        QElapsedTimer timerWait;
        timerWait.start();
        ready.exec();
        const qint64 waitedNs = timerWait.nsecsElapsed();
        QElapsedTimer paint;
        paint.start();
        pane.render(&target);
        const qint64 paintNs = paint.nsecsElapsed();
        // The timer's own 50 ms are waiting, not work.
        const double preparedNs = std::max<double>(0, static_cast<double>(waitedNs) - 50e6);
        work.push_back((static_cast<double>(loadedNs) + preparedNs + static_cast<double>(paintNs)) / 1e6);
        total.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(work.begin(), work.end());
    std::sort(total.begin(), total.end());
    std::printf("slot press to painted preview (one-page template, %d runs): load+prepare+paint median "
                "%.1f ms (max %.1f ms); with the 50 ms timer median %.1f ms\n",
                runs, work[work.size() / 2], work.back(), total[total.size() / 2]);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() >= 3 && arguments.at(1) == QLatin1String("--labels")) {
        return renderRun(arguments.at(2).toInt(), arguments.size() > 3 ? arguments.at(3).toInt() : 3);
    }
    if (arguments.size() >= 2 && arguments.at(1) == QLatin1String("--preview")) {
        return previewRun(20);
    }
    int status = 0;
    for (const QStringList& run : {QStringList{"--labels", "1000", "5"},
                                   QStringList{"--labels", "10000", "3"}, QStringList{"--preview"}}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), run);
        child.waitForFinished(-1);
        status = std::max(status, child.exitCode());
    }
    return status;
}
