// Slot selection, report runs and the print command over a real engine and record sets.
#include "common/RecordingMessageBoxes.h"
#include "output/ReportRuns.h"
#include "preview/PreviewPane.h"
#include "report/TemplateFile.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace lbl;

namespace {

report::Report labelTemplate(const QString& text)
{
    report::Report r;
    r.dataSets = {report::defaultDataSetAlias};
    report::Page page;
    page.setPaper(report::PaperSize::Custom, report::Orientation::Portrait, QSizeF(50, 30));
    report::Band band;
    band.type = report::BandType::MasterData;
    band.dataSet = report::defaultDataSetAlias;
    band.heightMm = 30;
    report::TextObject t;
    t.text = text;
    band.objects.append(report::ReportObject{QStringLiteral("Name"), QRectF(2, 2, 40, 6), t});
    page.bands.append(band);
    r.pages.append(page);
    return r;
}

} // namespace

class TstReportRuns : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void selectSlot_data();
    void selectSlot();
    void unopenableTemplate();
    void pressTwiceReloads();
    void otherModesOnlySetThePrinter_data();
    void otherModesOnlySetThePrinter();
    void designStores_data();
    void designStores();
    void refusedWriteLeavesMainBound();
    void trimmed_data();
    void trimmed();

private:
    QString writeTemplate(const QString& name, const QString& text);
    output::OutputContext context();

    test::RecordingMessageBoxes m_boxes;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<preview::ReportEngine> m_engine;
    std::unique_ptr<preview::PreviewPane> m_pane;
    data::RecordSet m_main{QStringLiteral("cdsMain")};
    data::RecordSet m_tmp{QStringLiteral("cdsTmp")};
    data::DataSource m_dsMain{&m_main};
    data::DataSource m_dsTmp{&m_tmp};
    QMap<QString, QString> m_settings;
    QStringList m_writes;
    bool m_refuseWrites = false;
    int m_designRuns = 0;
    std::function<void(preview::ReportEngine&)> m_designer;
};

void TstReportRuns::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    for (data::RecordSet* set : {&m_main, &m_tmp}) {
        set->addFieldDef({QStringLiteral("SPMC00")});
        set->createDataSet();
    }
    m_main.append();
    m_main.setField(0, QStringLiteral("苹果"));
    m_main.append();
    m_main.setField(0, QStringLiteral("香蕉"));
    m_tmp.append();
    m_tmp.setField(0, QStringLiteral("苹果"));
}

void TstReportRuns::init()
{
    m_boxes.shown.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    m_engine = std::make_unique<preview::ReportEngine>(m_boxes);
    m_pane = std::make_unique<preview::PreviewPane>();
    m_settings.clear();
    m_writes.clear();
    m_refuseWrites = false;
    m_designRuns = 0;
    m_designer = [this](preview::ReportEngine&) { ++m_designRuns; };
}

QString TstReportRuns::writeTemplate(const QString& name, const QString& text)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(report::templateToXml(labelTemplate(text)));
    }
    return path;
}

output::OutputContext TstReportRuns::context()
{
    output::OutputContext c;
    c.engine = m_engine.get();
    c.pane = m_pane.get();
    c.dsTmp = &m_dsTmp;
    c.dsMain = &m_dsMain;
    c.readSetting = [this](const QString& section, const QString& key, const QString& def) {
        return section == "LAB" ? m_settings.value(key, def) : def;
    };
    c.writeSetting = [this](const QString& section, const QString& key, const QString& value) {
        if (m_refuseWrites) {
            throw settings::SettingsError(m_dir->filePath("myini.ini"));
        }
        m_writes.append(section + '/' + key + '=' + value);
    };
    c.design = [this](preview::ReportEngine& engine) { m_designer(engine); };
    c.printerName = [] { return QStringLiteral("LabelZebra"); };
    return c;
}

void TstReportRuns::selectSlot_data()
{
    QTest::addColumn<QString>("stored"); // "<tpl>": a template written for the test; "<none>": no key
    QTest::addColumn<bool>("loaded");

    QTest::newRow("template file exists") << "<tpl>" << true;
    QTest::newRow("key missing") << "<none>" << false;
    QTest::newRow("key empty") << "" << false;
    QTest::newRow("file gone") << "/no/such/label.lbt" << false;
}

void TstReportRuns::selectSlot()
{
    QFETCH(QString, stored);
    QFETCH(bool, loaded);

    const QString path = writeTemplate("slot.lbt", "[rptDBDataset1.\"SPMC00\"]");
    if (stored == "<tpl>") {
        stored = path;
    }
    if (stored != "<none>") {
        m_settings.insert("LAB_BQTM02", stored);
    }
    m_engine->report() = report::sampleReport();
    m_engine->dataLink().setSource(&m_dsMain);

    QSignalSpy ready(m_engine.get(), &preview::ReportEngine::previewReady);
    output::selectSlot(context(), "LAB_BQTM02");
    QCOMPARE(m_engine->dataLink().source(), &m_dsTmp);
    QCOMPARE(m_engine->report().fileName, loaded ? path : QString());
    QCOMPARE(m_engine->report().pages.size(), loaded ? 1 : 0);
    QCOMPARE(m_engine->printerName(), "LabelZebra");
    QVERIFY(m_engine->showPrintDialog());
    // The preview is prepared after the handler returned, not within it.
    QCOMPARE(ready.count(), 0);
    QVERIFY(ready.wait(2000));
    QVERIFY2(m_boxes.shown.isEmpty(), qPrintable(m_boxes.texts().join('\n')));
}

