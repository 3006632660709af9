// Test helpers for the settings store: a recording stand-in for the list database, and a throw-away
// settings store and application directory for each test.
#pragma once

#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "base/CorvaneError.h"
#include "base/DatabaseLink.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

namespace corvane {

class FakeDatabase : public DatabaseLink {
public:
    void SaveDatabase() override {
        ++flushes;
        if (!flushFailure.isEmpty()) {
            throw CorvaneError(flushFailure);
        }
    }
    QString currentDBPath() const override { return path; }
    void setCurrentDBPath(const QString &dbPath) override { path = dbPath; }
    bool DBExclusive() const override { return exclusive; }
    void setDBExclusive(bool on) override { exclusive = on; }
    bool StrictChangeDetection() const override { return strict; }
    void setStrictChangeDetection(bool on) override { strict = on; }

    QString path = QStringLiteral("/srv/lists");
    bool exclusive = true;
    bool strict = false;
    int flushes = 0;
    QString flushFailure;
};

// A fresh settings store (under <tmp>/config) and application directory (<tmp>/app/) per test.
class SettingsSandbox {
public:
    SettingsSandbox() : m_dir(std::make_unique<QTemporaryDir>()) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->filePath(QStringLiteral("config")));
        setApplicationDirectory(m_dir->filePath(QStringLiteral("app")));
    }
    ~SettingsSandbox() { AppPaths::setApplicationDirectory(QString()); }
    SettingsSandbox(const SettingsSandbox &) = delete;
    SettingsSandbox &operator=(const SettingsSandbox &) = delete;

    void setApplicationDirectory(const QString &dir) {
        AppPaths::setApplicationDirectory(dir);
        m_appDir = AppPaths::applicationDirectory();
    }
    QString appDir() const { return m_appDir; }
    QString root() const { return m_dir->path(); }
    QString iniPath() const { return m_dir->filePath(QStringLiteral("config/Tavrix/Corvane.conf")); }

    // Stores `value` under `name` as another copy of the program would.
    static void store(const QString &name, const QString &value) {
        const auto settings = AppPaths::openSettings();
        settings->setValue(name, value);
        settings->sync();
    }
    static QVariant stored(const QString &name) { return AppPaths::openSettings()->value(name); }

    void writeFile(const QString &name, const QByteArray &bytes) const {
        QFile file(m_appDir + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            qFatal("cannot write test file");
        }
    }
    // The file's bytes; a null QByteArray when it cannot be read.
    QByteArray fileBytes(const QString &name) const {
        QFile file(m_appDir + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    bool fileExists(const QString &name) const { return QFileInfo(m_appDir + name).isFile(); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_appDir;
};

} // namespace corvane
