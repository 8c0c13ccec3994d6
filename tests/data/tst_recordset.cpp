// Record sets: field definitions, started records, the size limit, the cursor, a closed set.
#include "data/RecordSet.h"

#include <QTest>

#include <functional>

using lbl::data::DataError;
using lbl::data::FieldDef;
using lbl::data::RecordSet;

Q_DECLARE_METATYPE(std::function<void(RecordSet&)>)

namespace {

using Operation = std::function<void(RecordSet&)>;

FieldDef field(const QString& name, int size = 200)
{
    FieldDef def;
    def.name = name;
    def.size = size;
    return def;
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DataError& e) {
        return QString::fromUtf8(e.what());
    }
    return QStringLiteral("<no error>");
}

// A set with fields A, B, C, open.
void openABC(RecordSet& set)
{
    set.addFieldDef(field(QStringLiteral("A")));
    set.addFieldDef(field(QStringLiteral("B")));
    set.addFieldDef(field(QStringLiteral("C")));
    set.createDataSet();
}

QStringList column(RecordSet& set, qsizetype k)
{
    QStringList values;
    for (set.first(); !set.eof(); set.next()) {
        values << set.fieldText(k);
    }
    return values;
}

} // namespace

class TstRecordSet : public QObject
{
    Q_OBJECT

private slots:
    void refusedFieldDef_data();
    void refusedFieldDef();
    void fieldIndexIgnoresCase();
    void closedSet_data();
    void closedSet();
    void startedRecords_data();
    void startedRecords();
    void sizeLimit_data();
    void sizeLimit();
    void emptyValueIsNullButKeepsRecord();
    void noCurrentRecord();
    void cursor();
};

void TstRecordSet::refusedFieldDef_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("definitionsKept");

    QTest::newRow("duplicate") << QStringList{"SPMC00", "DJ0000", "SPMC00"}
                               << "Duplicate name 'SPMC00' in TFieldDefs" << 2;
    QTest::newRow("duplicate other case")
        << QStringList{"Name", "Price", "NAME"} << "Duplicate name 'NAME' in TFieldDefs" << 2;
    QTest::newRow("duplicate chinese")
        << QStringList{"品名", "品名"} << "Duplicate name '品名' in TFieldDefs" << 1;
    QTest::newRow("empty name") << QStringList{"A", ""} << "cdsMain: Field name missing" << 1;
    QTest::newRow("empty first") << QStringList{""} << "cdsMain: Field name missing" << 0;
}

void TstRecordSet::refusedFieldDef()
{
    QFETCH(QStringList, names);
    QFETCH(QString, message);
    QFETCH(int, definitionsKept);

    RecordSet set(QStringLiteral("cdsMain"));
    QCOMPARE(errorOf([&] {
                 for (const QString& name : names) {
                     set.addFieldDef(field(name));
                 }
             }),
             message);
    QCOMPARE(set.fieldDefs().size(), definitionsKept);
    QVERIFY(!set.isActive());
}

void TstRecordSet::fieldIndexIgnoresCase()
{
    RecordSet set(QStringLiteral("cdsMain"));
    openABC(set);
    QCOMPARE(set.fieldIndex(QStringLiteral("b")), std::optional<qsizetype>(1));
    QCOMPARE(set.fieldIndex(QStringLiteral("C")), std::optional<qsizetype>(2));
    QCOMPARE(set.fieldIndex(QStringLiteral("D")), std::nullopt);
}

void TstRecordSet::closedSet_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Operation>("operation");

    QTest::newRow("cdsTmp recordCount") << "cdsTmp" << Operation([](RecordSet& s) { s.recordCount(); });
    QTest::newRow("cdsTmp first") << "cdsTmp" << Operation([](RecordSet& s) { s.first(); });
    QTest::newRow("cdsTmp fieldText") << "cdsTmp" << Operation([](RecordSet& s) { s.fieldText(0); });
    QTest::newRow("cdsTmp eof") << "cdsTmp" << Operation([](RecordSet& s) { s.eof(); });
    QTest::newRow("cdsMain next") << "cdsMain" << Operation([](RecordSet& s) { s.next(); });
    QTest::newRow("cdsMain append") << "cdsMain" << Operation([](RecordSet& s) { s.append(); });
    QTest::newRow("cdsMain moveTo") << "cdsMain" << Operation([](RecordSet& s) { s.moveTo(0); });
    QTest::newRow("cdsMain setField")
        << "cdsMain" << Operation([](RecordSet& s) { s.setField(0, QStringLiteral("x")); });
}

void TstRecordSet::closedSet()
{
    QFETCH(QString, name);
    QFETCH(Operation, operation);

    // Field definitions alone do not open a set.
    RecordSet set(name);
    set.addFieldDef(field(QStringLiteral("A")));
    QCOMPARE(errorOf([&] { operation(set); }), name + ": Missing data provider or data packet");
}

