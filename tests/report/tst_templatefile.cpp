// Template files: exact round trips, damaged files read in part, files that cannot be opened.
#include "report/Prepare.h"
#include "report/ReportFixtures.h"
#include "report/TemplateFile.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace lbl;
using namespace lbl::report;

Q_DECLARE_METATYPE(lbl::report::Report)

namespace {

QByteArray pngBytes()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Every object kind and every option away from its default.
Report everything()
{
    Report report;
    report.dataSets = QStringList{"rptDBDataset1", "other"};
    report.script = QStringLiteral("begin\n\tend; <&> \"quoted\"");
    report.printOptions.copies = 3;
    report.printOptions.printDialog = false;
    report.printOptions.printerName = QStringLiteral("Label printer");

    Page page;
    page.name = QStringLiteral("Sheet");
    page.setPaper(PaperSize::A5, Orientation::Landscape);
    page.margins = {1.5, 2.25, 3, 4.125};
    page.growsWithContent = true;
    page.columns = {3, 2.5};

    Band header;
    header.type = BandType::PageHeader;
    header.name = QStringLiteral("Header");
    header.heightMm = 7.5;
    TextObject caption;
    caption.text = QStringLiteral("  品名 [Page#]/[TotalPages#]\nsecond line  ");
    caption.font = {QStringLiteral("WenQuanYi Micro Hei"), 11.5, true, true, true, QColor(10, 20, 30)};
    caption.hAlign = HAlign::Right;
    caption.vAlign = VAlign::Bottom;
    caption.wordWrap = false;
    caption.frame = {true, false, true, false, 0.35, QColor(200, 0, 0, 128)};
    header.objects.append({QStringLiteral("Caption"), QRectF(0.1, 0.2, 30.3, 5.4), caption});

    Band master;
    master.type = BandType::MasterData;
    master.name = QStringLiteral("Items");
    master.dataSet = QStringLiteral("rptDBDataset1");
    master.topMm = 12.7;
    master.heightMm = 38;
    BarcodeObject code;
    code.data = QStringLiteral("[rptDBDataset1.\"TXM000\"]");
    code.sampleText = QStringLiteral("6901234567892");
    code.style.symbology = Symbology::Ean13;
    code.style.showText = false;
    code.style.textFont = QFont(QStringLiteral("DejaVu Sans"));
    code.style.textFont.setPointSizeF(7.5);
    code.style.textFont.setBold(true);
    code.style.rotationDeg = 90;
    code.style.wideToNarrow = 2.5;
    code.style.zoom = 1.669790126582278;
    code.style.autoSize = true;
    master.objects.append({QStringLiteral("Code"), QRectF(6, 17, 34.9, 17), code});
    LineObject line;
    line.widthMm = 0.5;
    line.color = QColor(Qt::blue);
    master.objects.append({QStringLiteral("Rule"), QRectF(0, 36, 50, 0), line});
    RectObject box;
    box.lineWidthMm = 0.3;
    box.lineColor = QColor(Qt::darkGreen);
    box.fillColor = QColor(255, 255, 0);
    master.objects.append({QStringLiteral("Box"), QRectF(-1, -2, 52, 40), box});
    PictureObject logo;
    logo.imageData = pngBytes();
    logo.keepAspect = false;
    master.objects.append({QStringLiteral("Logo"), QRectF(40, 1, 8, 6), logo});

    Band footer;
    footer.type = BandType::PageFooter;
    footer.name = QStringLiteral("Footer");
    footer.heightMm = 4;
    RectObject outline; // no fill
    footer.objects.append({QStringLiteral("Outline"), QRectF(0, 0, 10, 4), outline});

    page.bands = {header, master, footer};
    report.pages.append(page);

    Page custom;
    custom.name = QStringLiteral("Custom");
    custom.setPaper(PaperSize::Custom, Orientation::Portrait, QSizeF(55, 30));
    report.pages.append(custom);
    return report;
}

} // namespace

class TstTemplateFile : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void emptyPathClears();
    void damaged_data();
    void damaged();
    void cannotOpen_data();
    void cannotOpen();
    void cannotSave();
    void examples_data();
    void examples();
};

void TstTemplateFile::roundTrip_data()
{
    QTest::addColumn<Report>("report");
    QTest::newRow("every object and option") << everything();
    QTest::newRow("built-in sample") << sampleReport();
    QTest::newRow("cleared report") << Report();
}

