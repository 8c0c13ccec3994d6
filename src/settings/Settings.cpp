// Reading through SimpleIni, writing by editing the one line, replacing the file atomically.
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <SimpleIni.h>
#include <optional>
#include <stdexcept>

namespace lbl::settings {

namespace {

bool isQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

QString unquoted(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()) {
        value = value.mid(1, value.size() - 2);
    }
    return value;
}

QString cutToLimit(QString value)
{
    if (value.size() <= maxValueLength) {
        return value;
    }
    qsizetype length = maxValueLength;
    if (value.at(length - 1).isHighSurrogate()) {
        --length;
    }
    return value.left(length);
}

// Root ignores permission bits, so a read-only file or folder is recognised by its bits as well:
// the program must refuse the write as it would for any other user.
bool writableByBits(const QFileInfo& info)
{
    return info.permissions().testFlag(QFileDevice::WriteOwner);
}

QByteArray lineBody(const QByteArray& line)
{
    qsizetype end = line.size();
    while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r')) {
        --end;
    }
    return line.left(end);
}

std::optional<QByteArray> sectionName(const QByteArray& body)
{
    const QByteArray trimmed = body.trimmed();
    if (!trimmed.startsWith('[')) {
        return std::nullopt;
    }
    const qsizetype close = trimmed.indexOf(']');
    if (close < 0) {
        return std::nullopt;
    }
    return trimmed.mid(1, close - 1).trimmed();
}

// SimpleIni folds the case of ASCII letters only; a wider folding would edit a key it never finds.
bool sameName(const QByteArray& a, const QString& b)
{
    return a.toLower() == b.toUtf8().toLower();
}

bool isKeyLine(const QByteArray& body, const QString& key, qsizetype* equalsAt)
{
    const QByteArray trimmed = body.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('#')) {
        return false;
    }
    const qsizetype eq = body.indexOf('=');
    if (eq < 0 || !sameName(body.left(eq).trimmed(), key)) {
        return false;
    }
    *equalsAt = eq;
    return true;
}

QList<QByteArray> splitLines(const QByteArray& data)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        end = end < 0 ? data.size() : end + 1;
        lines.append(data.mid(start, end - start));
        start = end;
    }
    return lines;
}

// The file as SimpleIni must see it to agree with edited() on every line: SimpleIni stops at a NUL
// byte, ends a line at a lone CR, counts neither VT nor FF as a blank, and looks for a section's
// closing bracket across line ends.
QByteArray asEditedLines(const QByteArray& data)
{
    QByteArray out;
    out.reserve(data.size() + 16);
    for (const QByteArray& line : splitLines(data)) {
        QByteArray body = lineBody(line);
        body.replace('\0', QByteArrayView("\xEF\xBF\xBD"));
        body.replace('\r', ' ');
        body.replace('\v', ' ');
        body.replace('\f', ' ');
        const QByteArray trimmed = body.trimmed();
        if (trimmed.startsWith('[') && !trimmed.contains(']')) {
            out += ';';
        }
        out += body;
        out += '\n';
    }
    return out;
}

// A value that reading would change (surrounding blanks, an enclosing pair of quotes) is written in
// quotes, so it reads back as written.
QByteArray storedForm(const QString& value)
{
    const bool needsQuotes =
        value != value.trimmed()
        || (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front());
    const QByteArray utf8 = value.toUtf8();
    return needsQuotes ? '"' + utf8 + '"' : utf8;
}

QByteArray edited(const QByteArray& original, const QString& section, const QString& key,
                  const QString& value)
{
    const QByteArray eol = original.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    QList<QByteArray> lines = splitLines(original);
    const QByteArray stored = storedForm(value);

    bool inSection = false;
    bool inFirstSection = false;
    bool replaced = false;
    qsizetype insertAfter = -1; // last non-blank line of the first matching section
    bool sectionFound = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray body = lineBody(lines[i]);
        if (const auto name = sectionName(body)) {
            inSection = sameName(*name, section);
            inFirstSection = inSection && !sectionFound;
            if (inFirstSection) {
                sectionFound = true;
                insertAfter = i;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (inFirstSection && !body.trimmed().isEmpty()) {
            insertAfter = i;
        }
        qsizetype eq = 0;
        if (isKeyLine(body, key, &eq)) {
            // Keep the key as spelt in the file and the blanks around the equals sign.
            qsizetype valueStart = eq + 1;
            while (valueStart < body.size() && (body[valueStart] == ' ' || body[valueStart] == '\t')) {
                ++valueStart;
            }
            lines[i] = body.left(valueStart) + stored + lines[i].mid(body.size());
            replaced = true;
        }
    }
    if (!replaced) {
        const QByteArray keyLine = key.toUtf8() + '=' + stored + eol;
        if (sectionFound) {
            if (!lines[insertAfter].endsWith('\n')) {
                lines[insertAfter] += eol;
            }
            lines.insert(insertAfter + 1, keyLine);
        } else {
            if (!lines.isEmpty() && !lines.back().endsWith('\n')) {
                lines.back() += eol;
            }
            lines.append('[' + section.toUtf8() + ']' + eol);
            lines.append(keyLine);
        }
    }
    return lines.join();
}

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

} // namespace

SettingsError::SettingsError(const QString& filePath)
    : std::runtime_error(QStringLiteral("Unable to write to %1").arg(filePath).toStdString())
    , m_filePath(filePath)
{
}

QString readValue(const QString& filePath, const QString& section, const QString& key,
                  const QString& defaultValue)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return defaultValue;
    }
    const QByteArray data = asEditedLines(file.readAll());
    file.close();

    CSimpleIniA ini(/*isUtf8=*/true, /*multiKey=*/false, /*multiLine=*/false);
    if (ini.LoadData(data.constData(), static_cast<size_t>(data.size())) < 0) {
        return defaultValue;
    }
    const char* value = ini.GetValue(section.toUtf8().constData(), key.toUtf8().constData(), nullptr);
    if (value == nullptr) {
        return defaultValue;
    }
    return cutToLimit(unquoted(QString::fromUtf8(value)));
}

void writeValue(const QString& filePath, const QString& section, const QString& key, const QString& value)
{
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value)) {
        throw std::invalid_argument("A settings value cannot hold a line break");
    }
    const QString shownPath = QDir::toNativeSeparators(QFileInfo(filePath).absoluteFilePath());
    const QFileInfo info(filePath);
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir() || !writableByBits(folder) || (info.exists() && !writableByBits(info))) {
        throw SettingsError(shownPath);
    }

    QByteArray original;
    if (info.exists()) {
        QFile file(filePath);
        if (!file.open(QIODevice::ReadOnly)) {
            throw SettingsError(shownPath);
        }
        original = file.readAll();
    }

    QSaveFile out(filePath);
    if (!out.open(QIODevice::WriteOnly)) {
        throw SettingsError(shownPath);
    }
    const QByteArray data = edited(original, section, key, value);
    if (out.write(data) != data.size() || !out.commit()) {
        throw SettingsError(shownPath);
    }
}

} // namespace lbl::settings
