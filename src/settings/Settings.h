// The settings file: read one value, write one value. Nothing is cached between calls.
#pragma once

#include <QString>

#include <stdexcept>

namespace lbl::settings {

/// A write the file system refused. what() is exactly "Unable to write to <path>".
class SettingsError : public std::runtime_error
{
public:
    explicit SettingsError(const QString& filePath);
    const QString& filePath() const { return m_filePath; }

private:
    QString m_filePath;
};

/// The settings file's name inside the program folder.
inline constexpr const char* settingsFileName = "myini.ini";

/// Longest value a read hands back, in characters.
inline constexpr qsizetype maxValueLength = 2047;

/// Reads `key` in `section` of the INI file at `filePath`; section and key are matched without
/// regard to case. Surrounding blanks and one enclosing pair of double or single quotes are removed,
/// and the value is cut to maxValueLength characters. A missing file, section or key gives
/// `defaultValue`. Never throws.
QString readValue(const QString& filePath, const QString& section, const QString& key,
                  const QString& defaultValue);

/// Writes `value` under `key` in `section`, creating file, section and key as needed. Only the key's
/// line changes; every other byte of the file is kept. The file is replaced atomically, so a failed
/// write leaves the old file whole. Throws SettingsError when the file cannot be written, and
/// std::invalid_argument when section, key or value holds a line break.
void writeValue(const QString& filePath, const QString& section, const QString& key, const QString& value);

} // namespace lbl::settings