void TstTemplateFile::roundTrip()
{
    QFETCH(Report, report);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.lbt"));
    Report saved = report;
    saved.saveToFile(path);
    QCOMPARE(saved.fileName, path);

    Report loaded;
    ErrorList errors;
    loaded.loadFromFile(path, errors);
    QCOMPARE(errors.lines(), QStringList());
    QCOMPARE(loaded.fileName, path);
    loaded.fileName.clear();
    QVERIFY(loaded == report);
    QCOMPARE(templateToXml(loaded), templateToXml(report));
}

void TstTemplateFile::emptyPathClears()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.lbt"));
    Report report = everything();
    report.saveToFile(path);
    ErrorList errors;
    report.loadFromFile(QString(), errors);
    QVERIFY(report == Report());
    QVERIFY(report.pages.isEmpty());
    QVERIFY(report.fileName.isEmpty());
    QCOMPARE(report.printOptions.copies, 1);
    QVERIFY(report.printOptions.printDialog);
    QVERIFY(errors.isEmpty());
}

void TstTemplateFile::damaged_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("objects"); ///< on the first band of the first page, -1: no band

    const QByteArray head = "<?xml version=\"1.0\"?>\n<label-template version=\"1\">\n"
                            "<page paper=\"custom\" width=\"50\" height=\"40\">\n"
                            "<band type=\"master-data\" height=\"38\">\n";
    const QByteArray text =
        "<text left=\"3\" top=\"3\" width=\"44\" height=\"5\"><content>A</content></text>\n";
    const QByteArray tail = "</band></page></label-template>\n";

    QTest::newRow("empty file") << QByteArray() << "d.lbt: line 1: " << 0 << -1;
    QTest::newRow("not xml") << QByteArray("hello") << "d.lbt: line 1: " << 0 << -1;
    QTest::newRow("wrong root") << QByteArray("<html><page/></html>")
                                << "d.lbt: not a label template (root element <html>)" << 0 << -1;
    QTest::newRow("truncated after an object") << head + text + "<text left=\"1\""
                                               << "d.lbt: line 6: " << 1 << 1;
    QTest::newRow("mismatched tag") << head + text + "</page>"
                                    << "d.lbt: line 6: " << 1 << 1;
    QTest::newRow("bad number") << head + "<text left=\"abc\"><content>B</content></text>\n" + text + tail
                                << "d.lbt: line 5: <text> attribute \"left\": not a number: \"abc\"" << 1
                                << 2;
    QTest::newRow("page width out of range")
        << QByteArray("<label-template version=\"1\"><page width=\"0\"/></label-template>")
        << "d.lbt: line 1: <page> attribute \"width\": out of range 1 to 10000: \"0\"" << 1 << -1;
    QTest::newRow("unknown value") << head + "<text h-align=\"middle\"/>" + tail
                                   << "<text> attribute \"h-align\": unknown value: \"middle\"" << 1 << 1;
    QTest::newRow("unknown symbology") << head + "<barcode symbology=\"code11\"/>" + tail
                                       << "attribute \"symbology\": unknown value: \"code11\"" << 1 << 1;
    QTest::newRow("bad rotation") << head + "<barcode rotation=\"45\"/>" + tail
                                  << "attribute \"rotation\": not 0, 90, 180 or 270: \"45\"" << 1 << 1;
    QTest::newRow("unknown element") << head + "<ellipse/>" + text + tail
                                     << "d.lbt: line 5: unknown element <ellipse>" << 1 << 1;
    QTest::newRow("picture not base64") << head + "<picture name=\"P\">@@@</picture>" + tail
                                        << "<picture> \"P\": image data is not base64" << 1 << 1;
    QTest::newRow("page of a billion millimetres")
        << QByteArray(
               "<label-template version=\"1\"><page width=\"1e9\" height=\"1000000000\"/></label-template>")
        << "d.lbt: line 1: <page> attribute \"width\": out of range 1 to 10000: \"1e9\"" << 1 << -1;
    QTest::newRow("a million objects") << head + text.repeated(1000000) + tail
                                       << "more than 10000 objects; the rest is not read" << 1 << 10000;
    QTest::newRow("more bands than a template may hold")
        << head + QByteArray("</band><band>").repeated(1000) + tail
        << "more than 1000 bands; the rest is not read" << 1 << 0;
    QTest::newRow("more pages than a template may hold")
        << QByteArray("<label-template version=\"1\">") + QByteArray("<page/>").repeated(1001)
               + "</label-template>"
        << "more than 1000 pages; the rest is not read" << 1000 << -1;
    QTest::newRow("elements nested 100000 deep")
        << head + QByteArray("<g>").repeated(100000) + QByteArray("</g>").repeated(100000) + text + tail
        << "d.lbt: line 5: unknown element <g>" << 1 << 1;
    QTest::newRow("missing version") << QByteArray("<label-template><page/></label-template>")
                                     << "d.lbt: line 1: missing or bad format version \"\"" << 1 << -1;
    QTest::newRow("newer version") << QByteArray("<label-template version=\"2\"><page/></label-template>")
                                   << "format version 2 is newer than this program reads (1)" << 1 << -1;
}

