// Console prompts for corvane-cli.
#include "cli/ConsolePrompt.h"

#include <QList>
#include <unistd.h>

namespace corvane {

namespace {
struct Choice {
    UserPrompt::Button button;
    const char *word;
};
constexpr Choice kChoices[] = {
    {UserPrompt::Yes, "yes"},       {UserPrompt::No, "no"},       {UserPrompt::Ok, "ok"},
    {UserPrompt::Cancel, "cancel"}, {UserPrompt::Retry, "retry"}, {UserPrompt::Abort, "abort"},
    {UserPrompt::Ignore, "ignore"},
};

QString kindWord(UserPrompt::Kind kind) {
    switch (kind) {
    case UserPrompt::Kind::Warning:
        return QStringLiteral("Warning");
    case UserPrompt::Kind::Error:
        return QStringLiteral("Error");
    case UserPrompt::Kind::Information:
        return QStringLiteral("Information");
    case UserPrompt::Kind::Confirmation:
        return QStringLiteral("Question");
    }
    return QString();
}

const char *wordOf(UserPrompt::Button button) {
    for (const Choice &c : kChoices) {
        if (c.button == button) {
            return c.word;
        }
    }
    return "";
}
} // namespace

ConsolePrompt::ConsolePrompt(Answer fixed, std::FILE *in, std::FILE *err)
    : m_fixed(fixed), m_in(in), m_err(err), m_terminal(isatty(fileno(err)) != 0) {}

UserPrompt::Button ConsolePrompt::fixedAnswer(Answer fixed, Buttons buttons) {
    const Button order[] = {fixed == Answer::No ? No : Yes, fixed == Answer::No ? Cancel : Ok};
    for (Button b : order) {
        if (buttons.testFlag(b)) {
            return b;
        }
    }
    return cautiousButton(buttons);
}

void ConsolePrompt::write(const QString &text) {
    hideProgress();
    std::fputs(text.toLocal8Bit().constData(), m_err);
    std::fflush(m_err);
}

bool ConsolePrompt::readLine(QString &line) {
    char buffer[4096];
    if (m_in == nullptr || std::fgets(buffer, sizeof buffer, m_in) == nullptr) {
        return false;
    }
    line = QString::fromLocal8Bit(buffer).trimmed();
    return true;
}

UserPrompt::Button ConsolePrompt::message(Kind kind, const QString &text, Buttons buttons) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    write(kindWord(kind) + QStringLiteral(": ") + shown + QLatin1Char('\n'));
    if (buttons == Buttons(Ok) || buttons == Buttons(NoButton)) {
        return Ok;
    }
    if (m_gaveUp) {
        const Button answer = cautiousButton(buttons);
        write(QStringLiteral("Answered: ") + QString::fromLatin1(wordOf(answer)) + QLatin1Char('\n'));
        return answer;
    }
    if (m_fixed != Answer::Ask) {
        const Button answer = settle(kind, text, buttons, fixedAnswer(m_fixed, buttons));
        write(QStringLiteral("Answered: ") + QString::fromLatin1(wordOf(answer)) + QLatin1Char('\n'));
        return answer;
    }
    return settle(kind, text, buttons, ask(buttons));
}

UserPrompt::Button ConsolePrompt::settle(Kind kind, const QString &text, Buttons buttons, Button answer) {
    const bool repeated =
        kind == m_lastKind && buttons == m_lastButtons && answer == m_lastAnswer && text == m_lastQuestion;
    m_lastKind = kind;
    m_lastQuestion = text;
    m_lastButtons = buttons;
    m_lastAnswer = answer;
    if (!repeated) {
        return answer;
    }
    m_gaveUp = true;
    write(QStringLiteral("corvane-cli: the same question came back after it was answered \"") +
          QString::fromLatin1(wordOf(answer)) +
          QStringLiteral("\"; answering it again would change nothing, so the command stops.\n"));
    return cautiousButton(buttons);
}

UserPrompt::Button ConsolePrompt::ask(Buttons buttons) {
    QStringList words;
    for (const Choice &c : kChoices) {
        if (buttons.testFlag(c.button)) {
            words.append(QString::fromLatin1(c.word));
        }
    }
    for (;;) {
        write(QLatin1Char('[') + words.join(QLatin1Char('/')) + QStringLiteral("] "));
        QString line;
        if (!readLine(line)) {
            write(QStringLiteral("\n"));
            return cautiousButton(buttons);
        }
        const QString answer = line.toLower();
        if (answer.isEmpty()) {
            continue;
        }
        for (const Choice &c : kChoices) {
            if (buttons.testFlag(c.button) && QString::fromLatin1(c.word).startsWith(answer)) {
                return c.button;
            }
        }
    }
}

bool ConsolePrompt::inputText(const QString &caption, const QString &label, QString &value) {
    if (m_fixed != Answer::Ask) {
        write(caption + QStringLiteral(": ") + label + QStringLiteral(" (not asked: --yes/--no given)\n"));
        return false;
    }
    write(caption + QStringLiteral(": ") + label + QStringLiteral(" [") + value + QStringLiteral("] "));
    QString line;
    if (!readLine(line)) {
        return false;
    }
    if (!line.isEmpty()) {
        value = line;
    }
    return true;
}

void ConsolePrompt::showProgress(int percent, const QString &message, bool cancellable) {
    Q_UNUSED(cancellable);
    if (!m_progressShown) {
        m_cancel = false;
    }
    if (!m_terminal) {
        m_progressShown = true;
        return;
    }
    std::fprintf(m_err, "\r%s %3d%%\x1b[K", message.toLocal8Bit().constData(), percent);
    std::fflush(m_err);
    m_progressShown = true;
}

void ConsolePrompt::hideProgress() {
    if (m_progressShown && m_terminal) {
        std::fputs("\r\x1b[K", m_err);
        std::fflush(m_err);
    }
    m_progressShown = false;
}

bool ConsolePrompt::chooseDatabaseDirectory(QString &dir) {
    if (m_fixed != Answer::Ask) {
        write(QStringLiteral("No database directory was chosen (--yes/--no given); run without them to choose one.\n"));
        return false;
    }
    write(QStringLiteral("Directory of the mailing list database (empty to cancel): "));
    QString line;
    if (!readLine(line) || line.isEmpty()) {
        return false;
    }
    dir = line;
    return true;
}

} // namespace corvane
