// Import of a large workbook into the main record set: wall time per run and peak memory.
#include "data/RecordSet.h"
#include "data/WorkbookImport.h"
#include "data/WorkbookServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <sys/resource.h>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: bench_import WORKBOOK.xls [RUNS]\n"
                             "  (python3 bench/make_import_workbook.py OUT.xls [ROWS] writes one)\n");
        return 2;
    }
    const QString& file = arguments.at(1);
    const int runs = arguments.size() > 2 ? std::max(1, arguments.at(2).toInt()) : 7;

    std::vector<double> seconds;
    qsizetype records = 0;
    qsizetype fields = 0;
    try {
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer timer;
            timer.start();
            lbl::data::RecordSet cdsMain(QStringLiteral("cdsMain"));
            lbl::data::importWorkbook(file, cdsMain, lbl::data::workbookServerFactory(), QLocale::system());
            cdsMain.first();
            seconds.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
            records = cdsMain.recordCount();
            fields = cdsMain.fieldDefs().size();
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }

    std::vector<double> sorted = seconds;
    std::sort(sorted.begin(), sorted.end());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("workbook        %s\n", qPrintable(file));
    std::printf("fields/records  %lld / %lld\n", static_cast<long long>(fields),
                static_cast<long long>(records));
    std::printf("runs            %d\n", runs);
    std::printf("open+import     median %.3f s, min %.3f s, max %.3f s\n", sorted[sorted.size() / 2],
                sorted.front(), sorted.back());
    std::printf("peak RSS        %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}
