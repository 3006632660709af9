// Loading and saving of settings values and rule files, with the failure messages shown to the person.
#include "settings/SettingsStore.h"

#include "base/AppPaths.h"
#include "base/CorvaneError.h"
#include "base/LineMerge.h"
#include "base/TextFile.h"
#include "settings/SettingsCatalog.h"
#include "settings/SettingsFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>
#include <exception>

namespace corvane {

namespace {

const QString kOpenFailed = QStringLiteral("Error encountered opening your registry file");
const QString kReadFailed = QStringLiteral("Error encountered loading user settings from registry!");
const QString kFilesFailed = QStringLiteral(
    "An Error was encountered saving your data files.  Please check that you have sufficient disk space and the "
    "application is run from a write-enabled directory");
const QString kUpdateFailed = QStringLiteral("Registry Update Failed, using defaults");
const QString kWriteFailed = QStringLiteral("Error encountered writing your settings to the registry!");
const QString kNotSaved =
    QStringLiteral("These settings were not saved, because Corvane could not read them when it loaded your settings: ");
// Stands for the settings values in the list of parts not read.
const QString kValuesPart = QStringLiteral("<values>");

// The stored text of `name`; empty when absent. A hand-edited INI value with unquoted commas comes back
// from QSettings as a list and is joined again.
QString readText(const QSettings &store, const QString &name) {
    const QVariant value = store.value(name);
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", "));
    }
    return value.toString();
}

// QSettings parses a file only when it changed since the last QSettings object on it, so only the first
// object sees a format error. Parsing a private copy finds it every time. False for a missing or
// unreadable file (and for the Windows registry, which is no file).
bool isMalformed(const QString &fileName) {
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly)) {
        return false;
    }
    QTemporaryFile copy;
    if (!copy.open() || copy.write(file.readAll()) < 0 || !copy.flush()) {
        return false;
    }
    return QSettings(copy.fileName(), QSettings::IniFormat).status() == QSettings::FormatError;
}

} // namespace

SettingsStore::SettingsStore(UserPrompt &prompt, DatabaseLink &db) : m_prompt(prompt), m_db(db) {
    const Settings builtIn;
    for (const SettingsFiles::File &file : SettingsFiles::loadOrder()) {
        m_baseline.insert(file.name, file.lines(builtIn));
    }
}

bool SettingsStore::Loadentries(Settings &settings) {
    m_unread.clear();
    for (const SettingsFiles::File &file : SettingsFiles::loadOrder()) {
        m_unread.append(file.name);
    }
    m_unread.append(kValuesPart);
    return loadFiles(settings) && loadValues(settings);
}

bool SettingsStore::loadFiles(Settings &settings) {
    const QString dir = AppPaths::applicationDirectory();
    for (const SettingsFiles::File &file : SettingsFiles::loadOrder()) {
        const QString path = dir + file.name;
        if (!QFileInfo::exists(path)) {
            file.restoreBuiltIn(settings);
            m_baseline.insert(file.name, file.lines(Settings()));
            m_unread.removeAll(file.name);
            continue;
        }
        try {
            const QStringList lines = TextFile::readLines(path);
            file.assign(settings, lines);
            m_baseline.insert(file.name, lines);
            m_unread.removeAll(file.name);
        } catch (const CorvaneError &error) {
            m_prompt.message(UserPrompt::Kind::Error, error.message(), UserPrompt::Ok);
            return false;
        }
    }
    return true;
}

bool SettingsStore::loadValues(Settings &settings) {
    const auto store = AppPaths::openSettings();
    if (!canOpen(*store)) {
        warn(kOpenFailed);
        return false;
    }
    try {
        for (const SettingsCatalog::Value &value : SettingsCatalog::values()) {
            if (value.database) {
                continue;
            }
            // With a limited cache the grid does not group, and the panel setting is left as it is.
            if (value.name == QLatin1String("ShowGroupPanel") && settings.LimitDBCache) {
                continue;
            }
            value.read(settings, m_db, readText(*store, value.name));
            if (value.name == QLatin1String("SendAcknowledgement")) {
                restrictOnlyToListedCategories(settings);
            } else if (value.name == QLatin1String("defaultcategory")) {
                readAlternativeCategoryAgain(settings, readText(*store, QStringLiteral("AlternativeCategory")));
            }
        }
    } catch (const std::exception &) {
        warn(kReadFailed);
        return false;
    }
    m_unread.removeAll(kValuesPart);
    return true;
}

bool SettingsStore::SaveEntries(Settings &settings) {
    bool ok = true;
    try {
        m_db.SaveDatabase();
    } catch (const CorvaneError &error) {
        m_prompt.message(UserPrompt::Kind::Error, error.message(), UserPrompt::Ok);
        ok = false;
    }
    ok = reportUnread() && ok;
    ok = writeFiles(settings) && ok;
    if (!m_unread.contains(kValuesPart)) {
        ok = saveValues(settings) && ok;
    }
    return ok;
}

