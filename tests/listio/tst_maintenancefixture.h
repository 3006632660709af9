// Shared set-up of the list maintenance tests: a real database in a temporary application directory, a
// scripted prompt, settings, and helpers that add entries and read the list back in insertion order.
#pragma once

#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "db/SqliteTable.h"
#include "db/TdmML.h"
#include "listio/ListMaintenance.h"
#include "settings/Settings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace corvane {

struct MaintenanceFixture {
    std::unique_ptr<QTemporaryDir> tmp;
    std::unique_ptr<ScriptedPrompt> prompt;
    std::unique_ptr<TdmML> dm;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<ListMaintenance> maintenance;

    // Creates the database (answering the creation question) and opens it in the mode `exclusive` asks.
    void setUp(bool exclusive = true) {
        tmp = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, tmp->filePath(QStringLiteral("config")));
        AppPaths::setApplicationDirectory(tmp->filePath(QStringLiteral("app")));
        prompt = std::make_unique<ScriptedPrompt>();
        prompt->answer(UserPrompt::Yes);
        dm = std::make_unique<TdmML>(*prompt);
        dm->dmMLCreate();
        QVERIFY(dm->DatabaseLoaded());
        if (!exclusive) {
            const QString dir = dm->databaseDirectory();
            dm->setDBExclusive(false);
            dm->CloseDatabase();
            dm->OpenDatabase(dir);
            QCOMPARE(dm->tblML().database().access(), SqliteDatabase::Access::Shared);
        }
        prompt->shown.clear();
        settings = std::make_unique<Settings>();
        maintenance = std::make_unique<ListMaintenance>(*dm, *settings, *prompt);
    }

    void tearDown() {
        maintenance.reset();
        dm.reset();
        prompt.reset();
        AppPaths::setApplicationDirectory(QString());
        tmp.reset();
    }

    SqliteTable &table() { return dm->tblML(); }

    // Appends an entry and returns its Index.
    int add(const QString &item, const QString &category, int bounces = 0, const QString &name = QString(),
            bool sendRights = false) {
        table().appendRecord({item, category, bounces, QStringLiteral("c ") + item, name, QString(), sendRights});
        return table().integer(QStringLiteral("Index"));
    }

    // Every entry in insertion order as "Index|Item|Category|Bounces|Name|SendRights", whatever the view.
    QStringList rows() {
        SqliteTable &t = table();
        const bool filtered = t.filtered();
        const QString order = t.indexFieldNames();
        t.setFiltered(false);
        t.setIndexFieldNames(QString());
        QStringList out;
        for (t.first(); !t.eof(); t.next()) {
            out.append(QStringList{t.text(QStringLiteral("Index")), t.text(QStringLiteral("Item")),
                                   t.text(QStringLiteral("Category")), t.text(QStringLiteral("Bounces")),
                                   t.text(QStringLiteral("Name")), t.boolean(QStringLiteral("SendRights")) ? "1" : "0"}
                           .join(QLatin1Char('|')));
        }
        t.setIndexFieldNames(order);
        t.setFiltered(filtered);
        return out;
    }
};

} // namespace corvane
