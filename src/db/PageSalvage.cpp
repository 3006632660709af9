// Reading table rows straight from the pages of an SQLite file (file format: sqlite.org/fileformat.html).
#include "db/PageSalvage.h"

#include "base/CorvaneError.h"

#include <QDate>
#include <QFile>
#include <QHash>
#include <QSet>

namespace corvane {

namespace {
using Bytes = const uchar *;

quint32 be16(Bytes p) {
    return (quint32(p[0]) << 8) | p[1];
}
quint32 be32(Bytes p) {
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}

// Reads the variable-length integer at `p`; returns its length, or 0 when it runs past `end`.
int varint(Bytes p, Bytes end, quint64 &value) {
    value = 0;
    for (int i = 0; i < 9; ++i) {
        if (p + i >= end) {
            return 0;
        }
        if (i == 8) {
            value = (value << 8) | p[i];
            return 9;
        }
        value = (value << 7) | (p[i] & 0x7f);
        if ((p[i] & 0x80) == 0) {
            return i + 1;
        }
    }
    return 0;
}

// The size in bytes of a value of serial type `type`, or -1 for the reserved types.
qint64 serialSize(quint64 type) {
    static const int sizes[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0, -1, -1};
    if (type < 12) {
        return sizes[type];
    }
    return static_cast<qint64>((type - 12) / 2);
}

qint64 integerValue(Bytes p, quint64 type) {
    if (type == 8) {
        return 0;
    }
    if (type == 9) {
        return 1;
    }
    const qint64 size = serialSize(type);
    qint64 value = (p[0] & 0x80) != 0 ? -1 : 0;
    for (qint64 i = 0; i < size; ++i) {
        value = static_cast<qint64>((static_cast<quint64>(value) << 8) | p[i]);
    }
    return value;
}

bool isInteger(quint64 type) {
    return (type >= 1 && type <= 6) || type == 8 || type == 9;
}
bool isText(quint64 type) {
    return type >= 13 && (type % 2) == 1;
}

// The record at `p` (payload of `size` bytes) as `schema`'s fields in stored form; false when it does
// not have exactly those fields.
bool decodeRecord(Bytes p, quint64 size, const TableSchema &schema, qint64 rowid, TableRow &row) {
    Bytes end = p + size;
    quint64 headerSize = 0;
    int used = varint(p, end, headerSize);
    if (used == 0 || headerSize > size) {
        return false;
    }
    QList<quint64> types;
    for (Bytes h = p + used; h < p + headerSize;) {
        quint64 type = 0;
        const int n = varint(h, p + headerSize, type);
        if (n == 0) {
            return false;
        }
        types.append(type);
        h += n;
    }
    if (types.size() != schema.fields.size()) {
        return false;
    }
    row.rowid = rowid;
    row.values.clear();
    Bytes body = p + headerSize;
    for (int i = 0; i < types.size(); ++i) {
        const quint64 type = types.at(i);
        const qint64 length = serialSize(type);
        if (length < 0 || body + length > end) {
            return false;
        }
        switch (schema.fields.at(i).kind) {
        case TableSchema::Kind::AutoIncrement:
            if (type != 0) {
                return false;
            }
            row.values.append(rowid);
            break;
        case TableSchema::Kind::Text:
            if (!isText(type)) {
                return false;
            }
            row.values.append(QString::fromUtf8(reinterpret_cast<const char *>(body), length));
            break;
        case TableSchema::Kind::Date: {
            const QString text =
                isText(type) ? QString::fromUtf8(reinterpret_cast<const char *>(body), length) : QString();
            if (!QDate::fromString(text, Qt::ISODate).isValid()) {
                return false;
            }
            row.values.append(text);
            break;
        }
        case TableSchema::Kind::Integer:
        case TableSchema::Kind::Boolean:
            if (!isInteger(type)) {
                return false;
            }
            row.values.append(integerValue(body, type));
            break;
        }
        body += length;
    }
    return true;
}

// The page images of the file: the file's own pages, replaced by the latest committed WAL frame of each.
class PageSource {
public:
    explicit PageSource(const QString &file) : m_file(file), m_wal(file + QStringLiteral("-wal")) {
        if (!m_file.open(QIODevice::ReadOnly)) {
            throw CorvaneError(QStringLiteral("Cannot read %1: %2").arg(file, m_file.errorString()));
        }
        m_data = m_file.readAll();
        readWal();
        const auto *header = reinterpret_cast<Bytes>(m_data.constData());
        const bool headerValid = m_data.size() >= 100 && m_data.startsWith(QByteArray("SQLite format 3\0", 16));
        quint32 size = headerValid ? be16(header + 16) : 0;
        if (size == 1) {
            size = 65536;
        }
        if (!validPageSize(size)) {
            size = validPageSize(m_walPageSize) ? m_walPageSize : 4096;
        }
        m_pageSize = size;
        m_usable = m_pageSize - (headerValid ? header[20] : 0);
        m_pageCount = static_cast<quint32>(m_data.size() / m_pageSize);
        for (auto it = m_frames.cbegin(); it != m_frames.cend(); ++it) {
            m_pageCount = std::max(m_pageCount, it.key());
        }
        if (headerValid) {
            readFreeList(be32(header + 32));
        }
    }

