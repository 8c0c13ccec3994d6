// Submitting a PDF to CUPS: the printed page size and text, and every refusal reported as an error.
#include "common/CupsServer.h"
#include "common/PdfTools.h"
#include "preview/CupsJob.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using lbl::preview::mediaOption;
using lbl::preview::PrintResult;
using lbl::preview::submitPdf;
using lbl::test::CupsServer;
using lbl::test::PdfFacts;
using lbl::test::pdfInfo;
using lbl::test::runTool;
using namespace std::chrono_literals;

namespace {

constexpr qreal pointsPerMm = 72.0 / 25.4;

bool writePdf(const QString& path, QSizeF pageMm, const QString& text)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(pageMm, QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(300);
    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(8);
    painter.setFont(font);
    painter.drawText(QPointF(30, 120), text);
    return painter.end();
}

} // namespace

class TstCupsJob : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mediaOptionText_data();
    void mediaOptionText();
    void pageSizeOnPdfQueue_data();
    void pageSizeOnPdfQueue();
    void textOnFileQueue();
    void copies();
    void refused_data();
    void refused();
    void unreadableFile();
    void stoppedServer();

private:
    QString pdf(QSizeF pageMm, const QString& text);

    CupsServer m_server;
    QTemporaryDir m_files;
};

QString TstCupsJob::pdf(QSizeF pageMm, const QString& text)
{
    const QString path =
        m_files.filePath(QStringLiteral("%1x%2-%3.pdf").arg(pageMm.width()).arg(pageMm.height()).arg(text));
    return writePdf(path, pageMm, text) ? path : QString();
}

void TstCupsJob::initTestCase()
{
    QVERIFY(m_files.isValid());
    LBL_START_CUPS(m_server);
    QVERIFY2(m_server.addPdfQueue(QStringLiteral("Pdf")), qPrintable(m_server.errorString()));
    QVERIFY2(m_server.addFileQueue(QStringLiteral("Text")), qPrintable(m_server.errorString()));
    QVERIFY2(m_server.addFileQueue(QStringLiteral("Copies")), qPrintable(m_server.errorString()));
    QVERIFY2(m_server.addFileQueue(QStringLiteral("Refusing")), qPrintable(m_server.errorString()));
    QVERIFY2(m_server.reject(QStringLiteral("Refusing"), QStringLiteral("Out of labels")),
             qPrintable(m_server.errorString()));
    QVERIFY2(m_server.addFileQueue(QStringLiteral("Paused")), qPrintable(m_server.errorString()));
    QVERIFY2(m_server.disable(QStringLiteral("Paused"), QStringLiteral("Lid open")),
             qPrintable(m_server.errorString()));
    QVERIFY2(m_server.addFailingQueue(QStringLiteral("Broken")), qPrintable(m_server.errorString()));
}

void TstCupsJob::mediaOptionText_data()
{
    QTest::addColumn<QSizeF>("pageMm");
    QTest::addColumn<QString>("option");

    QTest::newRow("whole millimetres") << QSizeF(50, 40) << "Custom.50x40mm";
    QTest::newRow("one decimal") << QSizeF(34.9, 17) << "Custom.34.9x17mm";
    QTest::newRow("two decimals") << QSizeF(70.25, 38.5) << "Custom.70.25x38.5mm";
    QTest::newRow("float noise rounded") << QSizeF(55.000000001, 29.999999) << "Custom.55x30mm";
}

void TstCupsJob::mediaOptionText()
{
    QFETCH(QSizeF, pageMm);
    QFETCH(QString, option);

    QCOMPARE(mediaOption(pageMm), option);
}

void TstCupsJob::pageSizeOnPdfQueue_data()
{
    QTest::addColumn<QSizeF>("pageMm");

    QTest::newRow("50 x 40 mm") << QSizeF(50, 40);
    QTest::newRow("34.9 x 17 mm") << QSizeF(34.9, 17);
}

void TstCupsJob::pageSizeOnPdfQueue()
{
    QFETCH(QSizeF, pageMm);

    const QStringList before = m_server.outputFiles(QStringLiteral("Pdf"));
    const QString path = pdf(pageMm, QStringLiteral("size"));
    QVERIFY(!path.isEmpty());

    const PrintResult result =
        submitPdf(QStringLiteral("Pdf"), path, QStringLiteral("Size test"), pageMm, 1, 30s);
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY(result.jobId > 0);
    QVERIFY(result.completed);
    QVERIFY2(m_server.waitForJobs(), qPrintable(m_server.errorString()));

    const QStringList after = m_server.outputFiles(QStringLiteral("Pdf"));
    QCOMPARE(after.size(), before.size() + 1);
    const PdfFacts facts = pdfInfo(after.last());
    QCOMPARE(facts.pages, 1);
    // CUPS rounds custom sizes to whole points on the way to the driver.
    QVERIFY2(qAbs(facts.sizePt.width() - pageMm.width() * pointsPerMm) < 1.5,
             qPrintable(QString::number(facts.sizePt.width())));
    QVERIFY2(qAbs(facts.sizePt.height() - pageMm.height() * pointsPerMm) < 1.5,
             qPrintable(QString::number(facts.sizePt.height())));
}

