// Saves the settings file and a template over and over until killed; the kill test's victim.
// Usage: save_loop FOLDER
#include "report/Report.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QDir>

namespace {

// Two versions of each file that differ throughout, so a torn write cannot pass for either.
lbl::report::Report version(int v)
{
    lbl::report::Report report = lbl::report::sampleReport();
    for (int i = 0; i < 200; ++i) {
        lbl::report::TextObject text;
        text.text = QString(40, QLatin1Char(v == 0 ? 'a' : 'b')) + QString::number(i);
        report.pages[0].bands[0].objects.append(
            lbl::report::ReportObject{QStringLiteral("T%1").arg(i), QRectF(1, 1, 10, 3), text});
    }
    return report;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const lbl::report::Report versions[2] = {version(0), version(1)};
    const QString values[2] = {QString(1500, QLatin1Char('x')), QString(1500, QLatin1Char('y'))};
    for (unsigned n = 0;; ++n) {
        lbl::report::Report report = versions[n % 2];
        report.saveToFile(folder.filePath(QStringLiteral("label.lbt")));
        lbl::settings::writeValue(folder.filePath(QStringLiteral("myini.ini")), QStringLiteral("LAB"),
                                  QStringLiteral("LAB_BQTM01"), values[n % 2]);
    }
}
