// Fuzz target: reads keys from the input as a settings file, writes one and reads it back.
#include "settings/Settings.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace {

QTemporaryDir* tempDir = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    tempDir = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    namespace st = lbl::settings;
    const QString path = tempDir->filePath(QString::fromLatin1(st::settingsFileName));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return 0;
        }
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const QString keys[][2] = {{QStringLiteral("LAB"), QStringLiteral("LAB_BQTM01")},
                               {QStringLiteral("lab"), QStringLiteral("lab_bqtm02")},
                               {QStringLiteral("Printer"), QStringLiteral("Name")},
                               {QString(), QStringLiteral("key")}};
    for (const auto& key : keys) {
        const QString value = st::readValue(path, key[0], key[1], QStringLiteral("default"));
        if (value.size() > st::maxValueLength) {
            std::abort();
        }
    }

    const QString written = QStringLiteral("label_55x30.lbt");
    try {
        st::writeValue(path, QStringLiteral("LAB"), QStringLiteral("LAB_BQTM01"), written);
    } catch (const st::SettingsError&) {
        return 0;
    }
    if (st::readValue(path, QStringLiteral("LAB"), QStringLiteral("LAB_BQTM01"), QString()) != written) {
        std::abort();
    }
    return 0;
}
