// The send job on the command line.
#include "cli/CliSendCommand.h"

#include "app/Tfrmmain.h"
#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "cli/CliContext.h"
#include "db/SqliteTable.h"
#include "db/TdmML.h"
#include "requests/EntryRules.h"
#include "send/MessageFiles.h"
#include "send/TdlgSendMail.h"
#include "settings/Settings.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <csignal>

namespace corvane {

namespace {

volatile std::sig_atomic_t interrupted = 0;

// The first Ctrl+C cancels the job at the next recipient; a second one ends the program at once.
extern "C" void onInterrupt(int) {
    interrupted = 1;
    std::signal(SIGINT, SIG_DFL);
}

// The console prompt with the test address as the answer to the test message's input box, and Ctrl+C as
// the cancel flag.
class SendPrompt : public UserPrompt {
public:
    SendPrompt(UserPrompt &inner, QString testAddress) : m_inner(inner), m_test(std::move(testAddress)) {}

    Button message(Kind kind, const QString &text, Buttons buttons) override {
        return m_inner.message(kind, text, buttons);
    }
    bool inputText(const QString &caption, const QString &label, QString &value) override {
        if (m_test.isEmpty()) {
            return m_inner.inputText(caption, label, value);
        }
        value = m_test;
        return true;
    }
    void showProgress(int percent, const QString &text, bool cancellable) override {
        m_inner.showProgress(percent, text, cancellable);
    }
    void hideProgress() override { m_inner.hideProgress(); }
    bool cancelRequested() const override { return interrupted != 0 || m_inner.cancelRequested(); }
    void setCancelRequested(bool cancel) override {
        if (!cancel) {
            interrupted = 0;
        }
        m_inner.setCancelRequested(cancel);
    }
    void processEvents() override { m_inner.processEvents(); }
    void setBusy(bool busy) override { m_inner.setBusy(busy); }
    void beep() override { m_inner.beep(); }
    bool chooseDatabaseDirectory(QString &dir) override { return m_inner.chooseDatabaseDirectory(dir); }

private:
    UserPrompt &m_inner;
    QString m_test;
};

struct Options {
    QString subject;
    QString bodyFile;
    QString bodyText;
    bool bodyGiven = false;
    bool html = false;
    QStringList attachments;
    QString category;
    QString notCategory;
    QString recipientsFile;
    int choices = 0;
    QStringList to;
    QStringList cc;
    QString test;
    bool dryRun = false;
};

// Reads the options; an empty text when they are sound, else what is wrong.
QString parse(const QStringList &arguments, Options &o) {
    bool subjectGiven = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        const auto value = [&](QString &into) {
            if (i + 1 >= arguments.size()) {
                return false;
            }
            into = arguments.at(++i);
            return true;
        };
        QString text;
        if (arg == QLatin1String("--html")) {
            o.html = true;
        } else if (arg == QLatin1String("--dry-run")) {
            o.dryRun = true;
        } else if (!value(text)) {
            return arg.startsWith(QLatin1String("--")) ? arg + QStringLiteral(" needs a value")
                                                       : QStringLiteral("unexpected argument ") + arg;
        } else if (arg == QLatin1String("--subject")) {
            o.subject = text;
            subjectGiven = true;
        } else if (arg == QLatin1String("--body") || arg == QLatin1String("--body-text")) {
            if (o.bodyGiven) {
                return QStringLiteral("give the body once, with --body or --body-text");
            }
            o.bodyGiven = true;
            (arg == QLatin1String("--body") ? o.bodyFile : o.bodyText) = text;
        } else if (arg == QLatin1String("--attach")) {
            o.attachments.append(QFileInfo(text).absoluteFilePath());
        } else if (arg == QLatin1String("--category") || arg == QLatin1String("--not-category") ||
                   arg == QLatin1String("--recipients")) {
            ++o.choices;
            (arg == QLatin1String("--category")       ? o.category
             : arg == QLatin1String("--not-category") ? o.notCategory
                                                      : o.recipientsFile) = text;
        } else if (arg == QLatin1String("--to")) {
            o.to.append(text);
        } else if (arg == QLatin1String("--cc")) {
            o.cc.append(text);
        } else if (arg == QLatin1String("--test")) {
            o.test = text.trimmed();
            if (o.test.isEmpty()) {
                return QStringLiteral("--test needs an address");
            }
        } else {
            return QStringLiteral("unknown option ") + arg;
        }
    }
    if (!subjectGiven || !o.bodyGiven) {
        return QStringLiteral("--subject and one of --body or --body-text are required");
    }
    if (o.choices > 1) {
        return QStringLiteral("give at most one of --category, --not-category and --recipients");
    }
    if (o.dryRun && !o.test.isEmpty()) {
        return QStringLiteral("--dry-run counts the recipients of a send; it does not go with --test");
    }
    return QString();
}

QString statusLine(const TdlgSendMail::Status &s, double seconds) {
    return QStringLiteral("Sent %1, failed %2, remaining %3, %4 messages/s")
        .arg(s.messagesSent)
        .arg(s.messagesFailed)
        .arg(std::max<qint64>(0, s.total - s.processed))
        .arg(seconds > 0 ? double(s.messagesSent + s.messagesFailed) / seconds : 0.0, 0, 'f', 1);
}

} // namespace

