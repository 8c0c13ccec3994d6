// labelprint-batch records: the imported records as escaped tab-separated text, errors as the window shows
// them.
#include "common/PdfTools.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runBatch(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(LBL_BATCH_PATH), arguments);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString fixture(const char* name)
{
    return QStringLiteral(LBL_TEST_DATA "/") + QLatin1String(name);
}

} // namespace

class TstBatch : public QObject
{
    Q_OBJECT

private slots:
    void records_data();
    void records();
    void failures_data();
    void failures();
    void render();
};

void TstBatch::records_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("escapes, empty and error rows")
        << fixture("import_escapes.xls")
        << QByteArray("Name\tNote\tPrice\tEAN\tDay\n"
                      "康师傅\ttab\\there\t3.5\t6901234567892\t15 Mar 2023\n"
                      "line\tone\\ntwo\\r\\nthree\t12\t\t\n"
                      "back\\\\slash\t\t4\t4006381333931\t16 Mar 2023\n");
    QTest::newRow("header only") << fixture("f05_header_only.xls") << QByteArray("Code\tName\tPrice\n");
}

void TstBatch::records()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, expected);

    const Run run = runBatch({QStringLiteral("records"), file});
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, expected);
}

void TstBatch::failures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("err");

    QTest::newRow("single cell gets a full stop")
        << QStringList{"records", fixture("f06_single_cell.xls")} << 1 << QByteArray("Invalid argument.\n");
    QTest::newRow("duplicate header") << QStringList{"records", fixture("import_duplicate.xls")} << 1
                                      << QByteArray("Duplicate name 'NAME' in TFieldDefs.\n");
    QTest::newRow("closing parenthesis is below the full stop")
        << QStringList{"records", fixture("import_error_header.xls")} << 1
        << QByteArray("Could not convert variant of type (Error) into type (String)\n");
    QTest::newRow("no command") << QStringList{} << 2
                                << QByteArray(
                                       "usage:\n  labelprint-batch records WORKBOOK\n"
                                       "  labelprint-batch render TEMPLATE WORKBOOK -o OUT.pdf [--dpi N]\n"
                                       "  labelprint-batch print TEMPLATE WORKBOOK [--printer NAME]\n");
    QTest::newRow("missing workbook argument")
        << QStringList{"records"} << 2 << QByteArray("usage:\n  labelprint-batch records WORKBOOK\n");
}

void TstBatch::failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, err);

    const Run run = runBatch(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.err, err);
    QCOMPARE(run.out, QByteArray());
}

void TstBatch::render()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("labels.pdf");
    const Run run =
        runBatch({"render", fixture("window_name_label.lbt"), fixture("import_twenty.xls"), "-o", pdf});
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);

    QCOMPARE(lbl::test::pdfInfo(pdf).pages, 20);
    QCOMPARE(lbl::test::pdfText(pdf, 20).trimmed(), QString::fromUtf8("商品20"));

    const Run missing =
        runBatch({"render", dir.filePath("none.lbt"), fixture("import_twenty.xls"), "-o", pdf});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.err.startsWith("Cannot open file \""), missing.err.constData());
}

QTEST_GUILESS_MAIN(TstBatch)
#include "tst_batch.moc"
