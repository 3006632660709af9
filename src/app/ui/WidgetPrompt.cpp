// Message boxes, text input and the progress window of the desktop program.
#include "app/ui/WidgetPrompt.h"

#include "base/ProgressWindow.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {
struct ButtonMap {
    UserPrompt::Button ours;
    QMessageBox::StandardButton qt;
};
constexpr ButtonMap kButtons[] = {
    {UserPrompt::Ok, QMessageBox::Ok},         {UserPrompt::Cancel, QMessageBox::Cancel},
    {UserPrompt::Yes, QMessageBox::Yes},       {UserPrompt::No, QMessageBox::No},
    {UserPrompt::Retry, QMessageBox::Retry},   {UserPrompt::Abort, QMessageBox::Abort},
    {UserPrompt::Ignore, QMessageBox::Ignore},
};

QMessageBox::Icon iconFor(UserPrompt::Kind kind) {
    switch (kind) {
    case UserPrompt::Kind::Warning:
        return QMessageBox::Warning;
    case UserPrompt::Kind::Error:
        return QMessageBox::Critical;
    case UserPrompt::Kind::Information:
        return QMessageBox::Information;
    case UserPrompt::Kind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

WidgetPrompt::WidgetPrompt() = default;

QString WidgetPrompt::boxTitle() {
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Corvane") : name;
}

WidgetPrompt::~WidgetPrompt() {
    hideProgress();
}

UserPrompt::Button WidgetPrompt::message(Kind kind, const QString &text, Buttons buttons) {
    QMessageBox box(iconFor(kind), boxTitle(), text, QMessageBox::NoButton, m_parent);
    for (const ButtonMap &b : kButtons) {
        if (buttons.testFlag(b.ours)) {
            box.addButton(b.qt);
        }
    }
    if (buttons == Buttons(NoButton)) {
        box.addButton(QMessageBox::Ok);
    }
    const int pressed = box.exec();
    for (const ButtonMap &b : kButtons) {
        if (pressed == b.qt) {
            return b.ours;
        }
    }
    // Closed with Escape or the title bar: the most cautious button offered.
    return cautiousButton(buttons);
}

bool WidgetPrompt::inputText(const QString &caption, const QString &label, QString &value) {
    bool ok = false;
    const QString answer = QInputDialog::getText(m_parent, caption, label, QLineEdit::Normal, value, &ok);
    if (ok) {
        value = answer;
    }
    return ok;
}

void WidgetPrompt::showProgress(int percent, const QString &message, bool cancellable) {
    if (m_progress.isNull()) {
        auto *dialog = new QDialog(m_parent, Qt::FramelessWindowHint | Qt::Dialog);
        dialog->setAttribute(Qt::WA_DeleteOnClose, false);
        auto *layout = new QVBoxLayout(dialog);
        m_progressText = new QLabel(dialog);
        m_progressText->setMinimumWidth(360);
        m_gauge = new QProgressBar(dialog);
        m_gauge->setRange(0, 100);
        layout->addWidget(m_progressText);
        layout->addWidget(m_gauge);
        if (cancellable) {
            auto *cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
            layout->addWidget(cancel, 0, Qt::AlignHCenter);
            QObject::connect(cancel, &QPushButton::clicked, dialog, [this] { ProgressWindow::cancelPressed(*this); });
        }
        dialog->adjustSize();
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            dialog->move(screen->geometry().center() - dialog->rect().center());
        }
        // Modal, so that the events let through while it is painted start no other command or scan.
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->show();
        m_progress = dialog;
        m_cancel = false;
    }
    m_progressText->setText(message);
    m_gauge->setValue(percent);
    // Work without Cancel never returns to the event loop, so the window is painted from here: pending
    // paint and window-system events (not the person's input) are let through, at most every
    // kPaintIntervalMs so that the work is not slowed.
    if (!m_painted.isValid() || m_painted.elapsed() >= kPaintIntervalMs) {
        m_progress->update();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_painted.start();
    }
}

void WidgetPrompt::hideProgress() {
    if (!m_progress.isNull()) {
        delete m_progress.data();
        m_progress.clear();
        m_painted.invalidate();
        m_progressText = nullptr;
        m_gauge = nullptr;
    }
}

void WidgetPrompt::processEvents() {
    QApplication::processEvents();
}

void WidgetPrompt::setBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void WidgetPrompt::beep() {
    QApplication::beep();
}

bool WidgetPrompt::chooseDatabaseDirectory(QString &dir) {
    if (!m_chooser) {
        return false;
    }
    const QString chosen = m_chooser(m_parent, dir);
    if (chosen.isNull()) {
        return false;
    }
    dir = chosen;
    return true;
}

} // namespace corvane::ui
