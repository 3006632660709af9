// The options dialog's frame: control builders tied to their values, the enabling table, the folder-name
// load, OK, Cancel, Help and the advanced settings.
#include "settings/ui/Tdlgoptions.h"

#include "base/TextFile.h"
#include "base/UserPrompt.h"
#include "settings/Settings.h"
#include "settings/ui/TdlgAdvancedSettings.h"
#include "settings/ui/Tdlgeditentries.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {
constexpr int kFolderLoadDelayMs = 100;
} // namespace

Tdlgoptions::Tdlgoptions(Settings &settings, SettingsStore &store, DatabaseLink &db, UserPrompt &prompt,
                         EntryRules *rules, QWidget *parent)
    : QDialog(parent), m_core(settings, store, db, prompt, rules), m_settings(settings), m_prompt(prompt) {
    setObjectName(QStringLiteral("dlgoptions"));
    setWindowTitle(QStringLiteral("Options"));
    editor = [this](QStringList &lines) { return Tdlgeditentries::edit(this, lines); };
    auto *layout = new QVBoxLayout(this);
    auto *body = new QHBoxLayout();
    lbxpages = new QListWidget(this);
    lbxpages->setObjectName(QStringLiteral("lbxpages"));
    pages = new QStackedWidget(this);
    pages->setObjectName(QStringLiteral("pgcoptions"));
    const QStringList captions = corvane::Tdlgoptions::pageCaptions();
    lbxpages->addItems(captions);
    lbxpages->setSpacing(3);
    lbxpages->setFixedWidth(lbxpages->sizeHintForColumn(0) + 24);
    using Build = void (Tdlgoptions::*)(QWidget *);
    const Build builders[] = {&Tdlgoptions::buildGeneral,         &Tdlgoptions::buildScanning,
                              &Tdlgoptions::buildCategories,      &Tdlgoptions::buildSending,
                              &Tdlgoptions::buildAcknowledge,     &Tdlgoptions::buildUserSending,
                              &Tdlgoptions::buildDeliveryFailure, &Tdlgoptions::buildExceptions,
                              &Tdlgoptions::buildSynonyms,        &Tdlgoptions::buildSignature};
    for (int i = 0; i < corvane::Tdlgoptions::PageCount; ++i) {
        auto *page = new QWidget(pages);
        page->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
        (this->*builders[i])(page);
        pages->addWidget(page);
    }
    body->addWidget(lbxpages);
    body->addWidget(pages, 1);
    layout->addLayout(body, 1);
    connect(lbxpages, &QListWidget::currentRowChanged, pages, &QStackedWidget::setCurrentIndex);
    connect(pages, &QStackedWidget::currentChanged, lbxpages, [this](int index) { lbxpages->setCurrentRow(index); });
    auto *buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("BitBtn1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BitBtn2"));
    buttons->button(QDialogButtonBox::Help)->setObjectName(QStringLiteral("BitBtn3"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &Tdlgoptions::okClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &Tdlgoptions::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        m_core.currentPage = pages->currentIndex();
        if (showHelp) {
            showHelp(m_core.helpContext());
        }
    });
    connect(pages, &QStackedWidget::currentChanged, this, [this](int index) {
        m_core.currentPage = index;
        if ((index == corvane::Tdlgoptions::Scanning || index == corvane::Tdlgoptions::UserSending) &&
            cmbmailinglist->count() == 0) {
            QTimer::singleShot(kFolderLoadDelayMs, this, &Tdlgoptions::loadFolderNames);
        }
    });
    pages->setCurrentIndex(corvane::Tdlgoptions::General);
    lbxpages->setCurrentRow(corvane::Tdlgoptions::General);
    resize(720, 540);
}

int Tdlgoptions::execute() {
    m_core.FormShow();
    loadControls();
    return exec();
}

void Tdlgoptions::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    const int page = pages->currentIndex();
    if ((page == corvane::Tdlgoptions::Scanning || page == corvane::Tdlgoptions::UserSending) &&
        cmbmailinglist->count() == 0) {
        QTimer::singleShot(kFolderLoadDelayMs, this, &Tdlgoptions::loadFolderNames);
    }
}

void Tdlgoptions::loadControls() {
    m_loading = true;
    for (const auto &load : m_loaders) {
        load();
    }
    refreshLists();
    m_loading = false;
    applyEnabling();
}

void Tdlgoptions::applyEnabling() {
    const QHash<OptionsControl, bool> states = m_core.controlStates();
    for (auto it = m_enabled.cbegin(); it != m_enabled.cend(); ++it) {
        for (QWidget *widget : it.value()) {
            widget->setEnabled(states.value(it.key(), true));
        }
    }
}

void Tdlgoptions::enabledBy(OptionsControl control, QWidget *widget) {
    if (widget->objectName().isEmpty()) {
        widget->setObjectName(OptionsEnabling::controlName(control));
    }
    m_enabled[control].append(widget);
}

void Tdlgoptions::refreshLists() {
    for (auto it = m_lists.cbegin(); it != m_lists.cend(); ++it) {
        it.value()->clear();
        it.value()->addItems(RuleListEditing::items(m_settings, static_cast<RuleListKind>(it.key())));
    }
    m_core.UpdateCategoryListBoxes();
    for (QComboBox *box : {cmbdefaultcategory, cmbalternativecategory}) {
        const QString current = box->currentText();
        box->clear();
        box->addItems(m_core.categoryItems());
        box->setEditText(current);
    }
}

void Tdlgoptions::loadFolderNames() {
    if (cmbmailinglist->count() > 0) {
        return;
    }
    const QStringList names = m_core.folderNames();
    for (QComboBox *box : {cmbmailinglist, cmbusersendingfolder}) {
        const QString current = box->currentText();
        box->clear();
        box->addItems(names);
        box->setEditText(current);
    }
}

