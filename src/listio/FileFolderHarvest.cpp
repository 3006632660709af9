// The file-folder harvest: the file list, reading one file as text, and the scan with its questions.
#include "listio/FileFolderHarvest.h"

#include "base/BusyCursor.h"
#include "base/CorvaneError.h"
#include "base/LineText.h"
#include "base/ProgressWindow.h"
#include "base/TextFile.h"
#include "base/UserPrompt.h"
#include "listio/AddressExtraction.h"
#include "listio/HarvestList.h"
#include "listio/RtfText.h"
#include "settings/Settings.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace corvane {

namespace {

// Whether `info` is a regular file that may be read: no symbolic link, or one whose target is a regular file
// inside `canonicalFolder`.
bool readable(const QFileInfo &info, const QString &canonicalFolder) {
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (target.isEmpty() || !target.startsWith(canonicalFolder + QLatin1Char('/')))
            return false;
        return QFileInfo(target).isFile();
    }
    return info.isFile();
}

} // namespace

FileFolderHarvest::FileFolderHarvest(const Settings &settings, UserPrompt &prompt)
    : m_settings(settings), m_prompt(prompt) {}

bool FileFolderHarvest::extensionMatches(const QString &fileName, const QString &mask) {
    const QString masks = mask.toUpper();
    if (masks == QLatin1String("*.*") || masks == QLatin1String("*.*;"))
        return true;
    const QString name = fileName.section(QLatin1Char('/'), -1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QStringLiteral(".aaa") : name.mid(dot);
    return (masks + QLatin1Char(';')).contains(extension.toUpper() + QLatin1Char(';'));
}

QStringList FileFolderHarvest::fileList(const QString &folder, const QString &mask, bool *exists) {
    QStringList files;
    const QFileInfo where(folder);
    const bool open = where.isDir() && where.isReadable();
    if (exists != nullptr)
        *exists = open;
    if (!open)
        return files;
    const QString canonical = where.canonicalFilePath();
    // Sub-folders are not entered and symbolic links are not followed into other folders.
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (extensionMatches(info.fileName(), mask) && readable(info, canonical))
            files.append(info.absoluteFilePath());
    }
    return files;
}

QStringList FileFolderHarvest::readText(const QString &path) {
    const QFileInfo info(path);
    if (!info.isFile())
        throw CorvaneError(QStringLiteral("%1 is not a regular file").arg(path));
    if (info.size() > kMaxFileBytes)
        throw CorvaneError(QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(kMaxFileBytes));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw CorvaneError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw CorvaneError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    if (bytes.size() > kMaxFileBytes)
        throw CorvaneError(QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(kMaxFileBytes));
    if (RtfText::isRtf(bytes))
        return RtfText::toPlainText(bytes).split(QLatin1Char('\n'));
    return TextFile::decodeLines(bytes);
}

FileFolderHarvest::Result FileFolderHarvest::scan(const QString &folder, const QString &mask) {
    Result result;
    bool exists = false;
    const QStringList files = fileList(folder, mask, &exists);
    if (!exists)
        m_prompt.message(UserPrompt::Kind::Information,
                         QStringLiteral("Unable to change to the directory, ") + folder + QLatin1Char('.'),
                         UserPrompt::Ok);
    if (files.isEmpty()) {
        m_prompt.message(UserPrompt::Kind::Warning,
                         QStringLiteral("No files of the specified type could be found in the folder, ") + folder +
                             QLatin1Char('!'),
                         UserPrompt::Ok);
        result.outcome = Outcome::NoFiles;
        return result;
    }
    BusyCursor busy(m_prompt);
    const QStringList exceptions = m_settings.AddressExceptions.items();
    HarvestList found;
    const auto count = static_cast<int>(files.size());
    for (int i = 0; i < count; ++i) {
        ProgressWindow::showprogress(m_prompt, true, i, count, QStringLiteral("Processing Files"), true);
        if (m_prompt.cancelRequested()) {
            ProgressWindow::hideprogress(m_prompt);
            result.outcome = Outcome::Stopped;
            return result;
        }
        try {
            QStringList addresses;
            AddressExtraction::extractemailaddresses(readText(files.at(i)), addresses, &exceptions);
            for (const QString &address : addresses)
                found.add(address);
            ++result.files;
        } catch (const std::exception &) {
            ++result.failedFiles;
            const auto answer = m_prompt.message(UserPrompt::Kind::Confirmation,
                                                 QStringLiteral("An error was encountered processing the file, ") +
                                                     LineText::visible(files.at(i)) +
                                                     QStringLiteral(".  Do you want to continue processing?"),
                                                 UserPrompt::Yes | UserPrompt::No);
            if (answer != UserPrompt::Yes) {
                ProgressWindow::hideprogress(m_prompt);
                result.outcome = Outcome::Stopped;
                return result;
            }
        }
    }
    ProgressWindow::hideprogress(m_prompt);
    result.lines = found.lines();
    if (result.lines.isEmpty())
        m_prompt.message(UserPrompt::Kind::Information,
                         QStringLiteral("No e-mail addresses were found in files of the folder, ") + folder,
                         UserPrompt::Ok);
    return result;
}

} // namespace corvane
