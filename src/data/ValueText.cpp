// Cell values as record-set text.
#include "data/ValueText.h"

#include "data/RecordSet.h"

#include <QDate>
#include <QTime>

#include <cmath>

namespace lbl::data {

namespace {

constexpr qint64 msPerDay = 86400000;
// Dates are kept as days since 1899-12-30; beyond this the value is no calendar date.
constexpr double maxDays = 3.0e6;

QString currencyText(double value, const QLocale& locale)
{
    // Rounded like a conversion to the four-decimal currency type: half to even.
    const double scaled = std::nearbyint(value * 10000.0);
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.0e18) {
        return numberText(value, locale);
    }
    const auto units = static_cast<qint64>(scaled);
    const bool negative = units < 0;
    const quint64 magnitude = negative ? 0 - static_cast<quint64>(units) : static_cast<quint64>(units);
    QString text = negative ? QStringLiteral("-") : QString();
    text += QString::number(magnitude / 10000);
    if (const quint64 fraction = magnitude % 10000; fraction != 0) {
        QString digits = QStringLiteral("%1").arg(fraction, 4, 10, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0'))) {
            digits.chop(1);
        }
        text += locale.decimalPoint() + digits;
    }
    return text;
}

QString dateTimeText(double days, const QLocale& locale)
{
    if (!std::isfinite(days) || std::fabs(days) > maxDays) {
        return numberText(days, locale);
    }
    const auto totalMs = static_cast<qint64>(std::llround(days * static_cast<double>(msPerDay)));
    qint64 day = totalMs / msPerDay;
    qint64 msOfDay = totalMs % msPerDay;
    if (msOfDay < 0) {
        --day;
        msOfDay += msPerDay;
    }
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(msOfDay));
    if (day == 0) {
        return locale.toString(time, QLocale::ShortFormat);
    }
    QString date = locale.toString(QDate(1899, 12, 30).addDays(day), QLocale::ShortFormat);
    if (msOfDay == 0) {
        return date;
    }
    return date + QLatin1Char(' ') + locale.toString(time, QLocale::ShortFormat);
}

} // namespace

QString numberText(double value, const QLocale& locale)
{
    if (std::isnan(value)) {
        return QStringLiteral("NAN");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    }
    if (value == 0) {
        return QStringLiteral("0");
    }
    // Qt's own conversion ignores the C locale, which the application object sets from the system.
    // Scientific form with 14 decimals rounds to 15 significant digits and gives the exponent of the
    // rounded value, so 999999999999999.9 is already 1E15.
    const QString scientific = QString::number(std::fabs(value), 'e', 14);
    const qsizetype ePos = scientific.indexOf(QLatin1Char('e'));
    QString digits = scientific.left(1) + scientific.mid(2, ePos - 2);
    const int exponent = scientific.mid(ePos + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0'))) {
        digits.chop(1);
    }

    const QString separator = locale.decimalPoint();
    QString text = value < 0 ? QStringLiteral("-") : QString();
    if (exponent >= 15 || exponent < -5) {
        text += digits.left(1);
        if (digits.size() > 1) {
            text += separator + digits.mid(1);
        }
        text += QLatin1Char('E') + QString::number(exponent);
    } else if (exponent >= 0) {
        const qsizetype integerDigits = exponent + 1;
        text += digits.left(integerDigits);
        if (digits.size() < integerDigits) {
            text += QString(integerDigits - digits.size(), QLatin1Char('0'));
        } else if (digits.size() > integerDigits) {
            text += separator + digits.mid(integerDigits);
        }
    } else {
        text += QLatin1Char('0') + separator + QString(-exponent - 1, QLatin1Char('0')) + digits;
    }
    return text;
}

std::optional<QString> valueText(const sheet::Cell& cell, const QLocale& locale)
{
    switch (cell.type) {
    case sheet::CellType::Empty:
    case sheet::CellType::Error:
        return std::nullopt;
    case sheet::CellType::Text:
        return cell.text;
    case sheet::CellType::Number:
        return numberText(cell.number, locale);
    case sheet::CellType::Currency:
        return currencyText(cell.number, locale);
    case sheet::CellType::Date:
    case sheet::CellType::DateTime:
    case sheet::CellType::Time:
        return dateTimeText(cell.number, locale);
    case sheet::CellType::Boolean:
        return cell.boolean ? QStringLiteral("True") : QStringLiteral("False");
    }
    return std::nullopt;
}

QString headerText(const sheet::Cell& cell, const QLocale& locale)
{
    if (cell.type == sheet::CellType::Error) {
        throw DataError(QStringLiteral("Could not convert variant of type (Error) into type (String)"));
    }
    return valueText(cell, locale).value_or(QString());
}

} // namespace lbl::data
