// What a cell's number format makes of its number: a plain number, currency, a date, a time or both.
#include "sheet/NumberFormat.h"

#include <QVarLengthArray>

namespace lbl::sheet {

namespace {

bool isCurrencySymbol(QChar c)
{
    switch (c.unicode()) {
    case u'$':
    case u'\u00A2': // cent
    case u'\u00A3': // pound
    case u'\u00A5': // yen / yuan
    case u'\u20AC': // euro
    case u'\uFFE5': // full-width yen / yuan
    case u'\u20A9': // won
    case u'\u20B9': // rupee
    case u'\u20BD': // rouble
        return true;
    default:
        return false;
    }
}

bool containsCurrencySymbol(QStringView text)
{
    for (const QChar c : text) {
        if (isCurrencySymbol(c)) {
            return true;
        }
    }
    return false;
}

bool startsWithNoCase(QStringView text, qsizetype at, QStringView word)
{
    return text.mid(at).startsWith(word, Qt::CaseInsensitive);
}

// Elapsed-time sections such as [h], [mm] or [ss]: one letter repeated.
char elapsedUnit(QStringView inside)
{
    if (inside.isEmpty()) {
        return 0;
    }
    const QChar first = inside[0].toLower();
    if (first != u'h' && first != u'm' && first != u's') {
        return 0;
    }
    for (const QChar c : inside) {
        if (c.toLower() != first) {
            return 0;
        }
    }
    return static_cast<char>(first.unicode());
}

} // namespace

FormatClass classifyFormat(QStringView format)
{
    // Date and time letters in order; 'M' is a minute known from an elapsed section.
    QVarLengthArray<char, 16> tokens;
    bool currency = false;
    bool amPm = false;
    const qsizetype n = format.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = format[i];
        if (c == u'"') {
            const qsizetype close = format.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            currency = currency || containsCurrencySymbol(format.mid(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        if (c == u'\\' || c == u'_' || c == u'*') {
            if (c == u'\\' && i + 1 < n && isCurrencySymbol(format[i + 1])) {
                currency = true;
            }
            i += 2;
            continue;
        }
        if (c == u'[') {
            const qsizetype close = format.indexOf(u']', i + 1);
            const qsizetype end = close < 0 ? n : close;
            const QStringView inside = format.mid(i + 1, end - i - 1);
            if (inside.startsWith(u'$')) {
                const qsizetype dash = inside.indexOf(u'-');
                if ((dash < 0 ? inside.size() : dash) > 1) {
                    currency = true;
                }
            } else if (const char unit = elapsedUnit(inside)) {
                tokens.append(unit == 'm' ? 'M' : unit);
            }
            i = end + 1;
            continue;
        }
        if (startsWithNoCase(format, i, u"general")) {
            i += 7;
            continue;
        }
        if (startsWithNoCase(format, i, u"am/pm")) {
            amPm = true;
            i += 5;
            continue;
        }
        if (startsWithNoCase(format, i, u"a/p")) {
            amPm = true;
            i += 3;
            continue;
        }
        if (isCurrencySymbol(c)) {
            currency = true;
            ++i;
            continue;
        }
        const char16_t lower = c.toLower().unicode();
        if (lower == u'y' || lower == u'd' || lower == u'h' || lower == u's' || lower == u'm') {
            const char token = static_cast<char>(lower);
            // A run such as "yyyy" or "mm" is one token.
            while (i < n && format[i].toLower().unicode() == lower) {
                ++i;
            }
            tokens.append(token);
            continue;
        }
        ++i;
    }

    bool date = false;
    bool time = amPm;
    for (qsizetype k = 0; k < tokens.size(); ++k) {
        switch (tokens[k]) {
        case 'y':
        case 'd':
            date = true;
            break;
        case 'h':
        case 's':
        case 'M':
            time = true;
            break;
        case 'm': {
            const bool afterHour = k > 0 && tokens[k - 1] == 'h';
            const bool beforeSecond = k + 1 < tokens.size() && tokens[k + 1] == 's';
            if (afterHour || beforeSecond) {
                time = true;
            } else {
                date = true;
            }
            break;
        }
        default:
            break;
        }
    }
    if (date && time) {
        return FormatClass::DateTime;
    }
    if (date) {
        return FormatClass::Date;
    }
    if (time) {
        return FormatClass::Time;
    }
    return currency ? FormatClass::Currency : FormatClass::Number;
}

FormatClass builtinFormatClass(int formatIndex)
{
    switch (formatIndex) {
    case 5:
    case 6:
    case 7:
    case 8:
    case 42:
    case 44:
        return FormatClass::Currency;
    case 14:
    case 15:
    case 16:
    case 17:
    case 27: // East Asian built-in dates
    case 28:
    case 29:
    case 30:
    case 31:
    case 36:
        return FormatClass::Date;
    case 18:
    case 19:
    case 20:
    case 21:
    case 32: // East Asian built-in times
    case 33:
    case 34:
    case 35:
    case 45:
    case 46:
    case 47:
        return FormatClass::Time;
    case 22:
        return FormatClass::DateTime;
    default:
        return formatIndex >= 50 && formatIndex <= 58 ? FormatClass::Date : FormatClass::Number;
    }
}

} // namespace lbl::sheet
