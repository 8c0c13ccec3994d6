// The compound file container that holds a workbook's streams: header, allocation tables, directory.
#include "sheet/CompoundFile.h"

#include "sheet/Workbook.h"

#include <QtEndian>

#include <algorithm>

namespace lbl::sheet {

namespace {

constexpr quint32 MaxRegularSector = 0xFFFFFFFA;
constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 NoStream = 0xFFFFFFFF;
constexpr qsizetype HeaderSize = 512;
constexpr qsizetype MiniSectorSize = 64;
constexpr qsizetype EntrySize = 128;
constexpr qsizetype HeaderFatSlots = 109;

const char Signature[8] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};

quint16 u16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 u32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}

} // namespace

bool CompoundFile::hasSignature(const QByteArray& data)
{
    return data.size() >= 8 && std::equal(Signature, Signature + 8, data.constData());
}

CompoundFile::CompoundFile(QByteArray data, QString fileName)
    : m_data(std::move(data))
    , m_fileName(std::move(fileName))
{
    if (!hasSignature(m_data)) {
        fail(QStringLiteral("not a workbook (no compound file header)"));
    }
    if (m_data.size() < HeaderSize) {
        fail(QStringLiteral("the file is truncated"));
    }
    const char* h = m_data.constData();
    const quint16 shift = u16(h + 0x1E);
    if (shift != 9 && shift != 12) {
        fail(QStringLiteral("damaged file: unsupported sector size"));
    }
    m_sectorSize = qsizetype(1) << shift;
    m_version4 = shift == 12;
    // The header fills the whole first sector; sector 0 starts right after it.
    m_sectorCount = m_data.size() <= m_sectorSize ? 0 : (m_data.size() - 1) / m_sectorSize;
    m_miniCutoff = u32(h + 0x38);
    loadFat();
    loadDirectory();
}

void CompoundFile::fail(const QString& reason) const
{
    throw ImportError(m_fileName, reason);
}

const char* CompoundFile::sectorData(quint32 sector, qsizetype& length) const
{
    const qsizetype offset = (qsizetype(sector) + 1) * m_sectorSize;
    if (sector > MaxRegularSector || qsizetype(sector) >= m_sectorCount) {
        fail(QStringLiteral("the file is truncated"));
    }
    length = std::min(m_sectorSize, m_data.size() - offset);
    return m_data.constData() + offset;
}

void CompoundFile::loadFat()
{
    const char* h = m_data.constData();
    const quint32 fatSectors = u32(h + 0x2C);
    const quint32 firstDifat = u32(h + 0x44);
    const quint32 difatSectors = u32(h + 0x48);
    if (qsizetype(fatSectors) > m_sectorCount || qsizetype(difatSectors) > m_sectorCount) {
        fail(QStringLiteral("the file is truncated"));
    }

    std::vector<quint32> fatSectorIds;
    fatSectorIds.reserve(fatSectors);
    for (qsizetype i = 0; i < HeaderFatSlots && fatSectorIds.size() < fatSectors; ++i) {
        fatSectorIds.push_back(u32(h + 0x4C + 4 * i));
    }
    const qsizetype idsPerDifat = m_sectorSize / 4 - 1;
    quint32 difat = firstDifat;
    std::vector<bool> seen(static_cast<size_t>(m_sectorCount), false);
    for (quint32 k = 0; k < difatSectors && fatSectorIds.size() < fatSectors; ++k) {
        if (difat > MaxRegularSector) {
            fail(QStringLiteral("damaged file: the allocation table list ends early"));
        }
        qsizetype length = 0;
        const char* p = sectorData(difat, length);
        if (seen[difat]) {
            fail(QStringLiteral("damaged file: a sector chain loops"));
        }
        seen[difat] = true;
        if (length < m_sectorSize) {
            fail(QStringLiteral("the file is truncated"));
        }
        for (qsizetype i = 0; i < idsPerDifat && fatSectorIds.size() < fatSectors; ++i) {
            fatSectorIds.push_back(u32(p + 4 * i));
        }
        difat = u32(p + 4 * idsPerDifat);
    }
    if (fatSectorIds.size() < fatSectors) {
        fail(QStringLiteral("damaged file: the allocation table list ends early"));
    }

    const qsizetype perSector = m_sectorSize / 4;
    m_fat.resize(static_cast<size_t>(fatSectors) * static_cast<size_t>(perSector));
    for (size_t k = 0; k < fatSectorIds.size(); ++k) {
        qsizetype length = 0;
        const char* p = sectorData(fatSectorIds[k], length);
        if (length < m_sectorSize) {
            fail(QStringLiteral("the file is truncated"));
        }
        qFromLittleEndian<quint32>(p, perSector, m_fat.data() + k * static_cast<size_t>(perSector));
    }
}