bool SettingsStore::saveFiles(Settings &settings) {
    const bool complete = reportUnread();
    return writeFiles(settings) && complete;
}

bool SettingsStore::writeFiles(Settings &settings) {
    const QString dir = AppPaths::applicationDirectory();
    const Settings builtIn;
    for (const SettingsFiles::File *file : SettingsFiles::saveOrder()) {
        if (m_unread.contains(file->name)) {
            continue;
        }
        const QStringList baseline = m_baseline.value(file->name);
        const QStringList current = file->lines(settings);
        const auto merge = [&](const QStringList &onDisk) {
            if (!file->isList) {
                return current == baseline ? onDisk : current;
            }
            // Sorted lists come out sorted again.
            Settings merged;
            file->assign(merged, LineMerge::merge(baseline, current, onDisk));
            return file->lines(merged);
        };
        try {
            const QStringList result = TextFile::update(dir + file->name, file->lines(builtIn), merge);
            file->assign(settings, result);
            m_baseline.insert(file->name, result);
        } catch (const CorvaneError &) {
            warn(kFilesFailed);
            return false;
        }
    }
    return true;
}

bool SettingsStore::reportUnread() {
    if (m_unread.isEmpty()) {
        return true;
    }
    QStringList parts = m_unread;
    parts.replaceInStrings(kValuesPart, AppPaths::settingsFilePath());
    warn(kNotSaved + parts.join(QStringLiteral(", ")));
    return false;
}

bool SettingsStore::saveDatabasePath(const QString &path) {
    if (m_unread.contains(kValuesPart)) {
        return true;
    }
    const auto store = AppPaths::openSettings();
    if (!canOpen(*store)) {
        return false;
    }
    if (readText(*store, QStringLiteral("DBPath")) == path) {
        return true;
    }
    store->setValue(QStringLiteral("DBPath"), path);
    store->sync();
    return store->status() == QSettings::NoError;
}

bool SettingsStore::storeIsSound() {
    return canOpen(*AppPaths::openSettings());
}

bool SettingsStore::saveValues(const Settings &settings) {
    const auto store = AppPaths::openSettings();
    if (!canOpen(*store)) {
        warn(kUpdateFailed);
        return false;
    }
    try {
        for (const SettingsCatalog::Value *value : SettingsCatalog::saveOrder()) {
            const std::optional<QString> text = value->write(settings, m_db);
            if (!text) {
                continue;
            }
            store->setValue(value->name, *text);
            // The database in the application directory is remembered as "%" from now on.
            if (value->name == QLatin1String("DBPath") && *text == QLatin1String("%")) {
                m_db.setCurrentDBPath(*text);
            }
        }
        store->sync();
    } catch (const std::exception &) {
        warn(kWriteFailed);
        return false;
    }
    if (store->status() != QSettings::NoError) {
        warn(kWriteFailed);
        return false;
    }
    return true;
}

QStringList SettingsStore::valueNames() {
    QStringList names;
    for (const SettingsCatalog::Value &value : SettingsCatalog::values()) {
        names.append(value.name);
    }
    return names;
}

QString SettingsStore::storedText(const Settings &settings, const QString &name) const {
    const SettingsCatalog::Value *value = SettingsCatalog::find(name);
    if (value == nullptr) {
        return QString();
    }
    const std::optional<QString> text = value->write(settings, m_db);
    // An empty value is a value all the same; only an unknown name gives a null text.
    return text && !text->isEmpty() ? *text : QStringLiteral("");
}

bool SettingsStore::setStoredText(Settings &settings, const QString &name, const QString &text) {
    const SettingsCatalog::Value *value = SettingsCatalog::find(name);
    if (value == nullptr) {
        return false;
    }
    value->read(settings, m_db, text);
    if (name == QLatin1String("AlternativeCategory")) {
        readAlternativeCategoryAgain(settings, text);
    } else if (name == QLatin1String("RestrictCategories")) {
        restrictOnlyToListedCategories(settings);
    }
    return true;
}

void SettingsStore::warn(const QString &text) {
    m_prompt.message(UserPrompt::Kind::Warning, text, UserPrompt::Ok);
}

void SettingsStore::readAlternativeCategoryAgain(Settings &settings, const QString &stored) {
    settings.AlternativeCategory = stored.isEmpty() ? settings.defaultcategory : stored;
}

void SettingsStore::restrictOnlyToListedCategories(Settings &settings) {
    if (settings.AllowedCategories.isEmpty()) {
        settings.RestrictCategories = false;
    }
}

bool SettingsStore::canOpen(const QSettings &store) {
    if (store.status() != QSettings::NoError) {
        return false;
    }
    const QFileInfo file(store.fileName());
    if (file.exists() && !file.isReadable()) {
        return false;
    }
    return store.isWritable() && !isMalformed(store.fileName());
}

} // namespace corvane
