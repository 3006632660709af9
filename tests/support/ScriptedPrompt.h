// A UserPrompt for tests: records every text shown, replays queued answers in order, and fails the running
// test when a prompt arrives that the test did not queue an answer for.
#pragma once

#include "base/UserPrompt.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

namespace corvane {

class ScriptedPrompt : public UserPrompt {
public:
    struct Shown {
        Kind kind;
        QString text;
        Buttons buttons;
    };

    // Queues the answer to the next message box. Every message box asked must have one.
    void answer(Button button) { m_answers.enqueue(button); }
    // Queues the answer to the next text input; a null QString cancels.
    void answerText(const QString &text) { m_texts.enqueue(text); }
    // Queues the answer to the next database-directory choice; a null QString cancels.
    void answerDirectory(const QString &dir) { m_dirs.enqueue(dir); }
    // Messages with only an Ok button are answered Ok when this is on (the default), without taking a
    // queued answer: they ask nothing. They are still recorded in `shown`.
    void setAutoAcknowledge(bool on) { m_autoAck = on; }

    Button message(Kind kind, const QString &text, Buttons buttons) override;
    bool inputText(const QString &caption, const QString &label, QString &value) override;
    void showProgress(int percent, const QString &message, bool cancellable) override;
    void hideProgress() override;
    bool cancelRequested() const override { return m_cancel; }
    void setCancelRequested(bool cancel) override { m_cancel = cancel; }
    void processEvents() override { ++eventPumps; }
    void setBusy(bool busy) override { busyDepth += busy ? 1 : -1; }
    void beep() override { ++beeps; }
    bool chooseDatabaseDirectory(QString &dir) override;

    // Every message box shown, in order.
    QList<Shown> shown;
    // The texts of `shown`.
    QStringList texts() const;
    // Every progress call as "percent|message", in order.
    QStringList progress;
    bool progressVisible = false;
    int busyDepth = 0;
    int beeps = 0;
    int eventPumps = 0;
    // Cancel flag to raise after this many more progress calls (-1: never).
    int cancelAfterProgressCalls = -1;

    // True when every queued answer was used.
    bool allAnswersUsed() const { return m_answers.isEmpty() && m_texts.isEmpty() && m_dirs.isEmpty(); }

private:
    QQueue<Button> m_answers;
    QQueue<QString> m_texts;
    QQueue<QString> m_dirs;
    bool m_cancel = false;
    bool m_autoAck = true;
};

} // namespace corvane
