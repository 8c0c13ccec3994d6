// Cell values as record-set text: numbers, currency, dates, booleans, no-value cells.
#include "data/RecordSet.h"
#include "data/ValueText.h"

#include <QTest>

#include <optional>

using lbl::data::DataError;
using lbl::data::headerText;
using lbl::data::valueText;
using lbl::sheet::Cell;
using lbl::sheet::CellType;

Q_DECLARE_METATYPE(lbl::sheet::Cell)
Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

Cell make(CellType type, double number)
{
    Cell cell;
    cell.type = type;
    cell.number = number;
    return cell;
}

Cell text(const QString& value)
{
    Cell cell;
    cell.type = CellType::Text;
    cell.text = value;
    return cell;
}

Cell boolean(bool value)
{
    Cell cell;
    cell.type = CellType::Boolean;
    cell.boolean = value;
    return cell;
}

Cell error(quint8 code)
{
    Cell cell;
    cell.type = CellType::Error;
    cell.errorCode = code;
    return cell;
}

const QLocale c = QLocale::c();
const QLocale german(QLocale::German, QLocale::Germany);

} // namespace

class TstValueText : public QObject
{
    Q_OBJECT

private slots:
    void text_data();
    void text();
    void headerError();
    void headerEmpty();
};

void TstValueText::text_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Cell>("cell");
    QTest::addColumn<std::optional<QString>>("expected");

    const auto number = [](double v) { return make(CellType::Number, v); };
    const auto currency = [](double v) { return make(CellType::Currency, v); };
    const auto some = [](const char* s) { return std::optional<QString>(QString::fromUtf8(s)); };

    QTest::newRow("text unchanged") << c << ::text(QStringLiteral(" a\tb ")) << some(" a\tb ");
    QTest::newRow("chinese text") << c << ::text(QStringLiteral("康师傅红烧牛肉面"))
                                  << some("康师傅红烧牛肉面");
    QTest::newRow("empty text is a value") << c << ::text(QString()) << some("");

    QTest::newRow("13-digit article number") << c << number(6901234567892.0) << some("6901234567892");
    QTest::newRow("integer") << c << number(100) << some("100");
    QTest::newRow("0.1+0.2") << c << number(0.1 + 0.2) << some("0.3");
    QTest::newRow("one third") << c << number(1.0 / 3.0) << some("0.333333333333333");
    QTest::newRow("two thirds rounds up") << c << number(2.0 / 3.0) << some("0.666666666666667");
    QTest::newRow("no thousands separator") << german << number(1234567.891) << some("1234567,891");
    QTest::newRow("german separator") << german << number(-12.5) << some("-12,5");
    QTest::newRow("15 digits stay fixed") << c << number(999999999999999.0) << some("999999999999999");
    QTest::newRow("rounding reaches 1E15") << c << number(999999999999999.9) << some("1E15");
    QTest::newRow("1e15") << c << number(1e15) << some("1E15");
    QTest::newRow("1e20") << c << number(1e20) << some("1E20");
    QTest::newRow("18 digits") << c << number(123456789012345678.0) << some("1.23456789012346E17");
    QTest::newRow("negative big") << german << number(-2.5e16) << some("-2,5E16");
    QTest::newRow("0.00001 fixed") << c << number(0.00001) << some("0.00001");
    QTest::newRow("small fixed") << c << number(0.000123) << some("0.000123");
    QTest::newRow("1.5e-6") << c << number(1.5e-6) << some("1.5E-6");
    QTest::newRow("german small") << german << number(-1.5e-7) << some("-1,5E-7");
    QTest::newRow("tiny") << c << number(1e-300) << some("1E-300");
    QTest::newRow("zero") << c << number(0.0) << some("0");
    QTest::newRow("negative zero") << c << number(-0.0) << some("0");

    QTest::newRow("currency 12.5") << c << currency(12.5) << some("12.5");
    QTest::newRow("currency rounds to 4 decimals") << c << currency(3.99999) << some("4");
    QTest::newRow("currency 1.23456") << c << currency(1.23456) << some("1.2346");
    QTest::newRow("currency german") << german << currency(-1234.5) << some("-1234,5");
    QTest::newRow("currency whole") << c << currency(88.0) << some("88");
    QTest::newRow("currency 13 digits") << c << currency(6901234567892.0) << some("6901234567892");

    QTest::newRow("date") << german << make(CellType::Date, 45000) << some("15.03.23");
    QTest::newRow("date c") << c << make(CellType::Date, 45000) << some("15 Mar 2023");
    QTest::newRow("datetime") << german << make(CellType::DateTime, 45000.75) << some("15.03.23 18:00");
    QTest::newRow("datetime c") << c << make(CellType::DateTime, 45000.5 + 7.0 / 86400)
                                << some("15 Mar 2023 12:00:07");
    QTest::newRow("datetime at midnight") << german << make(CellType::DateTime, 45001) << some("16.03.23");
    QTest::newRow("date with a time") << german << make(CellType::Date, 45000.25) << some("15.03.23 06:00");
    QTest::newRow("time") << german << make(CellType::Time, 0.75) << some("18:00");
    QTest::newRow("time c") << c << make(CellType::Time, 0.5 + 61.0 / 86400) << some("12:01:01");
    QTest::newRow("time midnight") << c << make(CellType::Time, 0) << some("00:00:00");
    QTest::newRow("date 1900") << german << make(CellType::Date, 2) << some("01.01.00");

    QTest::newRow("true") << c << boolean(true) << some("True");
    QTest::newRow("false") << german << boolean(false) << some("False");
    QTest::newRow("error value") << c << error(0x2A) << std::optional<QString>();
    QTest::newRow("empty cell") << c << Cell() << std::optional<QString>();
}

void TstValueText::text()
{
    QFETCH(QLocale, locale);
    QFETCH(Cell, cell);
    QFETCH(std::optional<QString>, expected);

    const std::optional<QString> actual = valueText(cell, locale);
    QCOMPARE(actual.has_value(), expected.has_value());
    if (expected) {
        QCOMPARE(*actual, *expected);
    }
}

void TstValueText::headerError()
{
    try {
        headerText(error(0x07), c);
        QFAIL("no error thrown");
    } catch (const DataError& e) {
        QCOMPARE(QString::fromUtf8(e.what()),
                 QStringLiteral("Could not convert variant of type (Error) into type (String)"));
    }
}

void TstValueText::headerEmpty()
{
    QCOMPARE(headerText(Cell(), c), QString());
    QCOMPARE(headerText(boolean(true), c), QStringLiteral("True"));
}

QTEST_GUILESS_MAIN(TstValueText)
#include "tst_valuetext.moc"