void TstRecordSet::startedRecords_data()
{
    // Each step: "+" starts a record, "A=x" sets a field, "^" moves to the first record.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("columnA");

    QTest::newRow("unset record dropped by next append")
        << QStringList{"+", "A=1", "+", "+", "A=3"} << QStringList{"1", "3"};
    QTest::newRow("unset last record dropped by first")
        << QStringList{"+", "A=1", "+", "^"} << QStringList{"1"};
    QTest::newRow("record with another field kept")
        << QStringList{"+", "B=x", "+", "A=2"} << QStringList{"", "2"};
    QTest::newRow("only unset records") << QStringList{"+", "+", "+"} << QStringList{};
    QTest::newRow("order kept") << QStringList{"+", "A=c", "+", "A=a", "+", "A=b"}
                                << QStringList{"c", "a", "b"};
}

void TstRecordSet::startedRecords()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, columnA);

    RecordSet set(QStringLiteral("cdsMain"));
    openABC(set);
    for (const QString& step : steps) {
        if (step == QLatin1String("+")) {
            set.append();
        } else if (step == QLatin1String("^")) {
            set.first();
        } else {
            set.setField(*set.fieldIndex(step.left(1)), step.mid(2));
        }
    }
    QCOMPARE(set.recordCount(), columnA.size());
    QCOMPARE(column(set, 0), columnA);
    QCOMPARE(set.recordCount(), columnA.size());
}

void TstRecordSet::sizeLimit_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("stored");

    const QString clef = QString::fromUcs4(U"\U0001D11E"); // two UTF-16 code units
    const QString ascii250 = QString(250, QLatin1Char('x'));
    QTest::newRow("250 latin cut to 200") << 200 << ascii250 << ascii250.left(200);
    QTest::newRow("exactly 200 kept") << 200 << ascii250.left(200) << ascii250.left(200);
    QTest::newRow("150 chinese kept whole")
        << 200 << QString(150, QChar(0x6807)) << QString(150, QChar(0x6807));
    QTest::newRow("250 chinese cut to 200")
        << 200 << QString(250, QChar(0x6807)) << QString(200, QChar(0x6807));
    QTest::newRow("pair across the cut dropped")
        << 200 << QString(199, QLatin1Char('a')) + clef + "tail" << QString(199, QLatin1Char('a'));
    QTest::newRow("pair ending at the cut kept")
        << 200 << QString(198, QLatin1Char('a')) + clef + "tail" << QString(198, QLatin1Char('a')) + clef;
    QTest::newRow("smaller size") << 3 << QStringLiteral("abcdef") << QStringLiteral("abc");
    QTest::newRow("nothing replaced")
        << 200 << QStringLiteral("€ ÿ ✓ 😀 标签") << QStringLiteral("€ ÿ ✓ 😀 标签");
}

void TstRecordSet::sizeLimit()
{
    QFETCH(int, size);
    QFETCH(QString, value);
    QFETCH(QString, stored);

    RecordSet set(QStringLiteral("cdsMain"));
    set.addFieldDef(field(QStringLiteral("A"), size));
    set.createDataSet();
    set.append();
    set.setField(0, value);
    set.first();
    QCOMPARE(set.fieldText(0), stored);
}

void TstRecordSet::emptyValueIsNullButKeepsRecord()
{
    RecordSet set(QStringLiteral("cdsMain"));
    openABC(set);
    set.append();
    set.setField(1, QString(""));
    set.append();
    set.first();
    QCOMPARE(set.recordCount(), 1);
    QVERIFY(set.isNull(0));
    QVERIFY(set.isNull(1));
    QCOMPARE(set.fieldText(1), QString());
}

void TstRecordSet::noCurrentRecord()
{
    RecordSet set(QStringLiteral("cdsMain"));
    openABC(set);
    QCOMPARE(errorOf([&] { set.setField(0, QStringLiteral("x")); }),
             QStringLiteral("cdsMain: Dataset not in edit or insert mode"));
    QVERIFY(set.eof());
    QCOMPARE(set.fieldText(0), QString());
}

void TstRecordSet::cursor()
{
    RecordSet set(QStringLiteral("cdsMain"));
    openABC(set);
    for (const char* v : {"r0", "r1", "r2"}) {
        set.append();
        set.setField(2, QString::fromLatin1(v));
    }
    set.append(); // left unset: dropped by the next move
    set.moveTo(1);
    QCOMPARE(set.recordCount(), 3);
    QCOMPARE(set.recNo(), 1);
    QCOMPARE(set.fieldText(2), QStringLiteral("r1"));
    set.next();
    set.next();
    QVERIFY(set.eof());
    QCOMPARE(set.recNo(), 3);
    set.next();
    QCOMPARE(set.recNo(), 3);
    set.moveTo(-5);
    QCOMPARE(set.fieldText(2), QStringLiteral("r0"));
    set.moveTo(99);
    QVERIFY(set.eof());
    set.createDataSet();
    QCOMPARE(set.recordCount(), 0);
}

QTEST_GUILESS_MAIN(TstRecordSet)
#include "tst_recordset.moc"
