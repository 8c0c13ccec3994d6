// Number format classification: which formats make dates, times, both, or currency.
#include "sheet/NumberFormat.h"

#include <QTest>

using namespace lbl::sheet;

Q_DECLARE_METATYPE(lbl::sheet::FormatClass)

class TstNumberFormat : public QObject
{
    Q_OBJECT

private slots:
    void custom_data();
    void custom();
    void builtin_data();
    void builtin();
};

void TstNumberFormat::custom_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<FormatClass>("expected");

    QTest::newRow("general") << "General" << FormatClass::Number;
    QTest::newRow("thousands") << "#,##0.00" << FormatClass::Number;
    QTest::newRow("scientific") << "0.00E+00" << FormatClass::Number;
    QTest::newRow("percent") << "0.0%" << FormatClass::Number;
    QTest::newRow("text") << "@" << FormatClass::Number;
    QTest::newRow("quoted d is a literal") << "0.00\"d\"" << FormatClass::Number;
    QTest::newRow("quoted words") << "0\" days and months\"" << FormatClass::Number;
    QTest::newRow("escaped letters") << "0\\h\\m" << FormatClass::Number;
    QTest::newRow("red negative") << "0.00;[Red]-0.00" << FormatClass::Number;
    QTest::newRow("locale only") << "[$-804]0.00" << FormatClass::Number;
    QTest::newRow("padding after underscore") << "#,##0_);(#,##0)" << FormatClass::Number;
    QTest::newRow("repeat fill") << "0*-" << FormatClass::Number;

    QTest::newRow("iso date") << "yyyy-mm-dd" << FormatClass::Date;
    QTest::newRow("upper case date") << "YYYY-MM-DD" << FormatClass::Date;
    QTest::newRow("us date") << "m/d/yy" << FormatClass::Date;
    QTest::newRow("month name") << "d-mmm-yy" << FormatClass::Date;
    QTest::newRow("month and year") << "mmm-yy" << FormatClass::Date;
    QTest::newRow("chinese date with locale")
        << QString::fromUtf8("[$-804]yyyy\"年\"m\"月\"d\"日\"") << FormatClass::Date;
    QTest::newRow("date in red") << "[Red]yyyy/mm/dd" << FormatClass::Date;
    QTest::newRow("escaped separators") << "dd\\.mm\\.yyyy" << FormatClass::Date;

    QTest::newRow("date and time") << "yyyy-mm-dd hh:mm" << FormatClass::DateTime;
    QTest::newRow("date and seconds") << "YYYY-MM-DD HH:MM:SS" << FormatClass::DateTime;
    QTest::newRow("us date and time") << "m/d/yy h:mm" << FormatClass::DateTime;
    QTest::newRow("date with am/pm") << "d/m/yyyy h:mm AM/PM" << FormatClass::DateTime;

    QTest::newRow("hours minutes") << "h:mm" << FormatClass::Time;
    QTest::newRow("minutes seconds") << "mm:ss" << FormatClass::Time;
    QTest::newRow("seconds tenths") << "mm:ss.0" << FormatClass::Time;
    QTest::newRow("elapsed hours") << "[h]:mm" << FormatClass::Time;
    QTest::newRow("elapsed minutes") << "[mm]:ss" << FormatClass::Time;
    QTest::newRow("am/pm") << "h:mm AM/PM" << FormatClass::Time;
    QTest::newRow("a/p") << "h:mm a/p" << FormatClass::Time;
    QTest::newRow("chinese time") << QString::fromUtf8("h\"时\"mm\"分\"ss\"秒\"") << FormatClass::Time;
    QTest::newRow("time with locale") << "[$-804]hh:mm:ss" << FormatClass::Time;

    QTest::newRow("quoted dollar") << "\"$\"#,##0.00" << FormatClass::Currency;
    QTest::newRow("bare dollar") << "$#,##0_);($#,##0)" << FormatClass::Currency;
    QTest::newRow("yuan sign") << QString::fromUtf8("¥#,##0.00") << FormatClass::Currency;
    QTest::newRow("full-width yuan") << QString::fromUtf8("￥#,##0.00;￥-#,##0.00") << FormatClass::Currency;
    QTest::newRow("euro after the number") << QString::fromUtf8("#,##0.00 €") << FormatClass::Currency;
    QTest::newRow("bracketed yuan") << QString::fromUtf8("[$¥-804]#,##0.00") << FormatClass::Currency;
    QTest::newRow("bracketed euro in red")
        << QString::fromUtf8("#,##0.00 [$€-407];[Red]-#,##0.00 [$€-407]") << FormatClass::Currency;
    QTest::newRow("escaped dollar") << "\\$0.00" << FormatClass::Currency;
    QTest::newRow("accounting") << "_(\"$\"* #,##0.00_);_(\"$\"* (#,##0.00);_(\"$\"* \"-\"??_);_(@_)"
                                << FormatClass::Currency;
}

void TstNumberFormat::custom()
{
    QFETCH(QString, format);
    QFETCH(FormatClass, expected);
    QCOMPARE(classifyFormat(format), expected);
}

void TstNumberFormat::builtin_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<FormatClass>("expected");
    QTest::newRow("0 general") << 0 << FormatClass::Number;
    QTest::newRow("4 thousands") << 4 << FormatClass::Number;
    QTest::newRow("5 currency") << 5 << FormatClass::Currency;
    QTest::newRow("8 currency red") << 8 << FormatClass::Currency;
    QTest::newRow("9 percent") << 9 << FormatClass::Number;
    QTest::newRow("14 date") << 14 << FormatClass::Date;
    QTest::newRow("17 month-year") << 17 << FormatClass::Date;
    QTest::newRow("18 time am/pm") << 18 << FormatClass::Time;
    QTest::newRow("21 time") << 21 << FormatClass::Time;
    QTest::newRow("22 date and time") << 22 << FormatClass::DateTime;
    QTest::newRow("31 east asian date") << 31 << FormatClass::Date;
    QTest::newRow("33 east asian time") << 33 << FormatClass::Time;
    QTest::newRow("37 accounting without symbol") << 37 << FormatClass::Number;
    QTest::newRow("44 accounting currency") << 44 << FormatClass::Currency;
    QTest::newRow("46 elapsed") << 46 << FormatClass::Time;
    QTest::newRow("49 text") << 49 << FormatClass::Number;
    QTest::newRow("57 east asian date") << 57 << FormatClass::Date;
    QTest::newRow("164 first custom") << 164 << FormatClass::Number;
}

void TstNumberFormat::builtin()
{
    QFETCH(int, index);
    QFETCH(FormatClass, expected);
    QCOMPARE(builtinFormatClass(index), expected);
}

QTEST_GUILESS_MAIN(TstNumberFormat)
#include "tst_numberformat.moc"
