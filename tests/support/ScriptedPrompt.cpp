// Scripted answers for prompts in headless tests.
#include "ScriptedPrompt.h"

#include <QTest>

namespace corvane {

UserPrompt::Button ScriptedPrompt::message(Kind kind, const QString &text, Buttons buttons) {
    shown.append({kind, text, buttons});
    if (m_autoAck && buttons == Buttons(Ok)) {
        return Ok;
    }
    if (m_answers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("Unexpected prompt: ") + text), __FILE__, __LINE__);
        return cautiousButton(buttons);
    }
    const Button answer = m_answers.dequeue();
    if (!buttons.testFlag(answer)) {
        QTest::qFail(qPrintable(QStringLiteral("Scripted answer not offered by prompt: ") + text), __FILE__, __LINE__);
    }
    return answer;
}

bool ScriptedPrompt::inputText(const QString &caption, const QString &label, QString &value) {
    shown.append({Kind::Information, caption + QStringLiteral(": ") + label, Buttons(Ok | Cancel)});
    if (m_texts.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("Unexpected text input: ") + label), __FILE__, __LINE__);
        return false;
    }
    const QString answer = m_texts.dequeue();
    if (answer.isNull()) {
        return false;
    }
    value = answer;
    return true;
}

void ScriptedPrompt::showProgress(int percent, const QString &message, bool cancellable) {
    Q_UNUSED(cancellable);
    if (!progressVisible) {
        m_cancel = false;
    }
    progressVisible = true;
    progress.append(QString::number(percent) + QLatin1Char('|') + message);
    if (cancelAfterProgressCalls >= 0 && cancelAfterProgressCalls-- == 0) {
        m_cancel = true;
    }
}

void ScriptedPrompt::hideProgress() {
    progressVisible = false;
}

bool ScriptedPrompt::chooseDatabaseDirectory(QString &dir) {
    shown.append({Kind::Information, QStringLiteral("Create/Open Mailing List Database"), Buttons(Ok | Cancel)});
    if (m_dirs.isEmpty()) {
        QTest::qFail("Unexpected database directory dialog", __FILE__, __LINE__);
        return false;
    }
    const QString answer = m_dirs.dequeue();
    if (answer.isNull()) {
        return false;
    }
    dir = answer;
    return true;
}

QStringList ScriptedPrompt::texts() const {
    QStringList result;
    for (const Shown &s : shown) {
        result.append(s.text);
    }
    return result;
}

} // namespace corvane
