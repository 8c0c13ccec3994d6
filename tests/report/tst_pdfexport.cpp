// PDF export: one page per label at the template's exact size; a cancel leaves no file.
#include "report/PdfExport.h"
#include "report/ReportFixtures.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace lbl;
using namespace lbl::report;

namespace {

// Page count and the first page's size in points, as pdfinfo reads them.
bool pdfInfo(const QString& path, int& pages, QSizeF& sizePt)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    if (!p.waitForFinished() || p.exitCode() != 0) {
        return false;
    }
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const auto pageMatch = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out);
    const auto sizeMatch =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(out);
    if (!pageMatch.hasMatch() || !sizeMatch.hasMatch()) {
        return false;
    }
    pages = pageMatch.captured(1).toInt();
    sizePt = QSizeF(sizeMatch.captured(1).toDouble(), sizeMatch.captured(2).toDouble());
    return true;
}

Report labelReport(const QSizeF& sizeMm)
{
    Report report = sampleReport();
    report.pages[0].setPaper(PaperSize::Custom, Orientation::Portrait, sizeMm);
    report.pages[0].bands[0].heightMm = sizeMm.height() - 2;
    return report;
}

} // namespace

class TstPdfExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pageSize_data();
    void pageSize();
    void cancelLeavesNoFile();
    void noPagesFails();
};

void TstPdfExport::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) {
        QSKIP("pdfinfo (poppler-utils) is not installed");
    }
}

void TstPdfExport::pageSize_data()
{
    QTest::addColumn<QSizeF>("sizeMm");
    QTest::addColumn<int>("dpi");
    QTest::newRow("sample 50 x 40 at 203 dpi") << QSizeF(50, 40) << 203;
    QTest::newRow("wide 55 x 30 at 300 dpi") << QSizeF(55, 30) << 300;
    QTest::newRow("tall 30 x 40 at 203 dpi") << QSizeF(30, 40) << 203;
}

void TstPdfExport::pageSize()
{
    QFETCH(QSizeF, sizeMm);
    QFETCH(int, dpi);
    auto set = test::makeSet(QStringLiteral("cdsMain"), {"SPMC00", "DJ0000", "TXM000"},
                             {{"a", "1", "6901234567892"}, {"b", "2", "6901234567893"}, {"c", "3", "123"}});
    data::DataSource source(set.get());
    DataLink link(defaultDataSetAlias, &source);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("labels.pdf"));
    ErrorList errors;
    QVector<qsizetype> progress;
    const ExportResult result = exportPdf(labelReport(sizeMm), DataLinks{&link}, path, dpi, errors,
                                          [&progress](qsizetype done, qsizetype total) {
                                              progress.append(done * 10 + total);
                                              return true;
                                          });
    QCOMPARE(int(result), int(ExportResult::Written));
    QCOMPARE(errors.lines(), QStringList());
    QCOMPARE(progress, (QVector<qsizetype>{13, 23, 33}));
    int pages = 0;
    QSizeF sizePt;
    QVERIFY(pdfInfo(path, pages, sizePt));
    // The PDF engine keeps page sizes in whole points.
    QCOMPARE(pages, 3);
    QVERIFY2(qAbs(sizePt.width() - sizeMm.width() / 25.4 * 72) <= 0.5,
             qPrintable(QString::number(sizePt.width())));
    QVERIFY2(qAbs(sizePt.height() - sizeMm.height() / 25.4 * 72) <= 0.5,
             qPrintable(QString::number(sizePt.height())));
}

void TstPdfExport::cancelLeavesNoFile()
{
    auto set = test::makeSet(QStringLiteral("cdsMain"), {"SPMC00"}, test::numberedRows(5));
    data::DataSource source(set.get());
    DataLink link(defaultDataSetAlias, &source);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("labels.pdf"));
    QFile earlier(path);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();

    ErrorList errors;
    qsizetype calls = 0;
    const ExportResult result =
        exportPdf(sampleReport(), DataLinks{&link}, path, 203, errors, [&calls](qsizetype done, qsizetype) {
            ++calls;
            return done < 2;
        });
    QCOMPARE(int(result), int(ExportResult::Cancelled));
    QCOMPARE(calls, qsizetype(2));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"labels.pdf"});
}

void TstPdfExport::noPagesFails()
{
    data::RecordSet closed(QStringLiteral("cdsMain"));
    data::DataSource source(&closed);
    DataLink link(defaultDataSetAlias, &source);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("labels.pdf"));
    ErrorList errors;
    QCOMPARE(int(exportPdf(sampleReport(), DataLinks{&link}, path, 203, errors)), int(ExportResult::Failed));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(errors.lines(),
             (QStringList{"cdsMain: Missing data provider or data packet", "There are no pages to export"}));
}

QTEST_MAIN(TstPdfExport)
#include "tst_pdfexport.moc"
