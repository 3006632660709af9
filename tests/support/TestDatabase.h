// A real list database for tests: settings and application directory in a temporary folder, a scripted
// prompt, and the data module with its database created (the creation question answered Yes).
#pragma once

#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "db/TdmML.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace corvane {

struct TestDatabase {
    std::unique_ptr<QTemporaryDir> tmp;
    std::unique_ptr<ScriptedPrompt> prompt;
    std::unique_ptr<TdmML> dm;

    // Call from init(); fails the test when the database cannot be created.
    void setUp() {
        tmp = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, tmp->filePath(QStringLiteral("config")));
        AppPaths::setApplicationDirectory(tmp->filePath(QStringLiteral("app")));
        prompt = std::make_unique<ScriptedPrompt>();
        prompt->answer(UserPrompt::Yes);
        dm = std::make_unique<TdmML>(*prompt);
        dm->dmMLCreate();
        QVERIFY(dm->DatabaseLoaded());
    }

    // Call from cleanup().
    void tearDown() {
        dm.reset();
        prompt.reset();
        AppPaths::setApplicationDirectory(QString());
        tmp.reset();
    }

    SqliteTable &table() { return dm->tblML(); }
};

} // namespace corvane
