// Preview, editor and message files of the send dialog.
#include "send/MessageFiles.h"

#include "base/CorvaneError.h"
#include "base/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

namespace corvane {

QString MessageFiles::temporaryDirectory() {
    QString dir = QDir::tempPath().trimmed();
    if (!dir.endsWith(QLatin1Char('/'))) {
        dir += QLatin1Char('/');
    }
    return dir;
}

QString MessageFiles::newPreviewFileName() {
    const quint32 number = QRandomGenerator::global()->bounded(20000000u);
    return temporaryDirectory() + QStringLiteral("~message") + QString::number(number) + QStringLiteral(".html");
}

void MessageFiles::DeletePreviewFile(const QString &path) {
    if (!path.isEmpty()) {
        QFile::remove(path);
    }
}

QString MessageFiles::writePreview(const QString &previous, const QString &body) {
    DeletePreviewFile(previous);
    QString path = newPreviewFileName();
    // A name drawn twice in a row, or one another program left behind, is drawn again.
    for (int tries = 0; QFileInfo::exists(path) && tries < 100; ++tries) {
        path = newPreviewFileName();
    }
    writeText(path, body);
    return path;
}

QString MessageFiles::freeEditorFileName(const QString &dir) {
    const QString first = dir + QStringLiteral("HTMLMessage.html");
    if (!QFileInfo::exists(first)) {
        return first;
    }
    for (int number = 2; number <= 20000000; ++number) {
        const QString name = dir + QStringLiteral("HTMLMessage_") + QString::number(number) + QStringLiteral(".html");
        if (!QFileInfo::exists(name)) {
            return name;
        }
    }
    throw CorvaneError(QStringLiteral("No free file name for the HTML editor in %1").arg(dir));
}

bool MessageFiles::isHtmlFileName(const QString &path) {
    const QString suffix = QFileInfo(path).suffix();
    return suffix.compare(QLatin1String("HTM"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QLatin1String("HTML"), Qt::CaseInsensitive) == 0;
}

QString MessageFiles::readText(const QString &path) {
    return TextFile::readLines(path).join(QLatin1Char('\n'));
}

void MessageFiles::writeText(const QString &path, const QString &text) {
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw CorvaneError(QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()));
    }
}

} // namespace corvane
