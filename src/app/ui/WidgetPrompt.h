// The desktop program's prompts: QMessageBox of the four kinds with fixed button sets, a text input box,
// the borderless progress window with its optional Cancel button, the hourglass cursor and the beep.
#pragma once

#include "base/UserPrompt.h"

#include <QElapsedTimer>
#include <QPointer>
#include <functional>

class QWidget;
class QDialog;
class QLabel;
class QProgressBar;

namespace corvane::ui {

class WidgetPrompt : public UserPrompt {
public:
    WidgetPrompt();
    ~WidgetPrompt() override;

    // The window that message boxes are centred on (may be null).
    void setParentWindow(QWidget *parent) { m_parent = parent; }
    // The dialog shown by chooseDatabaseDirectory(): given the initial text, returns the chosen directory
    // or a null text on cancel.
    void setDirectoryChooser(std::function<QString(QWidget *parent, const QString &initial)> chooser) {
        m_chooser = std::move(chooser);
    }

    // The title of every message box: the program's display name, as desktop programs title theirs (the
    // kind of message shows in the box's icon).
    static QString boxTitle();

    // The shortest time between two paintings of the progress window (about 20 a second).
    static constexpr int kPaintIntervalMs = 50;

    Button message(Kind kind, const QString &text, Buttons buttons) override;
    bool inputText(const QString &caption, const QString &label, QString &value) override;
    void showProgress(int percent, const QString &message, bool cancellable) override;
    void hideProgress() override;
    bool cancelRequested() const override { return m_cancel; }
    void setCancelRequested(bool cancel) override { m_cancel = cancel; }
    void processEvents() override;
    void setBusy(bool busy) override;
    void beep() override;
    bool chooseDatabaseDirectory(QString &dir) override;

private:
    QPointer<QWidget> m_parent;
    QPointer<QDialog> m_progress;
    QLabel *m_progressText = nullptr;
    QProgressBar *m_gauge = nullptr;
    bool m_cancel = false;
    QElapsedTimer m_painted;
    std::function<QString(QWidget *, const QString &)> m_chooser;
};

} // namespace corvane::ui
