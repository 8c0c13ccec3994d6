// Opens a workbook repeatedly and prints the median time to open it and fetch its used range, and peak RSS.
#include "sheet/Workbook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using lbl::sheet::Workbook;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: bench_sheet WORKBOOK.xls [RUNS]\n"
                             "  make one with: python3 bench/make_big_workbook.py big.xls\n");
        return 2;
    }
    const QString& path = args.at(1);
    const int runs = args.size() == 3 ? std::max(1, args.at(2).toInt()) : 15;

    std::vector<double> openMs;
    std::vector<double> totalMs;
    qsizetype rows = 0;
    qsizetype columns = 0;
    QString used;
    try {
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer timer;
            timer.start();
            const auto book = Workbook::open(path);
            const qint64 opened = timer.nsecsElapsed();
            used = book->activeSheet().usedRangeAddress();
            const auto grid = book->activeSheet().values(QString(used).remove(QLatin1Char('$')));
            const qint64 fetched = timer.nsecsElapsed();
            rows = grid.rowCount();
            columns = grid.columnCount();
            openMs.push_back(double(opened) / 1e6);
            totalMs.push_back(double(fetched) / 1e6);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("workbook        %s\n", qPrintable(path));
    std::printf("used range      %s (%lld rows x %lld columns)\n", qPrintable(used),
                static_cast<long long>(rows), static_cast<long long>(columns));
    std::printf("runs            %d\n", runs);
    std::printf("open  median    %.1f ms (min %.1f, max %.1f)\n", median(openMs),
                *std::min_element(openMs.begin(), openMs.end()),
                *std::max_element(openMs.begin(), openMs.end()));
    std::printf("open + values   %.1f ms median\n", median(totalMs));
    std::printf("peak RSS        %.1f MB\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