void TstCupsJob::textOnFileQueue()
{
    const QString path = pdf(QSizeF(50, 40), QStringLiteral("LBL4711"));
    QVERIFY(!path.isEmpty());

    const PrintResult result =
        submitPdf(QStringLiteral("Text"), path, QStringLiteral("Text test"), QSizeF(50, 40), 1, 30s);
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY(result.completed);
    QVERIFY2(m_server.waitForJobs(), qPrintable(m_server.errorString()));

    const QStringList files = m_server.outputFiles(QStringLiteral("Text"));
    QCOMPARE(files.size(), 1);
    QVERIFY(runTool(QStringLiteral("pdftotext"), {files.first(), QStringLiteral("-")})
                .contains(QStringLiteral("LBL4711")));
}

void TstCupsJob::copies()
{
    const QString path = pdf(QSizeF(50, 40), QStringLiteral("copies"));
    QVERIFY(!path.isEmpty());

    const PrintResult result =
        submitPdf(QStringLiteral("Copies"), path, QStringLiteral("Copies"), QSizeF(50, 40), 3, 30s);
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY2(m_server.waitForJobs(), qPrintable(m_server.errorString()));

    const QStringList files = m_server.outputFiles(QStringLiteral("Copies"));
    QCOMPARE(files.size(), 1);
    QCOMPARE(pdfInfo(files.first()).pages, 3);
}

void TstCupsJob::refused_data()
{
    QTest::addColumn<QString>("printer");
    QTest::addColumn<bool>("jobCreated");
    QTest::addColumn<QString>("fragment");

    QTest::newRow("rejecting jobs") << "Refusing" << false
                                    << "Printer \"Refusing\" does not accept jobs: Out of labels";
    QTest::newRow("disabled") << "Paused" << false << "Printer \"Paused\" is stopped: Lid open";
    QTest::newRow("not installed") << "Nowhere" << false << "Printer \"Nowhere\" does not exist";
    QTest::newRow("filter fails") << "Broken" << true << "on printer \"Broken\"";
}

void TstCupsJob::refused()
{
    QFETCH(QString, printer);
    QFETCH(bool, jobCreated);
    QFETCH(QString, fragment);

    const QString path = pdf(QSizeF(50, 40), QStringLiteral("refused"));
    QVERIFY(!path.isEmpty());

    const PrintResult result = submitPdf(printer, path, QStringLiteral("Refused"), QSizeF(50, 40), 1, 30s);
    QVERIFY(!result.ok);
    QVERIFY(!result.completed);
    QVERIFY2(result.error.contains(fragment), qPrintable(result.error));
    QCOMPARE(result.jobId > 0, jobCreated);
    if (jobCreated) {
        QVERIFY2(result.error.contains(QStringLiteral("Filter failed")), qPrintable(result.error));
    }
    QVERIFY(m_server.waitForJobs());
    QCOMPARE(m_server.outputFiles(printer), QStringList());
}

void TstCupsJob::unreadableFile()
{
    const PrintResult result =
        submitPdf(QStringLiteral("Text"), m_files.filePath(QStringLiteral("missing.pdf")),
                  QStringLiteral("Missing"), QSizeF(50, 40), 1, 30s);
    QVERIFY(!result.ok);
    QCOMPARE(result.jobId, 0);
    QVERIFY2(result.error.contains(QStringLiteral("missing.pdf")), qPrintable(result.error));
    QVERIFY2(result.error.contains(QStringLiteral("\"Text\"")), qPrintable(result.error));
}

void TstCupsJob::stoppedServer()
{
    const QString path = pdf(QSizeF(50, 40), QStringLiteral("stopped"));
    QVERIFY(!path.isEmpty());
    CupsServer server;
    LBL_START_CUPS(server);
    QVERIFY2(server.addFileQueue(QStringLiteral("Gone")), qPrintable(server.errorString()));
    server.stop();

    const PrintResult result =
        submitPdf(QStringLiteral("Gone"), path, QStringLiteral("Stopped"), QSizeF(50, 40), 1, 30s);
    QVERIFY(!result.ok);
    QCOMPARE(result.jobId, 0);
    QVERIFY2(result.error.contains(QStringLiteral("printer \"Gone\"")), qPrintable(result.error));
    QVERIFY2(result.error.contains(QStringLiteral("not reachable")), qPrintable(result.error));
}

QTEST_MAIN(TstCupsJob)
#include "tst_cupsjob.moc"
