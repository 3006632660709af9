// The prompt the benchmark programs run with: every question is answered Yes (the database creation offer),
// every other message Ok; each text is printed, except those beginning with a given prefix (per-item
// messages that would flood the figures). Shows no window and never cancels.
#pragma once

#include "base/UserPrompt.h"

#include <QString>

#include <cstdio>
#include <utility>

namespace corvane {

class BenchPrompt : public UserPrompt {
public:
    explicit BenchPrompt(QString quietPrefix = QString()) : m_quietPrefix(std::move(quietPrefix)) {}

    Button message(Kind, const QString &text, Buttons buttons) override {
        if (m_quietPrefix.isEmpty() || !text.startsWith(m_quietPrefix))
            std::printf("prompt: %s\n", qPrintable(text));
        return buttons.testFlag(Yes) ? Yes : Ok;
    }
    bool inputText(const QString &, const QString &, QString &) override { return false; }
    void showProgress(int, const QString &, bool) override {}
    void hideProgress() override {}
    bool cancelRequested() const override { return false; }
    void setCancelRequested(bool) override {}
    void processEvents() override {}
    void setBusy(bool) override {}
    void beep() override {}
    bool chooseDatabaseDirectory(QString &) override { return false; }

private:
    QString m_quietPrefix;
};

} // namespace corvane