void TstTemplateFile::damaged()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, reason);
    QFETCH(int, pages);
    QFETCH(int, objects);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.lbt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(xml);
    file.close();

    Report report = sampleReport();
    ErrorList errors;
    report.loadFromFile(path, errors);
    QVERIFY2(!errors.isEmpty(), "no reason listed");
    QVERIFY2(errors.lines().first().contains(reason), qPrintable(errors.lines().join('\n')));
    QCOMPARE(report.fileName, path);
    QCOMPARE(report.pages.size(), pages);
    if (objects >= 0) {
        QVERIFY(!report.pages.first().bands.isEmpty());
        QCOMPARE(report.pages.first().bands.first().objects.size(), objects);
    }
}

void TstTemplateFile::cannotOpen_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing file") << "missing/none.lbt"
                                  << "No such file or directory";
    QTest::newRow("directory") << "folder"
                               << "file to open is a directory";
}

void TstTemplateFile::cannotOpen()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QString path = dir.filePath(name);

    Report report = sampleReport();
    report.fileName = dir.filePath(QStringLiteral("earlier.lbt"));
    ErrorList errors;
    try {
        report.loadFromFile(path, errors);
        QFAIL("no exception");
    } catch (const TemplateError& e) {
        QCOMPARE(QString::fromUtf8(e.what()),
                 QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason));
        QCOMPARE(e.fileName(), path);
    }
    QVERIFY(report.fileName.isEmpty());
    QVERIFY(report.pages.isEmpty());
    QVERIFY(report.dataSets.isEmpty());
    QVERIFY(errors.isEmpty());
}

void TstTemplateFile::cannotSave()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/t.lbt"));
    Report report = sampleReport();
    QVERIFY_THROWS_EXCEPTION(TemplateError, report.saveToFile(path));
    QVERIFY(report.fileName.isEmpty());
}

void TstTemplateFile::examples_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSizeF>("sizeMm");
    QTest::newRow("slot 1") << "label_30x40.lbt" << QSizeF(30, 40);
    QTest::newRow("slot 2") << "label_55x30.lbt" << QSizeF(55, 30);
    QTest::newRow("slot 3") << "label_70x38.lbt" << QSizeF(70, 38);
}

// The bundled templates read cleanly and give one label per record of the example workbook's fields.
void TstTemplateFile::examples()
{
    QFETCH(QString, name);
    QFETCH(QSizeF, sizeMm);
    const QString path = QStringLiteral(LBL_TEST_DATA "/../../examples/") + name;
    if (!QFile::exists(path)) {
        QSKIP("example not present");
    }
    Report report;
    ErrorList errors;
    report.loadFromFile(path, errors);
    QCOMPARE(errors.lines(), QStringList());

    auto set = test::makeSet(
        QStringLiteral("cdsTmp"), {"SPMC00", "DJ0000", "TXM000", "GG0000", "CD0000", "DW0000", "SCRQ00"},
        {{"农夫山泉饮用天然水", "2.00", "6921168509256", "550ml", "浙江杭州", "瓶", "2024-03-01"},
         {"康师傅红烧牛肉面", "4.50", "6900873000012", "105g", "天津", "袋", "2024-02-15"}});
    data::DataSource source(set.get());
    DataLink link(QStringLiteral("rptDBDataset1"), &source);
    const PreparedReport prepared = prepare(report, DataLinks{&link}, errors);
    QVERIFY2(errors.isEmpty(), qPrintable(errors.lines().join('\n')));
    QCOMPARE(prepared.pages.size(), 2);
    QCOMPARE(prepared.pages.first().sizeMm, sizeMm);
}

QTEST_MAIN(TstTemplateFile)
#include "tst_templatefile.moc"
