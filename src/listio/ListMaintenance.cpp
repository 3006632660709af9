// The list maintenance commands on the selected entries: delete, move to the blocked list, the three
// field-setting commands, change of category and the address update.
#include "listio/ListMaintenance.h"

#include "base/CorvaneError.h"
#include "base/ProgressWindow.h"
#include "base/UserPrompt.h"
#include "db/SqliteTable.h"
#include "db/TdmML.h"
#include "listio/ListMaintenanceFrame.h"
#include "requests/EntryRules.h"
#include "settings/Settings.h"

#include <algorithm>

namespace corvane {

namespace {
const QString kIndex = QStringLiteral("Index");
const QString kItem = QStringLiteral("Item");
const QString kCategory = QStringLiteral("Category");
} // namespace

ListMaintenance::ListMaintenance(TdmML &dm, Settings &settings, UserPrompt &prompt)
    : m_dm(dm), m_settings(settings), m_prompt(prompt) {}

SqliteTable &ListMaintenance::table() {
    return m_dm.tblML();
}

QString ListMaintenance::deleteQuestion(int count) {
    return QStringLiteral("Are you sure you want to delete the %1 selected entries?").arg(count);
}

QString ListMaintenance::blockQuestion(int count) {
    return QStringLiteral("Are you sure you want to move the %1 selected entries to your never send list?").arg(count);
}

QString ListMaintenance::categoryPrompt(int count) {
    return QStringLiteral("Please enter a List Category for these %1 entries").arg(count);
}

QString ListMaintenance::batchText(int kind) {
    switch (kind) {
    case kResetBounces:
        return QStringLiteral("Resetting Bounce Count");
    case kEnableSending:
        return QStringLiteral("Enabling Sending Rights");
    case kDisableSending:
        return QStringLiteral("Disabling Sending Rights");
    default:
        return QString();
    }
}

bool ListMaintenance::confirm(const QString &text, UserPrompt::Button yes, UserPrompt::Button no) {
    return m_prompt.message(UserPrompt::Kind::Confirmation, text, UserPrompt::Buttons(yes) | no) == yes;
}

void ListMaintenance::report(const QString &text) {
    m_prompt.message(UserPrompt::Kind::Error, text, UserPrompt::Ok);
}

bool ListMaintenance::needSelection(const QList<int> &selection) {
    if (selection.isEmpty()) {
        m_prompt.beep();
        return false;
    }
    return true;
}

// Shows progress, skipping a call that would show exactly what the window already shows (the gauge moves
// in whole percent), so that a walk over a long list does not repaint the window once per entry.
void ListMaintenance::progress(int position, int maximum, const QString &text) {
    const int percent =
        maximum > 0 ? static_cast<int>(static_cast<qint64>(std::min(position, maximum)) * 100 / maximum) : 0;
    if (position > 1 && percent == m_shownPercent && text == m_shownText) {
        return;
    }
    m_shownPercent = percent;
    m_shownText = text;
    ProgressWindow::showprogress(m_prompt, true, position, maximum, text, false);
}

bool ListMaintenance::openFrame(std::optional<ListMaintenanceFrame> &frame, bool primaryOrder) {
    try {
        frame.emplace(table(), m_prompt, m_hooks.freeze, m_hooks.thaw, primaryOrder);
        return true;
    } catch (const CorvaneError &e) {
        report(e.message());
        return false;
    }
}

void ListMaintenance::PositionDBAtNode(int index) {
    if (!table().locate(kIndex, QVariantList{index}, false)) {
        throw CorvaneError(QStringLiteral("Er"));
    }
}

ListMaintenance::Outcome ListMaintenance::DeleteSelected(const QList<int> &selection) {
    m_deleted = 0;
    if (!needSelection(selection)) {
        return Outcome::NotRun;
    }
    if (!confirm(deleteQuestion(static_cast<int>(selection.size())), UserPrompt::Yes, UserPrompt::No)) {
        return Outcome::NotRun;
    }
    SqliteTable &tbl = table();
    std::optional<ListMaintenanceFrame> frame;
    if (!openFrame(frame, false)) {
        return Outcome::Stopped;
    }
    for (const int index : selection) {
        try {
            // An entry that another user (or an earlier row of this run) removed is already where the
            // person wants it.
            if (!tbl.locate(kIndex, QVariantList{index}, false)) {
                continue;
            }
            tbl.deleteRecord();
            ++m_deleted;
        } catch (const CorvaneError &e) {
            frame->restore();
            report(e.message());
            return Outcome::Stopped;
        }
    }
    return Outcome::Completed;
}

ListMaintenance::Outcome ListMaintenance::MoveToBlocked(const QList<int> &selection) {
    const int count = static_cast<int>(selection.size());
    if (!confirm(blockQuestion(count), UserPrompt::Yes, UserPrompt::No) || count == 0) {
        return Outcome::NotRun;
    }
    SqliteTable &tbl = table();
    std::optional<ListMaintenanceFrame> frame;
    if (!openFrame(frame, false)) {
        return Outcome::Stopped;
    }
    bool failed = false;
    for (int k = 0; k < count; ++k) {
        try {
            PositionDBAtNode(selection.at(k));
            const QString address = tbl.text(kItem);
            m_settings.BlockedAddresses.add(address.toLower());
            progress(k + 1, count, QStringLiteral("Moving Record, ") + address);
            tbl.deleteRecord();
        } catch (const CorvaneError &) {
            failed = true;
            report(QStringLiteral("Error moving record!"));
        }
    }
    return failed ? Outcome::CompletedWithErrors : Outcome::Completed;
}

ListMaintenance::Outcome ListMaintenance::BatchProcess(int kind, const QList<int> &selection) {
    const QString text = batchText(kind);
    if (text.isEmpty()) {
        throw CorvaneError(QStringLiteral("Unknown batch kind %1").arg(kind));
    }
    if (!needSelection(selection)) {
        return Outcome::NotRun;
    }
    const QString field = kind == kResetBounces ? QStringLiteral("Bounces") : QStringLiteral("SendRights");
    const QVariant value = kind == kResetBounces ? QVariant(0) : QVariant(kind == kEnableSending);
    const int count = static_cast<int>(selection.size());
    SqliteTable &tbl = table();
    std::optional<ListMaintenanceFrame> frame;
    if (!openFrame(frame, false)) {
        return Outcome::Stopped;
    }
    bool failed = false;
    for (int k = 0; k < count; ++k) {
        try {
            PositionDBAtNode(selection.at(k));
            progress(k + 1, count, text);
            tbl.setField(field, value);
            tbl.post();
        } catch (const CorvaneError &) {
            // A post that failed leaves the edit pending; drop it so that the next entry is not blocked by it.
            tbl.cancel();
            failed = true;
            report(QStringLiteral("Error Encountered ") + text);
        }
    }
    return failed ? Outcome::CompletedWithErrors : Outcome::Completed;
}

ListMaintenance::Outcome ListMaintenance::ChangeCategory(const QList<int> &selection, const CategoryChooser &choose,
                                                         int focusedIndex) {
    if (!needSelection(selection)) {
        return Outcome::NotRun;
    }
    QString current;
    try {
        if (table().locate(kIndex, QVariantList{focusedIndex}, false)) {
            current = table().text(kCategory);
        }
    } catch (const CorvaneError &) {
        // The box then starts empty.
    }
    const QString category =
        choose ? choose(categoryPrompt(static_cast<int>(selection.size())), m_settings.AllowedCategories, current)
               : QString();
    if (category.isEmpty()) {
        return Outcome::NotRun;
    }
    return SetCategory(selection, category);
}

ListMaintenance::Outcome ListMaintenance::SetCategory(const QList<int> &selection, const QString &category) {
    m_deleted = 0;
    if (!needSelection(selection)) {
        return Outcome::NotRun;
    }
    if (category.isEmpty()) {
        return Outcome::NotRun;
    }
    const int count = static_cast<int>(selection.size());
    const QString text = QStringLiteral("Setting category to ") + category;
    SqliteTable &tbl = table();
    std::optional<ListMaintenanceFrame> frame;
    if (!openFrame(frame, false)) {
        return Outcome::Stopped;
    }
    bool failed = false;
    for (int k = 0; k < count; ++k) {
        const int index = selection.at(k);
        try {
            PositionDBAtNode(index);
            progress(k + 1, count, text);
            if (tbl.text(kCategory).compare(category, Qt::CaseInsensitive) == 0) {
                continue;
            }
            const QString address = tbl.text(kItem);
            if (tbl.locate(QStringLiteral("Item;Category"), QVariantList{address, category}, true)) {
                // The address is already in that category: this entry would only duplicate it.
                PositionDBAtNode(index);
                tbl.deleteRecord();
                ++m_deleted;
            } else {
                tbl.setField(kCategory, category);
                tbl.post();
            }
        } catch (const CorvaneError &) {
            tbl.cancel();
            failed = true;
            report(QStringLiteral("Error changing category!"));
        }
    }
    return failed ? Outcome::CompletedWithErrors : Outcome::Completed;
}

bool ListMaintenance::UpdateEmailAddress(EntryRules &rules, AddressChangeAsker &asker, int focusedIndex) {
    QString address;
    try {
        PositionDBAtNode(focusedIndex);
        address = table().text(kItem);
    } catch (const CorvaneError &) {
        m_prompt.beep();
        return false;
    }
    return rules.PromptToModifyAddress(asker, address, QString(), false);
}

} // namespace corvane