QByteArray CompoundFile::readChain(quint32 start, qint64 size) const
{
    // size < 0: the whole chain, as for the directory.
    if (size > m_data.size()) {
        fail(QStringLiteral("damaged file: a stream is larger than the file"));
    }
    QByteArray out;
    out.reserve(size >= 0 ? qsizetype(size) : m_sectorSize);
    std::vector<bool> seen(m_fat.size(), false);
    quint32 sector = start;
    while (size < 0 || out.size() < size) {
        if (sector == EndOfChain) {
            break;
        }
        if (sector >= m_fat.size()) {
            fail(QStringLiteral("damaged file: a sector chain points past the end of the allocation table"));
        }
        if (seen[sector]) {
            fail(QStringLiteral("damaged file: a sector chain loops"));
        }
        seen[sector] = true;
        qsizetype length = 0;
        const char* p = sectorData(sector, length);
        out.append(p, length);
        sector = m_fat[sector];
    }
    if (size >= 0) {
        if (out.size() < size) {
            fail(QStringLiteral("damaged file: a stream ends before its declared size"));
        }
        out.truncate(qsizetype(size));
    }
    return out;
}

QByteArray CompoundFile::readMiniChain(quint32 start, qint64 size) const
{
    if (size > m_miniStream.size()) {
        fail(QStringLiteral("damaged file: a stream is larger than the small-stream area"));
    }
    QByteArray out;
    out.reserve(qsizetype(size));
    std::vector<bool> seen(m_miniFat.size(), false);
    quint32 sector = start;
    while (out.size() < size) {
        if (sector >= m_miniFat.size()) {
            fail(QStringLiteral("damaged file: a sector chain points past the end of the allocation table"));
        }
        if (seen[sector]) {
            fail(QStringLiteral("damaged file: a sector chain loops"));
        }
        seen[sector] = true;
        const qsizetype offset = qsizetype(sector) * MiniSectorSize;
        if (offset + MiniSectorSize > m_miniStream.size()) {
            fail(QStringLiteral("damaged file: a sector chain points past the end of the small-stream area"));
        }
        out.append(m_miniStream.constData() + offset, MiniSectorSize);
        sector = m_miniFat[sector];
    }
    out.truncate(qsizetype(size));
    return out;
}

void CompoundFile::loadDirectory()
{
    const char* h = m_data.constData();
    const QByteArray dir = readChain(u32(h + 0x30), -1);
    const qsizetype count = dir.size() / EntrySize;
    if (count < 1) {
        fail(QStringLiteral("damaged file: the directory is empty"));
    }
    m_entries.resize(static_cast<size_t>(count));
    for (qsizetype i = 0; i < count; ++i) {
        const char* e = dir.constData() + i * EntrySize;
        Entry& entry = m_entries[static_cast<size_t>(i)];
        const qsizetype nameBytes = std::min<qsizetype>(u16(e + 64), 64);
        const qsizetype nameChars = std::max<qsizetype>(nameBytes / 2 - 1, 0);
        entry.name.resize(nameChars);
        qFromLittleEndian<quint16>(e, nameChars, entry.name.data());
        entry.type = static_cast<quint8>(e[66]);
        entry.left = u32(e + 68);
        entry.right = u32(e + 72);
        entry.child = u32(e + 76);
        entry.start = u32(e + 116);
        // Version 3 files may leave garbage in the high half of the size.
        entry.size = m_version4 ? qFromLittleEndian<quint64>(e + 120) : u32(e + 120);
    }
    const Entry& root = m_entries.front();
    if (root.type != 5) {
        fail(QStringLiteral("damaged file: the directory has no root entry"));
    }

    const quint32 miniFatStart = u32(h + 0x3C);
    const quint32 miniFatSectors = u32(h + 0x40);
    if (miniFatStart <= MaxRegularSector && miniFatSectors > 0 && root.start <= MaxRegularSector) {
        if (qint64(miniFatSectors) * m_sectorSize > m_data.size()
            || root.size > static_cast<quint64>(m_data.size())) {
            fail(QStringLiteral("damaged file: the small-stream area is larger than the file"));
        }
        const QByteArray miniFat = readChain(miniFatStart, qint64(miniFatSectors) * m_sectorSize);
        m_miniFat.resize(static_cast<size_t>(miniFat.size() / 4));
        qFromLittleEndian<quint32>(miniFat.constData(), qsizetype(m_miniFat.size()), m_miniFat.data());
        m_miniStream = readChain(root.start, qint64(root.size));
    }
}

std::optional<QByteArray> CompoundFile::stream(const QString& name) const
{
    // The children of a storage form a tree through left and right siblings.
    std::vector<bool> seen(m_entries.size(), false);
    std::vector<quint32> pending{m_entries.front().child};
    while (!pending.empty()) {
        const quint32 index = pending.back();
        pending.pop_back();
        if (index == NoStream || index >= m_entries.size() || seen[index]) {
            continue;
        }
        seen[index] = true;
        const Entry& entry = m_entries[index];
        pending.push_back(entry.left);
        pending.push_back(entry.right);
        if (entry.type != 2 || entry.name.compare(name, Qt::CaseInsensitive) != 0) {
            continue;
        }
        if (entry.size > static_cast<quint64>(m_data.size())) {
            fail(QStringLiteral("damaged file: a stream is larger than the file"));
        }
        if (entry.size < m_miniCutoff) {
            return readMiniChain(entry.start, qint64(entry.size));
        }
        return readChain(entry.start, qint64(entry.size));
    }
    return std::nullopt;
}

} // namespace lbl::sheet