    quint32 pageCount() const { return m_pageCount; }
    quint32 usableSize() const { return m_usable; }
    bool isFree(quint32 page) const { return m_free.contains(page); }

    // The image of page `page` (from 1), or null when the file is too short to hold it.
    Bytes page(quint32 page) const {
        const auto frame = m_frames.constFind(page);
        if (frame != m_frames.cend()) {
            return reinterpret_cast<Bytes>(m_walData.constData()) + frame.value();
        }
        const qint64 offset = qint64(page - 1) * m_pageSize;
        if (offset + m_pageSize > m_data.size()) {
            return nullptr;
        }
        return reinterpret_cast<Bytes>(m_data.constData()) + offset;
    }

private:
    static bool validPageSize(quint32 size) { return size >= 512 && size <= 65536 && (size & (size - 1)) == 0; }

    void readWal() {
        if (!m_wal.open(QIODevice::ReadOnly)) {
            return;
        }
        m_walData = m_wal.readAll();
        const auto *wal = reinterpret_cast<Bytes>(m_walData.constData());
        if (m_walData.size() < 32 || (be32(wal) & 0xfffffffe) != 0x377f0682) {
            return;
        }
        m_walPageSize = be32(wal + 8);
        if (!validPageSize(m_walPageSize)) {
            return;
        }
        const quint32 salt1 = be32(wal + 16);
        const quint32 salt2 = be32(wal + 20);
        QHash<quint32, qint64> pending;
        for (qint64 offset = 32; offset + 24 + m_walPageSize <= m_walData.size(); offset += 24 + m_walPageSize) {
            Bytes frame = wal + offset;
            if (be32(frame + 8) != salt1 || be32(frame + 12) != salt2) {
                break;
            }
            pending.insert(be32(frame), offset + 24);
            if (be32(frame + 4) != 0) {
                for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
                    m_frames.insert(it.key(), it.value());
                }
                pending.clear();
            }
        }
    }

    void readFreeList(quint32 trunk) {
        quint32 guard = 0;
        while (trunk != 0 && trunk <= m_pageCount && guard++ < m_pageCount) {
            Bytes data = page(trunk);
            if (data == nullptr) {
                return;
            }
            m_free.insert(trunk);
            const quint32 count = std::min<quint32>(be32(data + 4), (m_usable - 8) / 4);
            for (quint32 i = 0; i < count; ++i) {
                m_free.insert(be32(data + 8 + 4 * i));
            }
            trunk = be32(data);
        }
    }

    QFile m_file;
    QFile m_wal;
    QByteArray m_data;
    QByteArray m_walData;
    QHash<quint32, qint64> m_frames;
    QSet<quint32> m_free;
    quint32 m_walPageSize = 0;
    quint32 m_pageSize = 4096;
    quint32 m_usable = 4096;
    quint32 m_pageCount = 0;
};
} // namespace

qint64 PageSalvage::scan(const QString &file, const TableSchema &schema, const RowSink &sink,
                         const Progress &progress) {
    const PageSource source(file);
    const quint32 usable = source.usableSize();
    const quint32 maxLocal = usable - 35;
    qint64 found = 0;
    int reported = -1;
    TableRow row;
    for (quint32 number = 1; number <= source.pageCount(); ++number) {
        const int percent = static_cast<int>(qint64(number) * 100 / source.pageCount());
        if (progress && percent != reported) {
            reported = percent;
            progress(percent);
        }
        Bytes data = source.page(number);
        if (data == nullptr || source.isFree(number)) {
            continue;
        }
        const quint32 header = number == 1 ? 100 : 0;
        if (data[header] != 13) {
            continue;
        }
        const quint32 cells = be16(data + header + 3);
        if (header + 8 + 2 * cells > usable) {
            continue;
        }
        for (quint32 i = 0; i < cells; ++i) {
            const quint32 cell = be16(data + header + 8 + 2 * i);
            if (cell < header + 8 + 2 * cells || cell >= usable) {
                continue;
            }
            Bytes p = data + cell;
            Bytes end = data + usable;
            quint64 payload = 0;
            quint64 rowid = 0;
            const int n1 = varint(p, end, payload);
            const int n2 = n1 == 0 ? 0 : varint(p + n1, end, rowid);
            if (n2 == 0 || payload > maxLocal || p + n1 + n2 + payload > end) {
                continue;
            }
            if (decodeRecord(p + n1 + n2, payload, schema, static_cast<qint64>(rowid), row)) {
                sink(row);
                ++found;
            }
        }
    }
    return found;
}

} // namespace corvane