void TstReportRuns::unopenableTemplate()
{
    const QString folder = m_dir->filePath("a-folder.lbt");
    QVERIFY(QDir().mkpath(folder));
    m_settings.insert("LAB_BQTM01", folder);
    try {
        output::selectSlot(context(), "LAB_BQTM01");
        QFAIL("no error");
    } catch (const report::TemplateError& e) {
        QVERIFY2(QString::fromUtf8(e.what()).startsWith("Cannot open file \"" + folder + "\". "), e.what());
    }
    QVERIFY(m_engine->report().fileName.isEmpty());
    QVERIFY(m_engine->report().pages.isEmpty());
}

void TstReportRuns::pressTwiceReloads()
{
    const QString path = writeTemplate("slot.lbt", "first");
    m_settings.insert("LAB_BQTM03", path);
    output::selectSlot(context(), "LAB_BQTM03");
    writeTemplate("slot.lbt", "second");
    output::selectSlot(context(), "LAB_BQTM03");
    const auto& text = std::get<report::TextObject>(m_engine->report().pages[0].bands[0].objects[0].content);
    QCOMPARE(text.text, "second");
}

void TstReportRuns::otherModesOnlySetThePrinter_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("lower case v") << "v";
    QTest::newRow("empty") << "";
    QTest::newRow("lower case d") << "d";
    QTest::newRow("two letters") << "PV";
}

void TstReportRuns::otherModesOnlySetThePrinter()
{
    QFETCH(QString, mode);
    m_engine->setShowPrintDialog(true);
    QSignalSpy ready(m_engine.get(), &preview::ReportEngine::previewReady);
    output::runReport(context(), mode);
    QCOMPARE(m_engine->printerName(), "LabelZebra");
    QVERIFY(m_engine->showPrintDialog());
    QCOMPARE(m_designRuns, 0);
    QVERIFY(!ready.wait(200));
    QVERIFY(m_boxes.shown.isEmpty());
}

void TstReportRuns::designStores_data()
{
    QTest::addColumn<QString>("fileNameAfterDesign"); // "<keep>": the designer changes nothing
    QTest::addColumn<bool>("haveSlot");
    QTest::addColumn<QStringList>("writes");

    QTest::newRow("saved as a new file")
        << "/labels/new.lbt" << true << QStringList{"LAB/LAB_BQTM04=/labels/new.lbt"};
    QTest::newRow("nothing loaded or saved") << "<keep>" << true << QStringList();
    QTest::newRow("blank name") << " \t " << true << QStringList();
    QTest::newRow("name kept untrimmed")
        << " /labels/a.lbt " << true << QStringList{"LAB/LAB_BQTM04= /labels/a.lbt "};
    QTest::newRow("no slot ever selected") << "/labels/new.lbt" << false << QStringList();
}

void TstReportRuns::designStores()
{
    QFETCH(QString, fileNameAfterDesign);
    QFETCH(bool, haveSlot);
    QFETCH(QStringList, writes);

    data::DataSource* seen = nullptr;
    m_designer = [&](preview::ReportEngine& engine) {
        seen = engine.dataLink().source();
        if (fileNameAfterDesign != "<keep>") {
            engine.report().fileName = fileNameAfterDesign;
        }
    };
    output::printCommand(
        context(), [] { return output::modeDesign; },
        haveSlot ? std::optional<QString>("LAB_BQTM04") : std::nullopt);
    QCOMPARE(seen, &m_dsMain);
    QCOMPARE(m_writes, writes);
    QCOMPARE(m_engine->dataLink().source(), &m_dsTmp);
    QVERIFY(!m_engine->showPrintDialog());
}

void TstReportRuns::refusedWriteLeavesMainBound()
{
    m_refuseWrites = true;
    m_designer = [](preview::ReportEngine& engine) { engine.report().fileName = "/labels/x.lbt"; };
    QVERIFY_THROWS_EXCEPTION(settings::SettingsError,
                             output::printCommand(
                                 context(), [] { return output::modeDesign; }, "LAB_BQTM01"));
    QCOMPARE(m_engine->dataLink().source(), &m_dsMain);
    output::selectSlot(context(), "LAB_BQTM01");
    QCOMPARE(m_engine->dataLink().source(), &m_dsTmp);
}

void TstReportRuns::trimmed_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("blanks") << "  a.lbt  "
                            << "a.lbt";
    QTest::newRow("control characters") << QString("\t\r\n\x01"
                                                   "a b\x1f")
                                        << "a b";
    QTest::newRow("only blanks") << " \t"
                                 << "";
    QTest::newRow("inner blanks kept") << "a  b"
                                       << "a  b";
}

void TstReportRuns::trimmed()
{
    QFETCH(QString, name);
    QFETCH(QString, trimmed);
    QCOMPARE(output::trimmedFileName(name), trimmed);
}

QTEST_MAIN(TstReportRuns)
#include "tst_reportruns.moc"
