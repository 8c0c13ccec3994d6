// A program killed in the middle of saving leaves every file whole: the old version or the new one.
#include "report/Report.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TstKillSafety : public QObject
{
    Q_OBJECT

private slots:
    void killedDuringSaves();
};

void TstKillSafety::killedDuringSaves()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("myini.ini");
    const QString tpl = dir.filePath("label.lbt");
    const QStringList values{QString(1500, QLatin1Char('x')), QString(1500, QLatin1Char('y'))};

    int checkedBoth = 0;
    for (int round = 0; round < 25; ++round) {
        QProcess victim;
        victim.start(QStringLiteral(LBL_SAVE_LOOP), {dir.path()});
        QVERIFY(victim.waitForStarted());
        QTest::qWait(20 + QRandomGenerator::global()->bounded(60));
        ::kill(static_cast<pid_t>(victim.processId()), SIGKILL);
        QVERIFY(victim.waitForFinished());

        if (QFile::exists(ini)) {
            QVERIFY2(values.contains(lbl::settings::readValue(ini, "LAB", "LAB_BQTM01", "<none>")),
                     "the settings file is torn");
        }
        if (QFile::exists(tpl)) {
            lbl::report::Report report;
            lbl::report::ErrorList errors;
            report.loadFromFile(tpl, errors);
            QVERIFY2(errors.isEmpty(), qPrintable(errors.lines().join('\n')));
            QCOMPARE(report.pages.size(), 1);
            QCOMPARE(report.pages[0].bands[0].objects.size(), 203);
            const auto& last =
                std::get<lbl::report::TextObject>(report.pages[0].bands[0].objects.last().content);
            QVERIFY(last.text == QString(40, 'a') + "199" || last.text == QString(40, 'b') + "199");
            ++checkedBoth;
        }
        // Temporary files of an interrupted save may stay behind; the real files never suffer.
    }
    QVERIFY(checkedBoth > 0);
}

QTEST_GUILESS_MAIN(TstKillSafety)
#include "tst_killsafety.moc"
