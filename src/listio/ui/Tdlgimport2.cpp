// The "Importation Settings" window over ImportSettings.
#include "listio/ui/Tdlgimport2.h"

#include "listio/ImportSettings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>

namespace corvane::ui {

namespace {

QListWidget *column(QWidget *parent, const char *name) {
    auto *list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setMinimumHeight(220);
    return list;
}

} // namespace

Tdlgimport2::Tdlgimport2(ImportSettings &settings, UserPrompt &prompt, QWidget *parent)
    : QDialog(parent), m_settings(settings), m_prompt(prompt) {
    setWindowTitle(QStringLiteral("Importation Settings"));
    auto *layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Field in your file:"), this), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Example:"), this), 0, 2);
    layout->addWidget(new QLabel(QStringLiteral("Enter into database field:"), this), 0, 4);
    lbxfilefields = column(this, "lbxfilefields");
    lbxarrows1 = column(this, "lbxarrows1");
    lbxexamples = column(this, "lbxexamples");
    lbxarrows2 = column(this, "lbxarrows2");
    lbxmapping = column(this, "lbxmapping");
    lbxarrows1->setMaximumWidth(40);
    lbxarrows2->setMaximumWidth(40);
    const QList<QListWidget *> columns{lbxfilefields, lbxarrows1, lbxexamples, lbxarrows2, lbxmapping};
    for (int i = 0; i < columns.size(); ++i) {
        layout->addWidget(columns.at(i), 1, i);
    }
    // A click in another column selects the same row of the mapping.
    for (QListWidget *other : {lbxfilefields, lbxarrows1, lbxexamples, lbxarrows2}) {
        connect(other, &QListWidget::itemClicked, this, [this, other](QListWidgetItem *item) {
            const int row = other->row(item);
            other->clearSelection();
            if (row < lbxmapping->count()) {
                lbxmapping->setCurrentRow(row);
            }
        });
    }
    btnup = new QPushButton(QStringLiteral("Move Up"), this);
    btndown = new QPushButton(QStringLiteral("Move Down"), this);
    layout->addWidget(btnup, 2, 4);
    layout->addWidget(btndown, 3, 4);
    connect(btnup, &QPushButton::clicked, this, [this] { movefield(-1); });
    connect(btndown, &QPushButton::clicked, this, [this] { movefield(+1); });
    chkheader = new QCheckBox(QStringLiteral("File has a row of column headings"), this);
    layout->addWidget(chkheader, 2, 0, 1, 3);
    layout->addWidget(new QLabel(QStringLiteral("Field separator:"), this), 3, 0);
    edtseparator = new QLineEdit(this);
    edtseparator->setMaxLength(1);
    edtseparator->setMaximumWidth(40);
    layout->addWidget(edtseparator, 3, 1);
    lblexample = new QLabel(this);
    layout->addWidget(lblexample, 3, 2);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(buttons, 4, 0, 1, 5);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    edtseparator->setText(m_settings.separator());
    chkheader->setChecked(m_settings.header());
    lblexample->setText(m_settings.exampleLabel());
    connect(edtseparator, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_settings.setSeparator(text, m_prompt);
        lblexample->setText(m_settings.exampleLabel());
        refresh();
    });
    connect(chkheader, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.setHeader(on, m_prompt);
        lblexample->setText(m_settings.exampleLabel());
        refresh();
    });
}

void Tdlgimport2::FormShow() {
    m_settings.FormShow(m_prompt);
    refresh();
}

void Tdlgimport2::refresh() {
    lbxfilefields->clear();
    lbxexamples->clear();
    lbxarrows1->clear();
    lbxarrows2->clear();
    lbxfilefields->addItems(m_settings.fileFields());
    lbxexamples->addItems(m_settings.examples());
    for (int i = 0; i < m_settings.examples().size(); ++i) {
        lbxarrows1->addItem(QStringLiteral("-->"));
        lbxarrows2->addItem(QStringLiteral("-->"));
    }
    const int selected = lbxmapping->currentRow();
    lbxmapping->clear();
    for (int row = 0; row < m_settings.mapping().size(); ++row) {
        auto *item = new QListWidgetItem(m_settings.rowText(row), lbxmapping);
        if (m_settings.greyed(row)) {
            item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
        }
    }
    if (selected >= 0 && selected < lbxmapping->count()) {
        lbxmapping->setCurrentRow(selected);
    }
}

void Tdlgimport2::movefield(int delta) {
    const int row = m_settings.movefield(lbxmapping->currentRow(), delta, m_prompt);
    refresh();
    if (row >= 0) {
        lbxmapping->setCurrentRow(row);
    }
}

void Tdlgimport2::done(int result) {
    if (!m_settings.canClose(m_prompt)) {
        return;
    }
    QDialog::done(result);
}

} // namespace corvane::ui
