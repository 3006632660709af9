// The activity log viewer.
#include "requests/ui/Tdlglog.h"

#include "requests/ActivityLog.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane::ui {

Tdlglog::Tdlglog(UserPrompt &prompt, QWidget *parent) : QDialog(parent), m_prompt(prompt) {
    setWindowTitle(QStringLiteral("Log"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    auto *layout = new QVBoxLayout(this);
    memlog = new QPlainTextEdit(this);
    memlog->setObjectName(QStringLiteral("memlog"));
    memlog->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(memlog, 1);
    auto *buttons = new QHBoxLayout();
    btnclear = new QPushButton(QStringLiteral("Clear Log"), this);
    btnclear->setToolTip(QStringLiteral("Clears all entries from your log"));
    btnsave = new QPushButton(QStringLiteral("Save Log.."), this);
    btnsave->setToolTip(QStringLiteral("Saves the contents of the log to a specified file"));
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    buttons->addWidget(btnclear);
    buttons->addWidget(btnsave);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(btnclear, &QPushButton::clicked, this, &Tdlglog::btnclearClick);
    connect(btnsave, &QPushButton::clicked, this, [this] { btnsaveClick(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(640, 420);
}

void Tdlglog::FormShow() {
    memlog->setPlainText(ActivityLog::LoadLog(m_prompt));
}

void Tdlglog::btnclearClick() {
    if (ActivityLog::ClearLog(m_prompt)) {
        memlog->clear();
    }
}

void Tdlglog::btnsaveClick(const QString &path) {
    QString target = path;
    if (target.isEmpty()) {
        target = QFileDialog::getSaveFileName(this, QStringLiteral("Save Log"), QString(),
                                              QStringLiteral("Text File (*.txt)"));
    }
    if (!target.isEmpty()) {
        ActivityLog::SaveLog(m_prompt, target, memlog->toPlainText());
    }
}

} // namespace corvane::ui
