// The preview set: a copy of the main set's first record, with the same field definitions.
#include "data/PreviewSet.h"
#include "data/RecordSet.h"

#include <QTest>

using lbl::data::buildPreviewSet;
using lbl::data::DataError;
using lbl::data::FieldDef;
using lbl::data::RecordSet;

namespace {

// Builds an open cdsMain with fields NAME, PRICE, CODE; each row lists values, "-" for unset.
void fill(RecordSet& set, const QList<QStringList>& rows)
{
    for (const char* name : {"NAME", "PRICE", "CODE"}) {
        FieldDef def;
        def.name = QString::fromLatin1(name);
        def.size = 100;
        def.required = true;
        set.addFieldDef(def);
    }
    set.createDataSet();
    for (const QStringList& row : rows) {
        set.append();
        for (qsizetype k = 0; k < row.size(); ++k) {
            if (row[k] != QLatin1String("-")) {
                set.setField(k, row[k]);
            }
        }
    }
}

QStringList currentRecord(const RecordSet& set)
{
    QStringList values;
    for (qsizetype k = 0; k < set.fieldDefs().size(); ++k) {
        values << set.fieldText(k);
    }
    return values;
}

} // namespace

class TstPreviewSet : public QObject
{
    Q_OBJECT

private slots:
    void copiesFirstRecord_data();
    void copiesFirstRecord();
    void sameDefinitions();
    void closedMainSet();
    void neverCreatedPreviewSet();
};

void TstPreviewSet::copiesFirstRecord_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QStringList>("preview");
    QTest::addColumn<int>("mainRecords");

    QTest::newRow("three records") << QList<QStringList>{{"面", "3.5", "6901234567892"},
                                                         {"b", "2", "x"},
                                                         {"c"}}
                                   << QStringList{"面", "3.5", "6901234567892"} << 3;
    QTest::newRow("first rows unset")
        << QList<QStringList>{{"-", "-", "-"}, {"-"}, {"-", "9", "-"}, {"z", "1", "2"}}
        << QStringList{"", "9", ""} << 2;
    QTest::newRow("header only") << QList<QStringList>{} << QStringList{"", "", ""} << 0;
    QTest::newRow("last started record unset")
        << QList<QStringList>{{"a", "1", "2"}, {"-", "-", "-"}} << QStringList{"a", "1", "2"} << 1;
}

void TstPreviewSet::copiesFirstRecord()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(QStringList, preview);
    QFETCH(int, mainRecords);

    RecordSet cdsMain(QStringLiteral("cdsMain"));
    RecordSet cdsTmp(QStringLiteral("cdsTmp"));
    fill(cdsMain, rows);
    buildPreviewSet(cdsMain, cdsTmp);

    QCOMPARE(cdsMain.recNo(), 0);
    QCOMPARE(cdsMain.recordCount(), mainRecords);
    QCOMPARE(currentRecord(cdsTmp), preview);
    // The engine's first pass settles the started record: it must survive, even with every field empty.
    cdsTmp.first();
    QCOMPARE(cdsTmp.recordCount(), 1);
    QCOMPARE(currentRecord(cdsTmp), preview);
    cdsTmp.next();
    QVERIFY(cdsTmp.eof());
}

void TstPreviewSet::sameDefinitions()
{
    RecordSet cdsMain(QStringLiteral("cdsMain"));
    RecordSet cdsTmp(QStringLiteral("cdsTmp"));
    fill(cdsMain, {{"a"}});
    buildPreviewSet(cdsMain, cdsTmp);

    QCOMPARE(cdsTmp.fieldDefs().size(), cdsMain.fieldDefs().size());
    for (qsizetype k = 0; k < cdsMain.fieldDefs().size(); ++k) {
        const FieldDef& def = cdsTmp.fieldDefs()[k];
        QCOMPARE(def.name, cdsMain.fieldDefs()[k].name);
        QCOMPARE(def.size, 100);
        QCOMPARE(def.type, cdsMain.fieldDefs()[k].type);
        QVERIFY(!def.required);
    }
}

void TstPreviewSet::closedMainSet()
{
    RecordSet cdsMain(QStringLiteral("cdsMain"));
    RecordSet cdsTmp(QStringLiteral("cdsTmp"));
    FieldDef def;
    def.name = QStringLiteral("A");
    cdsMain.addFieldDef(def);
    try {
        buildPreviewSet(cdsMain, cdsTmp);
        QFAIL("no error thrown");
    } catch (const DataError& e) {
        QCOMPARE(QString::fromUtf8(e.what()),
                 QStringLiteral("cdsMain: Missing data provider or data packet"));
    }
    QVERIFY(!cdsTmp.isActive());
    QVERIFY(cdsTmp.fieldDefs().isEmpty());
}

void TstPreviewSet::neverCreatedPreviewSet()
{
    // No workbook at start-up: the engine reading the preview set gets this error.
    RecordSet cdsTmp(QStringLiteral("cdsTmp"));
    try {
        cdsTmp.first();
        QFAIL("no error thrown");
    } catch (const DataError& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("cdsTmp: Missing data provider or data packet"));
    }
}

QTEST_GUILESS_MAIN(TstPreviewSet)
#include "tst_previewset.moc"
