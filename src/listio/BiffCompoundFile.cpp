// The compound-file container of the worksheet export: one stream in consecutive sectors, then the
// directory sector, the allocation table (FAT) sectors and, for large streams, the sectors that list the
// FAT sectors beyond the 109 the header holds (DIFAT).
#include "listio/BiffCompoundFile.h"

#include "base/CorvaneError.h"

#include <QFileDevice>
#include <QtEndian>

namespace corvane {

namespace {

constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSector = 0xFFFFFFFD;
constexpr quint32 kDifatSector = 0xFFFFFFFC;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr int kEntriesPerSector = BiffCompoundFile::kSectorSize / 4;
constexpr int kHeaderDifatEntries = 109;
// A version 3 compound file must stay below 2 GB.
constexpr qint64 kMaxFileSize = 0x7FFFFFFF;

void put16(QByteArray &bytes, int offset, quint16 value) {
    qToLittleEndian(value, bytes.data() + offset);
}

void put32(QByteArray &bytes, int offset, quint32 value) {
    qToLittleEndian(value, bytes.data() + offset);
}

// One 128-byte directory entry; `name` empty gives an unused entry.
QByteArray directoryEntry(const QString &name, quint8 type, quint32 child, quint32 start, quint32 size) {
    QByteArray entry(128, '\0');
    put32(entry, 68, kNoStream);
    put32(entry, 72, kNoStream);
    put32(entry, 76, child);
    if (name.isEmpty()) {
        return entry;
    }
    const QString cut = name.left(31);
    for (int i = 0; i < cut.size(); ++i) {
        put16(entry, i * 2, cut.at(i).unicode());
    }
    put16(entry, 64, static_cast<quint16>((cut.size() + 1) * 2));
    entry[66] = static_cast<char>(type);
    entry[67] = 1; // black
    put32(entry, 116, start);
    put32(entry, 120, size);
    return entry;
}

} // namespace

BiffCompoundFile::BiffCompoundFile(QFileDevice &file) : m_file(file) {
    writeRaw(QByteArray(kSectorSize, '\0'));
}

void BiffCompoundFile::writeRaw(const QByteArray &bytes) {
    if (m_file.write(bytes) != bytes.size()) {
        throw CorvaneError(QStringLiteral("Unable to write to the file, ") + m_file.fileName());
    }
}

void BiffCompoundFile::seek(qint64 position) {
    if (!m_file.seek(position)) {
        throw CorvaneError(QStringLiteral("Unable to write to the file, ") + m_file.fileName());
    }
}

void BiffCompoundFile::write(const char *data, qint64 size) {
    if (m_finished) {
        throw CorvaneError(QStringLiteral("The workbook is already complete"));
    }
    if (m_streamSize + size > kMaxFileSize - kMaxFileSize / 64) {
        throw CorvaneError(QStringLiteral("The worksheet file would exceed 2 GB"));
    }
    if (m_file.write(data, size) != size) {
        throw CorvaneError(QStringLiteral("Unable to write to the file, ") + m_file.fileName());
    }
    m_streamSize += size;
}

void BiffCompoundFile::patch(qint64 offset, const QByteArray &bytes) {
    if (m_finished || offset < 0 || offset + bytes.size() > m_streamSize) {
        throw CorvaneError(QStringLiteral("Workbook patch outside the written stream"));
    }
    seek(kSectorSize + offset);
    writeRaw(bytes);
    seek(kSectorSize + m_streamSize);
}

void BiffCompoundFile::finish(const QString &streamName) {
    if (m_finished) {
        throw CorvaneError(QStringLiteral("The workbook is already complete"));
    }
    // Pad the stream to whole sectors and at least to the mini-stream cutoff.
    qint64 padded = std::max(m_streamSize, kMiniStreamCutoff);
    padded = (padded + kSectorSize - 1) / kSectorSize * kSectorSize;
    if (padded > m_streamSize) {
        write(QByteArray(static_cast<int>(padded - m_streamSize), '\0'));
    }
    m_finished = true;

    const quint32 streamSectors = static_cast<quint32>(padded / kSectorSize);
    const quint32 directorySector = streamSectors;
    quint32 fatSectors = 1;
    quint32 difatSectors = 0;
    for (;;) {
        const quint32 total = streamSectors + 1 + fatSectors + difatSectors;
        const quint32 needFat = (total + kEntriesPerSector - 1) / kEntriesPerSector;
        const quint32 needDifat =
            needFat > kHeaderDifatEntries
                ? (needFat - kHeaderDifatEntries + kEntriesPerSector - 2) / (kEntriesPerSector - 1)
                : 0;
        if (needFat == fatSectors && needDifat == difatSectors) {
            break;
        }
        fatSectors = needFat;
        difatSectors = needDifat;
    }
    const quint32 firstFat = directorySector + 1;
    const quint32 firstDifat = firstFat + fatSectors;

    QByteArray directory;
    directory += directoryEntry(QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    directory += directoryEntry(streamName, 2, kNoStream, 0, static_cast<quint32>(padded));
    directory += directoryEntry(QString(), 0, kNoStream, 0, 0);
    directory += directoryEntry(QString(), 0, kNoStream, 0, 0);
    writeRaw(directory);

    QByteArray fat(static_cast<int>(fatSectors) * kSectorSize, '\xFF');
    for (quint32 i = 0; i < streamSectors; ++i) {
        put32(fat, static_cast<int>(i * 4), i + 1 == streamSectors ? kEndOfChain : i + 1);
    }
    put32(fat, static_cast<int>(directorySector * 4), kEndOfChain);
    for (quint32 i = 0; i < fatSectors; ++i) {
        put32(fat, static_cast<int>((firstFat + i) * 4), kFatSector);
    }
    for (quint32 i = 0; i < difatSectors; ++i) {
        put32(fat, static_cast<int>((firstDifat + i) * 4), kDifatSector);
    }
    writeRaw(fat);

    for (quint32 d = 0; d < difatSectors; ++d) {
        QByteArray sector(kSectorSize, '\xFF');
        for (int i = 0; i < kEntriesPerSector - 1; ++i) {
            const quint32 fatIndex = kHeaderDifatEntries + d * (kEntriesPerSector - 1) + static_cast<quint32>(i);
            if (fatIndex < fatSectors) {
                put32(sector, i * 4, firstFat + fatIndex);
            }
        }
        put32(sector, (kEntriesPerSector - 1) * 4, d + 1 == difatSectors ? kEndOfChain : firstDifat + d + 1);
        writeRaw(sector);
    }

    QByteArray header(kSectorSize, '\0');
    static const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(std::begin(signature), std::end(signature), header.begin());
    put16(header, 24, 0x003E);
    put16(header, 26, 0x0003);
    put16(header, 28, 0xFFFE);
    put16(header, 30, 9); // 512-byte sectors
    put16(header, 32, 6); // 64-byte mini sectors
    put32(header, 44, fatSectors);
    put32(header, 48, directorySector);
    put32(header, 56, static_cast<quint32>(kMiniStreamCutoff));
    put32(header, 60, kEndOfChain);
    put32(header, 68, difatSectors > 0 ? firstDifat : kEndOfChain);
    put32(header, 72, difatSectors);
    for (int i = 0; i < kHeaderDifatEntries; ++i) {
        put32(header, 76 + i * 4,
              static_cast<quint32>(i) < fatSectors ? firstFat + static_cast<quint32>(i) : kFreeSector);
    }
    seek(0);
    writeRaw(header);
}

} // namespace corvane
