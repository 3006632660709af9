// Line-oriented text files with CR LF line ends.
#include "base/TextFile.h"

#include "base/CorvaneError.h"

#include <QFile>
#include <QSaveFile>

namespace corvane {

QStringList TextFile::readLines(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw CorvaneError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw CorvaneError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    }
    QString text = QString::fromUtf8(data);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.isEmpty()) {
        return {};
    }
    if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1);
    }
    return text.split(QLatin1Char('\n'));
}

void TextFile::writeLines(const QString &path, const QStringList &lines) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw CorvaneError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    }
    QByteArray data;
    for (const QString &line : lines) {
        data += line.toUtf8();
        data += "\r\n";
    }
    if (file.write(data) != data.size() || !file.commit()) {
        throw CorvaneError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    }
}

void TextFile::appendLine(const QString &path, const QString &line) {
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
