// The command line's prompts: messages on standard error, questions answered on the console, or every
// confirmation answered at once by --yes or --no. Progress is shown on a terminal only.
//
// A question asked again word for word right after it was answered, and answered the same way again,
// shows that the answer changes nothing: instead of going round for ever, the prompt says so, answers it
// and every later question with the most cautious button, and reports gaveUp(), so that the command ends
// with a failure. Messages that only inform (an OK button) do not interrupt such a repetition.
#pragma once

#include "base/UserPrompt.h"

#include <cstdio>

namespace corvane {

class ConsolePrompt : public UserPrompt {
public:
    enum class Answer { Ask, Yes, No };

    // `in` and `err` are the console streams (standard input and standard error in the program).
    ConsolePrompt(Answer fixed, std::FILE *in, std::FILE *err);

    Button message(Kind kind, const QString &text, Buttons buttons) override;
    bool inputText(const QString &caption, const QString &label, QString &value) override;
    void showProgress(int percent, const QString &message, bool cancellable) override;
    void hideProgress() override;
    bool cancelRequested() const override { return m_cancel; }
    void setCancelRequested(bool cancel) override { m_cancel = cancel; }
    void processEvents() override {}
    void setBusy(bool) override {}
    void beep() override {}
    bool chooseDatabaseDirectory(QString &dir) override;

    // The answer that --yes or --no gives to a message offering `buttons`.
    static Button fixedAnswer(Answer fixed, Buttons buttons);

    // True once a question came back unchanged after the same answer (see above).
    bool gaveUp() const { return m_gaveUp; }

private:
    // Reads one line from the console; false at end of input.
    bool readLine(QString &line);
    Button ask(Buttons buttons);
    // `answer` to the question, unless it is the repetition described above.
    Button settle(Kind kind, const QString &text, Buttons buttons, Button answer);
    void write(const QString &text);

    Answer m_fixed;
    std::FILE *m_in;
    std::FILE *m_err;
    bool m_cancel = false;
    bool m_progressShown = false;
    bool m_terminal = false;
    bool m_gaveUp = false;
    Kind m_lastKind = Kind::Information;
    QString m_lastQuestion;
    Buttons m_lastButtons;
    Button m_lastAnswer = NoButton;
};

} // namespace corvane
