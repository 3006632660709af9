// Line-oriented text files: decoding, whole-file writing, locked updates and appending.
#include "base/TextFile.h"

#include "base/AtomicFile.h"
#include "base/CorvaneError.h"
#include "base/ProtectedFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStringDecoder>

namespace corvane {

namespace {

// Windows-1252 where it differs from ISO-8859-1 (bytes 0x80 to 0x9F). The five bytes it leaves undefined keep
// their ISO-8859-1 meaning, so they survive a rewrite.
constexpr char16_t kWindows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

QString decodeLine(QByteArrayView line) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(line);
    if (!utf8.hasError()) {
        return text;
    }
    return fromWindows1252(line);
}

QByteArray encode(const QStringList &lines) {
    QByteArray data;
    for (const QString &line : lines) {
        data += line.toUtf8();
        data += "\r\n";
    }
    return data;
}

QByteArray readBytes(const QString &path) {
    // A device or pipe put in place of a text file would be read without end.
    if (QFileInfo(path).exists() && !QFileInfo(path).isFile()) {
        throw CorvaneError(QStringLiteral("Cannot read %1: it is not a regular file").arg(path));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw CorvaneError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw CorvaneError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    }
    return data;
}

void writeBytes(const QString &path, const QByteArray &data) {
    AtomicFile file(path);
    if (!file.open() || !file.write(data) || !file.commit()) {
        throw CorvaneError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    }
}

} // namespace

QString TextFile::decodeWindows1252(QByteArrayView bytes) {
    return fromWindows1252(bytes);
}

QStringList TextFile::decodeLines(const QByteArray &bytes) {
    QByteArrayView data(bytes);
    if (data.startsWith("\xEF\xBB\xBF")) {
        data = data.sliced(3);
    }
    if (data.isEmpty()) {
        return {};
    }
    QStringList lines;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        const bool last = end < 0;
        if (last) {
            end = data.size();
        }
        qsizetype stop = end;
        if (stop > start && data.at(stop - 1) == '\r') {
            --stop;
        }
        lines.append(decodeLine(data.sliced(start, stop - start)));
        start = end + 1;
    }
    return lines;
}

QStringList TextFile::readLines(const QString &path) {
    return decodeLines(readBytes(path));
}

void TextFile::writeLines(const QString &path, const QStringList &lines) {
    writeBytes(path, encode(lines));
}

QStringList TextFile::update(const QString &path, const QStringList &whenMissing,
                             const std::function<QStringList(const QStringList &)> &change) {
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockTimeoutMs)) {
        throw CorvaneError(QStringLiteral("Cannot write %1: another copy of Corvane holds %1.lock").arg(path));
    }
    const bool exists = QFileInfo::exists(path);
    const QStringList onDisk = exists ? readLines(path) : whenMissing;
    const QStringList result = change(onDisk);
    if (!exists || result != onDisk) {
        writeBytes(path, encode(result));
    }
    return result;
}

void TextFile::appendLine(const QString &path, const QString &line) {
    if (ProtectedFiles::isProtected(path)) {
        throw CorvaneError(ProtectedFiles::refusal(path));
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        throw CorvaneError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    }
    const QByteArray data = line.toUtf8() + "\r\n";
    if (file.write(data) != data.size()) {
        throw CorvaneError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    }
}

} // namespace corvane