QCheckBox *Tdlgoptions::check(QWidget *parent, const char *name, const QString &caption, bool *value,
                              const QString &hint) {
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(hint);
    m_loaders.push_back([box, value] { box->setChecked(*value); });
    connect(box, &QCheckBox::toggled, this, [this, value](bool on) {
        if (!m_loading) {
            *value = on;
            applyEnabling();
        }
    });
    return box;
}

QSpinBox *Tdlgoptions::spin(QWidget *parent, const char *name, int minimum, int maximum, int step, int *value) {
    auto *box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(minimum, maximum);
    box->setSingleStep(step);
    m_loaders.push_back([box, value] { box->setValue(*value); });
    connect(box, &QSpinBox::valueChanged, this, [this, value](int v) {
        if (!m_loading) {
            *value = v;
        }
    });
    return box;
}

QLineEdit *Tdlgoptions::line(QWidget *parent, const char *name, QString *value) {
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    m_loaders.push_back([edit, value] { edit->setText(*value); });
    connect(edit, &QLineEdit::textEdited, this, [value](const QString &text) { *value = text; });
    return edit;
}

QPlainTextEdit *Tdlgoptions::text(QWidget *parent, const char *name, QStringList *value) {
    auto *edit = new QPlainTextEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_loaders.push_back([edit, value] { edit->setPlainText(value->join(QLatin1Char('\n'))); });
    connect(edit, &QPlainTextEdit::textChanged, this, [this, edit, value] {
        if (!m_loading) {
            const QString all = edit->toPlainText();
            *value = all.isEmpty() ? QStringList() : all.split(QLatin1Char('\n'));
        }
    });
    return edit;
}

QComboBox *Tdlgoptions::combo(QWidget *parent, const char *name, QString *value) {
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    m_loaders.push_back([box, value] { box->setEditText(*value); });
    connect(box, &QComboBox::editTextChanged, this, [this, value](const QString &text) {
        if (!m_loading) {
            *value = text;
        }
    });
    return box;
}

QList<QRadioButton *> Tdlgoptions::radios(QWidget *parent, const QStringList &names, const QStringList &captions,
                                          const std::function<int()> &get, const std::function<void(int)> &set) {
    auto *group = new QButtonGroup(parent);
    QList<QRadioButton *> buttons;
    for (int i = 0; i < captions.size(); ++i) {
        auto *button = new QRadioButton(captions.at(i), parent);
        button->setObjectName(names.at(i));
        group->addButton(button, i);
        buttons.append(button);
    }
    m_loaders.push_back([group, buttons, get] {
        const int selected = get();
        group->setExclusive(false);
        for (int i = 0; i < buttons.size(); ++i) {
            buttons.at(i)->setChecked(i == selected);
        }
        group->setExclusive(true);
    });
    connect(group, &QButtonGroup::idToggled, this, [this, set](int id, bool on) {
        if (on && !m_loading) {
            set(id);
            applyEnabling();
        }
    });
    return buttons;
}

QList<QRadioButton *> Tdlgoptions::pair(QWidget *parent, const char *trueName, const QString &trueCaption,
                                        const char *falseName, const QString &falseCaption,
                                        Settings::RadioPair *value) {
    return radios(
        parent, {QString::fromLatin1(trueName), QString::fromLatin1(falseName)}, {trueCaption, falseCaption},
        [value] { return value->checked ? 0 : (value->partnerChecked ? 1 : -1); },
        [value](int id) {
            *value = {id == 0, id == 1};
        });
}

QWidget *Tdlgoptions::ruleList(QWidget *parent, const char *listName, const char *buttonName, RuleListKind kind,
                               bool blocked) {
    auto *box = new QWidget(parent);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto *list = new QListWidget(box);
    list->setObjectName(QString::fromLatin1(listName));
    auto *edit = new QPushButton(QStringLiteral("Edit.."), box);
    edit->setObjectName(QString::fromLatin1(buttonName));
    row->addWidget(list, 1);
    row->addWidget(edit, 0, Qt::AlignTop);
    m_lists.insert(static_cast<int>(kind), list);
    connect(edit, &QPushButton::clicked, this, [this, kind, blocked] {
        if (blocked) {
            m_core.btnneverjoinClick(editor);
        } else {
            m_core.EditEntries(kind, editor);
        }
        refreshLists();
        applyEnabling();
    });
    return box;
}

void Tdlgoptions::okClicked() {
    m_core.currentPage = pages->currentIndex();
    const bool closes = m_core.BitBtn1Click();
    loadControls();
    if (closes) {
        accept();
    } else {
        pages->setCurrentIndex(m_core.currentPage);
    }
}

void Tdlgoptions::reject() {
    m_core.BitBtn2Click();
    loadControls();
    QDialog::reject();
}

void Tdlgoptions::loadSignature(const QString &fileName) {
    try {
        const QStringList lines = TextFile::readLines(fileName);
        m_settings.Signature = lines;
        memsignature->setPlainText(lines.join(QLatin1Char('\n')));
    } catch (const std::exception &) {
        m_prompt.message(UserPrompt::Kind::Error, QStringLiteral("Load Error"), UserPrompt::Ok);
    }
}

void Tdlgoptions::BitBtn4Click() {
    TdlgAdvancedSettings dialog(m_settings, m_prompt, m_usesOutlook, this);
    dialog.showHelp = showHelp;
    dialog.core().tellUsesOutlook = [this](bool uses) {
        m_usesOutlook = uses;
        if (tellUsesOutlook) {
            tellUsesOutlook(uses);
        }
    };
    dialog.execute();
}

} // namespace corvane::ui