QString CliSendCommand::usage() {
    return QStringLiteral(
        "  send --subject TEXT (--body FILE | --body-text TEXT) [--html] [--attach FILE]...\n"
        "       [--category LIST | --not-category LIST | --recipients FILE] [--to ADDR]... [--cc ADDR]...\n"
        "       [--test ADDR] [--dry-run]\n"
        "                            send a message to the list (all entries, the categories of LIST,\n"
        "                            all but those, or the lines of FILE) with the settings' method,\n"
        "                            printing progress and the send log; --test sends one test message\n"
        "                            to ADDR; --dry-run prints the recipient and message counts only;\n"
        "                            exits with 1 when any message failed\n");
}

int CliSendCommand::send(CliContext &context, const QStringList &arguments) {
    Options o;
    if (const QString problem = parse(arguments, o); !problem.isEmpty()) {
        context.fail(QStringLiteral("send: ") + problem + QStringLiteral(" (see --help)"));
        return 2;
    }
    if (!context.requireDatabase()) {
        return 1;
    }
    Tfrmmain &main = context.main;
    Settings &settings = main.settings();
    QString body = o.bodyText;
    QString typed;
    try {
        if (!o.bodyFile.isEmpty()) {
            body = MessageFiles::readText(o.bodyFile);
        }
        if (!o.recipientsFile.isEmpty()) {
            typed = MessageFiles::readText(o.recipientsFile);
        }
    } catch (const CorvaneError &e) {
        context.fail(e.message());
        return 1;
    }
    for (const QString &path : o.attachments) {
        if (!QFileInfo(path).isFile() || !QFileInfo(path).isReadable()) {
            context.fail(QStringLiteral("cannot read the attachment ") + path);
            return 1;
        }
    }

    const int storedMethod = settings.EmailMethod;
    const int storedCount = settings.SendCount;
    const bool storedHtml = settings.chkhtmlchecked;
    SendPrompt prompt(context.prompt, o.test);
    if (!TdlgSendMail::btnsendClick(settings, prompt)) {
        return 1;
    }
    int status = 1;
    {
        TdlgSendMail job(*main.dataModule(), settings, prompt, main.debugMode());
        // The relay method's reports of a bad recipient domain count a bounce, as a delivery failure does.
        job.transports().setBounceHandler([&main](const QString &address) { main.rules().processbounce(address); });
        job.addDefaultToAddress();
        for (const QString &address : o.to) {
            job.addRecip().addTo(address);
        }
        for (const QString &address : o.cc) {
            job.addRecip().addCC(address);
        }
        settings.chkhtmlchecked = o.html;
        job.FormShow(o.category, !o.category.isEmpty());
        SendDraft &draft = job.draft();
        // With the signature placed in the editor the text goes above it, as the person would type it.
        draft.body = body + draft.body;
        draft.subject = o.subject;
        draft.attachments = o.attachments;
        RecipientChoice &recipients = job.recipients();
        if (!o.notCategory.isEmpty()) {
            recipients.edtnotfilterChange(o.notCategory);
        } else if (!o.recipientsFile.isEmpty()) {
            recipients.setChoice(RecipientChoice::Choice::Manual);
            recipients.memCustom = typed;
            // Without a person to correct them, invalid lines are set aside and named, never sent to.
            recipients.chkvalidity = true;
            recipients.rdballClick();
        }

        if (!o.test.isEmpty()) {
            const qsizetype before = job.sendLog().lines().size();
            job.SendTestClick();
            const QStringList added = job.sendLog().lines().mid(before);
            for (const QString &line : added) {
                context.print(line);
            }
            status =
                added.contains(QStringLiteral("SEND OK")) && !added.contains(QStringLiteral("SEND FAILURE")) ? 0 : 1;
        } else if (o.dryRun) {
            if (job.GetSalutationCheck(true)) {
                recipients.btnrecalcClick(draft.personalised);
            }
            if (recipients.stale()) {
                context.fail(QStringLiteral("the recipients could not be computed"));
            } else {
                const qint64 count = main.dataModule()->tblTemp().recordCount();
                const qint64 per = std::max(1, settings.SendCount);
                context.print(QStringLiteral("Recipients: %1").arg(count));
                context.print(QStringLiteral("Messages: %1").arg((count + per - 1) / per));
                status = 0;
            }
        } else {
            QElapsedTimer clock;
            clock.start();
            qint64 lastLine = -1;
            job.setStatusHandler([&](const TdlgSendMail::Status &s) {
                if (lastLine < 0 || clock.elapsed() - lastLine >= 3000) {
                    lastLine = clock.elapsed();
                    context.print(statusLine(s, double(clock.elapsed()) / 1000));
                }
            });
            std::signal(SIGINT, onInterrupt);
            const bool completed = job.Button2Click();
            std::signal(SIGINT, SIG_DFL);
            const bool cancelled = interrupted != 0;
            interrupted = 0;
            context.print(statusLine(job.status(), double(clock.elapsed()) / 1000));
            for (const QString &line : job.sendLog().lines()) {
                context.print(line);
            }
            if (job.sendLog().failed()) {
                context.fail(QStringLiteral("the send log could not be written: ") + job.sendLog().errorString());
            }
            status = completed && !cancelled && job.status().messagesFailed == 0 && !job.sendLog().failed() ? 0 : 1;
        }
        job.FormClose();
    }
    // Only what the job itself changed is kept (the HTML question, one e-mail per recipient); the HTML
    // default of the send dialog stays as the person left it.
    settings.chkhtmlchecked = storedHtml;
    if (settings.EmailMethod != storedMethod || settings.SendCount != storedCount) {
        context.settingsChanged = true;
    }
    return status;
}

} // namespace corvane
