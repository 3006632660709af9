// Test helper: a Maildir store in a temporary directory filled with fixture messages from tests/data/mail,
// and a listing of everything on disk to prove that reading changed nothing.
#pragma once

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace corvane::test {

class MaildirFixture {
public:
    MaildirFixture() : m_root(m_dir.path() + QStringLiteral("/Mail")) { makeMaildir(m_root); }

    QString root() const { return m_root; }

    static QString fixturePath(const QString &name) { return QStringLiteral(CORVANE_TEST_DATA "/mail/") + name; }

    static QByteArray fixture(const QString &name) {
        QFile file(fixturePath(name));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("missing fixture %s", qPrintable(name));
        return file.readAll();
    }

    // Creates a Maildir (new/, cur/, tmp/) at `path`; with `marker`, also the maildirfolder file.
    static void makeMaildir(const QString &path, bool marker = false) {
        for (const char *sub : {"new", "cur", "tmp"})
            QDir().mkpath(path + QLatin1Char('/') + QLatin1String(sub));
        if (marker) {
            QFile file(path + QStringLiteral("/maildirfolder"));
            file.open(QIODevice::WriteOnly);
        }
    }

    // Writes `content` as `fileName` into `subdir` ("new" or "cur") of folder directory `folder` ("" for the
    // root's own messages, ".Name" for a Maildir++ folder, created when missing). Returns the path.
    QString put(const QString &folder, const QString &subdir, const QString &fileName, const QByteArray &content) {
        const QString dir = folder.isEmpty() ? m_root : m_root + QLatin1Char('/') + folder;
        if (!QFileInfo::exists(dir))
            makeMaildir(dir, true);
        const QString path = dir + QLatin1Char('/') + subdir + QLatin1Char('/') + fileName;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // Every file and directory under the root with the hash of each file's content and its change time.
    QStringList snapshot() const {
        QStringList lines;
        QDirIterator it(m_root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QFileInfo info(path);
            QString line = path.mid(m_root.size());
            if (info.isFile()) {
                QFile file(path);
                file.open(QIODevice::ReadOnly);
                line += QLatin1Char(' ') + QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex() +
                        QLatin1Char(' ') + QString::number(info.lastModified().toMSecsSinceEpoch());
            }
            lines.append(line);
        }
        lines.sort();
        return lines;
    }

    // The names of the files in `subdir` of folder directory `folder`, sorted.
    QStringList filesIn(const QString &folder, const QString &subdir) const {
        const QString dir = folder.isEmpty() ? m_root : m_root + QLatin1Char('/') + folder;
        QStringList names = QDir(dir + QLatin1Char('/') + subdir).entryList(QDir::Files);
        names.sort();
        return names;
    }

private:
    QTemporaryDir m_dir;
    QString m_root;
};

} // namespace corvane::test
