// Classification of request messages and the command parser.
#include "requests/RequestClassifier.h"

#include "db/Statistics.h"
#include "listio/AddressExtraction.h"
#include "requests/AddressRoutines.h"
#include "requests/DeliveryStatusReport.h"
#include "requests/EntryRules.h"
#include "requests/TextRoutines.h"
#include "settings/Settings.h"

namespace corvane {

namespace {

bool inList(const RuleList &list, const QString &word) {
    for (const QString &item : list.items()) {
        if (item.compare(word, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

RequestClassifier::RequestClassifier(const Settings &settings, EntryRules &rules, SqliteTable *tblStats)
    : m_settings(settings), m_rules(rules), m_stats(tblStats) {}

QString RequestClassifier::CleanSubject(const QString &subject) {
    QString text = subject.trimmed();
    while (text.startsWith(QLatin1String("RE:"), Qt::CaseInsensitive))
        text = text.mid(3).trimmed();
    while (text.startsWith(QLatin1String("FWD:"), Qt::CaseInsensitive))
        text = text.mid(4).trimmed();
    return text;
}

void RequestClassifier::count(int kind, const CurrentMessage &message) {
    if (m_stats == nullptr)
        return;
    if (!m_batched || !message.sentDay.isValid()) {
        Statistics::AddStatRecord(*m_stats, kind, message.sent);
        return;
    }
    DayCounts &day = m_pending[message.sentDay];
    if (kind == Statistics::Subscribe)
        ++day.subscribes;
    else if (kind == Statistics::Unsubscribe)
        ++day.unsubscribes;
    else if (kind == Statistics::Bounce)
        ++day.bounces;
}

void RequestClassifier::flushCounts() noexcept {
    if (m_stats == nullptr)
        return;
    for (auto day = m_pending.begin(); day != m_pending.end();) {
        const DayCounts &c = day->second;
        if (Statistics::AddStatCounts(*m_stats, day->first, c.subscribes, c.unsubscribes, c.bounces))
            day = m_pending.erase(day);
        else
            ++day;
    }
}

bool RequestClassifier::isFailureReport(const QString &line0) const {
    const QString subject = line0.toUpper();
    for (const QString &text : m_settings.FailureSubjects.items()) {
        if (!text.isEmpty() && subject.contains(text.toUpper()))
            return true;
    }
    return false;
}

void RequestClassifier::gatherBounces(const CurrentMessage &message, BounceList &bounces,
                                      const DeliveryStatusSource &status) const {
    if (m_settings.PreciseBounces && status) {
        std::optional<QByteArray> part;
        try {
            part = status();
        } catch (const std::exception &) {
            part.reset();
        }
        if (part) {
            if (const std::optional<QStringList> failed = DeliveryStatusReport::failedRecipients(*part)) {
                for (const QString &address : *failed)
                    bounces.add(address);
                return;
            }
        }
    }
    QStringList found;
    const QStringList exceptions = m_settings.AddressExceptions.items();
    AddressExtraction::extractemailaddresses(message.lines, found, &exceptions);
    for (const QString &address : found)
        bounces.add(address);
}

RequestClassifier::Outcome RequestClassifier::processEntry(CurrentMessage &message, BounceList &bounces,
                                                           const DeliveryStatusSource &status) {
    const QString line0 = message.lines.value(0);
    if (m_settings.RemoveOutofOffice && line0.contains(QLatin1String("Out of Office AutoReply"), Qt::CaseInsensitive))
        return Outcome::OutOfOffice;
    if (m_settings.FailedMail && isFailureReport(line0)) {
        gatherBounces(message, bounces, status);
        count(Statistics::Bounce, message);
        return Outcome::DeliveryFailure;
    }
    // An automatic reply is never taken for a command, so that two programs cannot answer each other.
    if (message.autoSubmitted)
        return m_settings.RemoveOutofOffice ? Outcome::AutomaticReply : Outcome::NotHandled;
    const qsizetype last = m_settings.ScanAllEmailLines.checked ? message.lines.size() : 2;
    for (qsizetype i = 0; i < last && i < message.lines.size(); ++i) {
        bool changed = false;
        if (!parseCommand(message, message.lines.at(i), changed))
            continue;
        if (changed)
            return Outcome::AddressChange;
        if (message.address.isEmpty())
            return Outcome::NotHandled;
        count(message.add ? Statistics::Subscribe : Statistics::Unsubscribe, message);
        m_rules.insertentry(message.add, message.address, message.category, message.name, QString(),
                            QStringLiteral("Changed enacted by e-mail sent ") + message.sent + QStringLiteral(" by ") +
                                message.sender,
                            0, false, true);
        return Outcome::Command;
    }
    return Outcome::NotHandled;
}

bool RequestClassifier::parseCommand(CurrentMessage &message, const QString &line, bool &changed) {
    changed = false;
    QStringList items;
    TextRoutines::OCVStrToStringlist(items, line, QStringLiteral(" "), true, true, true);
    if (items.isEmpty())
        return false;
    const QString word = items.first();
    if (inList(m_settings.ModifySynonyms, word) && items.size() >= 3 &&
        AddressRoutines::LooksLikeAddress(items.at(1)) && AddressRoutines::LooksLikeAddress(items.at(2))) {
        message.address = items.at(1);
        m_rules.ChangeEmailAddress(items.at(1), items.at(2), false, false);
        changed = true;
        return true;
    }
    if (inList(m_settings.RemoveSynonyms, word))
        message.add = false;
    else if (inList(m_settings.AddSynonyms, word))
        message.add = true;
    else
        return false;
    items.removeFirst();
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (AddressRoutines::LooksLikeAddress(items.at(i))) {
            message.address = items.at(i);
            message.name.clear();
            items.removeAt(i);
            break;
        }
    }
    message.category = items.value(0);
    return true;
}

} // namespace corvane
