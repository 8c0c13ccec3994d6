// The compound file container that holds a workbook's streams: header, allocation tables, directory.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace lbl::sheet {

/// A compound file parsed from memory. Every sector chain is checked for loops and bounds, and no
/// size is trusted beyond the size of the data itself.
class CompoundFile
{
public:
    /// Whether `data` begins with the compound file signature.
    static bool hasSignature(const QByteArray& data);

    /// Parses header, allocation tables and directory. `fileName` only names the file in errors.
    /// Throws ImportError when the data is not a compound file, is truncated or damaged.
    CompoundFile(QByteArray data, QString fileName);

    /// The contents of the stream `name` (compared without regard to case) directly below the root;
    /// std::nullopt when there is none. Throws ImportError when its chain is damaged.
    std::optional<QByteArray> stream(const QString& name) const;

private:
    struct Entry
    {
        QString name;
        quint8 type = 0;
        quint32 left = 0;
        quint32 right = 0;
        quint32 child = 0;
        quint32 start = 0;
        quint64 size = 0;
    };

    [[noreturn]] void fail(const QString& reason) const;
    const char* sectorData(quint32 sector, qsizetype& length) const;
    QByteArray readChain(quint32 start, qint64 size) const;
    QByteArray readMiniChain(quint32 start, qint64 size) const;
    void loadFat();
    void loadDirectory();

    QByteArray m_data;
    QString m_fileName;
    qsizetype m_sectorSize = 512;
    qsizetype m_sectorCount = 0;
    quint32 m_miniCutoff = 4096;
    bool m_version4 = false;
    std::vector<quint32> m_fat;
    std::vector<quint32> m_miniFat;
    QByteArray m_miniStream;
    std::vector<Entry> m_entries;
};

} // namespace lbl::sheet
