// A list database in a temporary directory with the entry rules around it: settings, activity log, errors
// list, a scripted prompt and an acknowledger that records every sentence. The settings store and the
// application directory point at temporary directories too.
#pragma once

#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "base/TextFile.h"
#include "db/TdmML.h"
#include "requests/EntryRules.h"

#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace corvane::test {

class RecordingAcknowledger : public Acknowledger {
public:
    void SendAcknowledgement(const QString &address, const QString &sentence) override {
        sent.append(address + QStringLiteral(" | ") + sentence);
    }
    QStringList sent;
};

class RulesFixture {
    // First, so that they outlive the database.
    QTemporaryDir m_settingsDir;
    QTemporaryDir m_home;
    QTemporaryDir m_dbDir;

public:
    RulesFixture() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        AppPaths::setApplicationDirectory(m_home.path());
        prompt.answer(UserPrompt::Yes);
        dm.OpenDatabase(m_dbDir.path());
        QVERIFY(dm.DatabaseLoaded());
        QVERIFY(prompt.allAnswersUsed());
        prompt.shown.clear();
        settings.MaintainLog = true;
    }
    ~RulesFixture() { AppPaths::setApplicationDirectory(QString()); }

    // Options named by tokens: "multi" (multiple categories), "restrict" (allowed categories "News" and
    // "Sports"), "restrictEmpty" (restricted with no allowed category), "errorList" (a category not allowed
    // is an error), "alt:<category>" (a category not allowed becomes <category>), "keepComments",
    // "userSend" (new entries may send), "noGuess", "unsubscribersBlocked", "limit:<n>", "limitOff",
    // "orderCategory" (the view ordered by category).
    void applyOptions(const QStringList &options) {
        for (const QString &option : options) {
            if (option == QLatin1String("multi")) {
                settings.MultipleCategorySupport = {true, false};
            } else if (option == QLatin1String("restrict")) {
                settings.RestrictCategories = true;
                settings.AllowedCategories = {QStringLiteral("News"), QStringLiteral("Sports")};
            } else if (option == QLatin1String("restrictEmpty")) {
                settings.RestrictCategories = true;
                settings.AllowedCategories.clear();
            } else if (option == QLatin1String("errorList")) {
                settings.WrongCategoryIsError = {true, false};
            } else if (option.startsWith(QLatin1String("alt:"))) {
                settings.WrongCategoryIsError = {false, true};
                settings.AlternativeCategory = option.mid(4);
            } else if (option == QLatin1String("keepComments")) {
                settings.UpdateCommentsWhenEntryExists = false;
            } else if (option == QLatin1String("userSend")) {
                settings.DefaultNoUserSend = false;
            } else if (option == QLatin1String("noGuess")) {
                settings.GuessSalutation = false;
            } else if (option == QLatin1String("unsubscribersBlocked")) {
                settings.AddUnsubscribers = true;
            } else if (option.startsWith(QLatin1String("limit:"))) {
                settings.BounceMax = {true, option.mid(6).toInt()};
            } else if (option == QLatin1String("limitOff")) {
                settings.BounceMax = {false, 10};
            } else if (option == QLatin1String("orderCategory")) {
                dm.tblML().setIndexFieldNames(QStringLiteral("Category"));
            } else {
                QFAIL(qPrintable(QStringLiteral("unknown option ") + option));
            }
        }
    }

    // Appends entries given as "item|category|bounces|comments", missing parts empty or 0.
    void addEntries(const QStringList &entries) {
        for (const QString &entry : entries) {
            const QStringList parts = entry.split(QLatin1Char('|'));
            dm.tblML().appendRecord({parts.value(0), parts.value(1), parts.value(2).toInt(), parts.value(3),
                                     QStringLiteral("Name"), QStringLiteral("Sal"), true});
        }
    }

    // Every entry in address order, then by key, as its fields joined by "|": item, category, bounces, and with
    // `all` also comments, name, salutation and sending rights.
    QStringList rows(bool all = false) {
        SqliteTable &table = dm.tblML();
        const QString order = table.indexFieldNames();
        table.setIndexFieldNames(QStringLiteral("Item"));
        QStringList result;
        for (table.first(); !table.eof(); table.next()) {
            QStringList fields{table.text(QStringLiteral("Item")), table.text(QStringLiteral("Category")),
                               QString::number(table.integer(QStringLiteral("Bounces")))};
            if (all) {
                fields << table.text(QStringLiteral("Comments")) << table.text(QStringLiteral("Name"))
                       << table.text(QStringLiteral("Salutation"))
                       << (table.boolean(QStringLiteral("SendRights")) ? QStringLiteral("true")
                                                                       : QStringLiteral("false"));
            }
            result.append(fields.join(QLatin1Char('|')));
        }
        table.setIndexFieldNames(order);
        return result;
    }

    // The lines of "log.txt"; empty when it does not exist.
    static QStringList logLines() {
        const QString file = ActivityLog::fileName();
        return QFileInfo::exists(file) ? TextFile::readLines(file) : QStringList();
    }

    ScriptedPrompt prompt;
    Settings settings;
    TdmML dm{prompt};
    ActivityLog log{settings};
    ErrorsList errors;
    RecordingAcknowledger acks;
    EntryRules rules{dm.tblML(), settings, log, errors, prompt, acks};
};

} // namespace corvane::test
