// The ten pages of the options dialog: every control under its caption, tied to its setting.
#include "settings/ui/Tdlgoptions.h"

#include "base/UserPrompt.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace corvane::ui {

namespace {

QLabel *label(QWidget *parent, const QString &caption, const char *name = nullptr) {
    auto *text = new QLabel(caption, parent);
    text->setWordWrap(caption.size() > 60);
    if (name != nullptr) {
        text->setObjectName(QString::fromLatin1(name));
    }
    return text;
}

// A row of widgets, then a stretch.
QWidget *row(QWidget *parent, std::initializer_list<QWidget *> widgets) {
    auto *box = new QWidget(parent);
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget *widget : widgets) {
        widget->setParent(box);
        layout->addWidget(widget);
    }
    layout->addStretch(1);
    return box;
}

QVBoxLayout *column(QWidget *page) {
    auto *layout = new QVBoxLayout(page);
    layout->setAlignment(Qt::AlignTop);
    return layout;
}

} // namespace

void Tdlgoptions::buildGeneral(QWidget *page) {
    Settings &s = m_settings;
    OptionsMirror &m = m_core.mirror;
    auto *layout = column(page);
    auto *cache = check(page, "chklimitcache", QStringLiteral("Limit caching of database records to:"), &s.LimitDBCache,
                        QStringLiteral("Loads only part of a large list into the grid, which keeps "
                                       "the main window quick; grouping is then not available"));
    auto *cacheSize = spin(page, "spncachesize", 100, 50000, 500, &s.DBCacheSize);
    enabledBy(OptionsControl::CacheSpin, cacheSize);
    layout->addWidget(row(page, {cache, cacheSize, label(page, QStringLiteral("records"))}));
    layout->addWidget(
        check(page, "chkmaintainlog", QStringLiteral("Maintain Log File of Database Changes"), &s.MaintainLog));
    auto *backup = new QGroupBox(QStringLiteral("Back Up"), page);
    auto *backupLayout = new QGridLayout(backup);
    backupLayout->addWidget(
        check(backup, "chkbackuponexit", QStringLiteral("Always back up the database on exit"), &s.BackUpOnExit), 0, 0,
        1, 3);
    backupLayout->addWidget(label(backup, QStringLiteral("Default Back Up Filename:")), 1, 0);
    auto *fileName = line(backup, "edtbackupfilename", &s.BackUpFilename);
    fileName->setReadOnly(true);
    auto *browse = new QPushButton(QStringLiteral("..."), backup);
    browse->setObjectName(QStringLiteral("BitBtn5"));
    backupLayout->addWidget(fileName, 1, 1);
    backupLayout->addWidget(browse, 1, 2);
    backupLayout->addWidget(check(backup, "chknewbackupfilename",
                                  QStringLiteral("Always save back-up file to a new file name"), &s.newbackupfilename),
                            2, 0, 1, 3);
    layout->addWidget(backup);
    connect(browse, &QPushButton::clicked, this, [this, fileName] {
        const QString chosen =
            QFileDialog::getSaveFileName(this, QString(), m_settings.BackUpFilename,
                                         QStringLiteral("Comma Seperated Value (*.csv);;Text File (*.txt)"));
        if (!chosen.isEmpty()) {
            m_settings.BackUpFilename = chosen;
            fileName->setText(chosen);
        }
    });
    auto *database = new QGroupBox(QStringLiteral("Database"), page);
    auto *databaseLayout = new QVBoxLayout(database);
    databaseLayout->addWidget(check(database, "chkshare",
                                    QStringLiteral("Allow database to be shared (lower performance)"), &m.chkShareDB,
                                    QStringLiteral("Lets copies of Corvane on other computers open the same database "
                                                   "directory; takes effect when Corvane is started again")));
    databaseLayout->addWidget(
        check(database, "chkstrict", QStringLiteral("Strict detection of Database changes (lower performance)"),
              &m.chkStrictDetection, QStringLiteral("Takes effect when Corvane is started again")));
    layout->addWidget(database);
    auto *advanced = new QPushButton(QStringLiteral("Advanced Options.."), page);
    advanced->setObjectName(QStringLiteral("BitBtn4"));
    advanced->setToolTip(QStringLiteral("Allows you to set trouble-shooting options"));
    layout->addWidget(row(page, {advanced}));
    connect(advanced, &QPushButton::clicked, this, &Tdlgoptions::BitBtn4Click);
}

void Tdlgoptions::buildScanning(QWidget *page) {
    Settings &s = m_settings;
    auto *layout = column(page);
    layout->addWidget(label(page, QStringLiteral("Which Outlook folder should be scanned for Add and Remove requests "
                                                 "(and Undeliverables):")));
    cmbmailinglist = combo(page, "cmbmailinglist", &m_core.mirror.cmbMailingList);
    layout->addWidget(cmbmailinglist);
    layout->addWidget(check(page, "chkautoscan_startup",
                            QStringLiteral("Always scan Outlook for new entries on start-up"), &s.AutoScanStartUp));
    auto *timed = check(page, "chkautoscan_timed", QStringLiteral("Scan for new entries every"), &s.AutoScanDelayed,
                        QStringLiteral("Scans the mailing-list folder periodically while Corvane runs"));
    auto *minutes = spin(page, "spnautoscan", 1, 1000, 30, &s.AutoScanDelayedTime);
    enabledBy(OptionsControl::AutoScanMinutes, minutes);
    layout->addWidget(row(page, {timed, minutes, label(page, QStringLiteral("minutes"))}));
    auto *where = new QGroupBox(QStringLiteral("Where to look for commands"), page);
    auto *whereLayout = new QVBoxLayout(where);
    for (QRadioButton *b : pair(where, "rdbscanall", QStringLiteral("Search entire e-mail (slower)"), "rdbscanfirst",
                                QStringLiteral("Search subject line and first line of e-mail"), &s.ScanAllEmailLines)) {
        whereLayout->addWidget(b);
    }
    layout->addWidget(where);
    auto *after = new QGroupBox(QStringLiteral("After processing a message"), page);
    auto *afterLayout = new QVBoxLayout(after);
    for (QRadioButton *b : pair(after, "rdbmarkread", QStringLiteral("Mark messages as read"), "rdbdelete",
                                QStringLiteral("Delete messages"), &s.ProcessAsUnread)) {
        afterLayout->addWidget(b);
    }
    layout->addWidget(after);
    layout->addWidget(check(page, "chkallowfrom",
                            QStringLiteral("If the subscribe e-mail address is not given, use the From address"),
                            &s.allowfromaddressasentry));
    layout->addWidget(check(page, "chkremoveoutofoffice",
                            QStringLiteral("Automatically delete 'Out of Office' messages"), &s.RemoveOutofOffice));
}

void Tdlgoptions::buildCategories(QWidget *page) {
    Settings &s = m_settings;
    OptionsMirror &m = m_core.mirror;
    auto *layout = column(page);
    auto *multiple = new QGroupBox(QStringLiteral("Multiple List Category Support"), page);
    auto *multipleLayout = new QVBoxLayout(multiple);
    const QList<QRadioButton *> multi =
        pair(multiple, "rdbmultiple",
             QStringLiteral("E-mail addresses can belong to multiple categories within the database"), "rdbonce",
             QStringLiteral("E-mail addresses can only occur once within the database"), &s.MultipleCategorySupport);
    multipleLayout->addWidget(multi.at(1));
    multipleLayout->addWidget(multi.at(0));
    layout->addWidget(multiple);
    layout->addWidget(
        label(page, QStringLiteral("When the join category cannot be determined, use the following category:")));
    cmbdefaultcategory = combo(page, "cmbdefaultcategory", &s.defaultcategory);
    layout->addWidget(cmbdefaultcategory);
    const QList<QRadioButton *> restrict = radios(
        page, {QStringLiteral("rdballcategories"), QStringLiteral("rdbrestrict")},
        {QStringLiteral("Allow all list categories"), QStringLiteral("Only allow the following list categories:")},
        [&m] { return m.rdbRestrictCategories ? 1 : 0; }, [&m](int id) { m.rdbRestrictCategories = id == 1; });
    layout->addWidget(restrict.at(0));
    layout->addWidget(restrict.at(1));
    QWidget *cats = ruleList(page, "lbxcats", "btncats", RuleListKind::AllowedCategories);
    enabledBy(OptionsControl::CategoriesList, cats->findChild<QListWidget *>());
    enabledBy(OptionsControl::CategoriesEdit, cats->findChild<QPushButton *>());
    layout->addWidget(cats);
    auto *wrongText = label(page, QStringLiteral("When a category is used which is not allowed:"));
    enabledBy(OptionsControl::WrongCategoryText, wrongText);
    layout->addWidget(wrongText);
    const QList<QRadioButton *> wrong =
        pair(page, "rdbwrongcategoryerror", QStringLiteral("Add the entry to the Error List"), "rdbwrongcategorychange",
             QStringLiteral("Change the category to:"), &s.WrongCategoryIsError);
    enabledBy(OptionsControl::WrongCategoryError, wrong.at(0));
    enabledBy(OptionsControl::WrongCategoryChange, wrong.at(1));
    cmbalternativecategory = combo(page, "cmbalternativecategory", &s.AlternativeCategory);
    enabledBy(OptionsControl::AlternativeCategory, cmbalternativecategory);
    layout->addWidget(wrong.at(0));
    layout->addWidget(row(page, {wrong.at(1), cmbalternativecategory}));
    layout->addWidget(check(page, "chkupdatecomments",
                            QStringLiteral("When an entry already exists update the comments with the new one"),
                            &s.UpdateCommentsWhenEntryExists));
    layout->addWidget(check(page, "chkguesssalutation",
                            QStringLiteral("If First Name value is not given, extract it from Full Name"),
                            &s.GuessSalutation));
}

void Tdlgoptions::buildSending(QWidget *page) {
    Settings &s = m_settings;
    OptionsMirror &m = m_core.mirror;
    auto *layout = column(page);
    const QList<QRadioButton *> count = radios(
        page, {QStringLiteral("rdbseparate"), QStringLiteral("rdbmultiple_recipients")},
        {QStringLiteral("Send separate e-mail to each address"),
         QStringLiteral("Add multiple addresses (hidden) to each e-mail")},
        [&m] { return m.rdbSeparateEmail ? 0 : 1; }, [&m](int id) { m.rdbSeparateEmail = id == 0; });
    layout->addWidget(count.at(0));
    layout->addWidget(count.at(1));
    auto *countLabel = label(page, QStringLiteral("Maximum number of recipients per message:"));
    enabledBy(OptionsControl::RecipientsLabel, countLabel);
    auto *countSpin = spin(page, "spnsendcount", 1, 99999, 25, &m.spnRecipients);
    enabledBy(OptionsControl::RecipientsSpin, countSpin);
    layout->addWidget(row(page, {countLabel, countSpin}));
    auto *note = label(page, QStringLiteral("The addresses go on the hidden (Bcc) line; many mail servers refuse "
                                            "messages with more recipients than they allow."));
    enabledBy(OptionsControl::RecipientsNote, note);
    layout->addWidget(note);
    layout->addWidget(label(page, QStringLiteral("Always add the following address to the To: line of sent mail:")));
    QLineEdit *to = line(page, "edtdefaulttoaddress", &s.DefaultToAddress);
    connect(to, &QLineEdit::editingFinished, this, [this, to] {
        m_core.defaulttoaddressExit();
        to->setText(m_settings.DefaultToAddress);
    });
    layout->addWidget(to);
    layout->addWidget(label(page, QStringLiteral("List address (for List-Id and List-Unsubscribe):")));
    QLineEdit *list = line(page, "edtlistaddress", &s.ListAddress);
    list->setToolTip(QStringLiteral("The list's own address, whose mail folder is scanned for requests; mailings "
                                    "then tell mail programs how to unsubscribe"));
    connect(list, &QLineEdit::editingFinished, this, [this, list] {
        m_core.listaddressExit();
        list->setText(m_settings.ListAddress);
    });
    layout->addWidget(list);
    layout->addWidget(check(page, "chkreadreceipts", QStringLiteral("Request Read Receipts"), &s.Acknowledge));
    layout->addWidget(check(page, "chksendlog", QStringLiteral("Save a log file when sending e-mail"), &s.SendLog));
    auto *stagger = check(page, "chkstagger", QStringLiteral("Send messages at"), &s.StaggerDelay.checked,
                          QStringLiteral("Waits this many seconds between two messages of a mailing"));
    auto *seconds = spin(page, "spnstagger", 1, 10000000, 1, &s.StaggerDelay.spin);
    enabledBy(OptionsControl::StaggerSeconds, seconds);
    layout->addWidget(row(page, {stagger, seconds, label(page, QStringLiteral("second intervals"))}));
}

void Tdlgoptions::buildAcknowledge(QWidget *page) {
    Settings &s = m_settings;
    auto *layout = column(page);
    layout->addWidget(check(page, "chksendacknowledgement",
                            QStringLiteral("Send e-mails to users advising them of Mailing List changes"),
                            &s.SendAcknowledgement));
    auto *group = new QGroupBox(QStringLiteral("Acknowledgement E-mail Text"), page);
    enabledBy(OptionsControl::AcknowledgementGroup, group);
    auto *grid = new QGridLayout(group);
    grid->addWidget(label(group, QStringLiteral("Subject:")), 0, 0);
    grid->addWidget(line(group, "edtacknowledgementsubject", &s.AcknowledgementSubject), 0, 1);
    grid->addWidget(label(group, QStringLiteral("Header:")), 1, 0, Qt::AlignTop);
    grid->addWidget(text(group, "memackheader", &s.AckHeader), 1, 1);
    grid->addWidget(label(group, QStringLiteral("Footer:")), 3, 0, Qt::AlignTop);
    grid->addWidget(text(group, "memackfooter", &s.AckFooter), 3, 1);
    layout->addWidget(group, 1);
}

void Tdlgoptions::buildUserSending(QWidget *page) {
    Settings &s = m_settings;
    auto *layout = column(page);
    layout->addWidget(check(page, "chkusersending", QStringLiteral("Allows users to send to mailing lists"),
                            &s.UserSending,
                            QStringLiteral("Forwards the messages that members send to the user message folder on to "
                                           "the list")));
    auto *folderLabel = label(page, QStringLiteral("User Message Folder:"));
    cmbusersendingfolder = combo(page, "cmbusersendingfolder", &s.UserSendingFolder);
    enabledBy(OptionsControl::UserMessageFolder, folderLabel);
    enabledBy(OptionsControl::UserMessageFolder, cmbusersendingfolder);
    layout->addWidget(folderLabel);
    layout->addWidget(cmbusersendingfolder);
    auto *which = new QGroupBox(QStringLiteral("Which Messages?"), page);
    enabledBy(OptionsControl::WhichMessagesGroup, which);
    auto *whichLayout = new QVBoxLayout(which);
    for (QRadioButton *b :
         pair(which, "rdbforwardall", QStringLiteral("All messages in the above folder"), "rdbforwardsubject",
              QStringLiteral("Messages with the text [LIST_NAME] in the subject"), &s.ForwardAll)) {
        whichLayout->addWidget(b);
    }
    layout->addWidget(which);
    auto *target = new QGroupBox(QStringLiteral("Forward to List Category"), page);
    enabledBy(OptionsControl::ForwardTargetGroup, target);
    auto *targetLayout = new QVBoxLayout(target);
    using T = Settings::ForwardTarget;
    const QList<T> order{T::Subject, T::Email, T::Sender, T::All};
    for (QRadioButton *b : radios(
             target,
             {QStringLiteral("rdbforwardsubjectcategory"), QStringLiteral("rdbforwardemail"),
              QStringLiteral("rdbforwardsender"), QStringLiteral("rdbforwardtoall")},
             {QStringLiteral("From the Subject, e.g. '[LIST_NAME] My Feedback'"),
              QStringLiteral("From the e-mail stem, e.g. 'news@lists.example.org' goes to the category news"),
              QStringLiteral("Use the List Category that the sender belongs to"),
              QStringLiteral("Ignore List Category, send to all users in the database")},
             [&s, order] { return static_cast<int>(order.indexOf(s.ForwardToWhom)); },
             [&s, order](int id) { s.ForwardToWhom = order.value(id, T::Subject); })) {
        targetLayout->addWidget(b);
    }
    layout->addWidget(target);
    auto *rights = new QGroupBox(QStringLiteral("Sending Rights"), page);
    enabledBy(OptionsControl::UserRightsGroup, rights);
    auto *rightsLayout = new QVBoxLayout(rights);
    rightsLayout->addWidget(check(
        rights, "chkcheckuser", QStringLiteral("Check user exists in database and has sending rights"), &s.CheckUser));
    rightsLayout->addWidget(check(rights, "chkmustbelong",
                                  QStringLiteral("User must belong to the category they are sending to"),
                                  &s.MustBelongToGroup));
    rightsLayout->addWidget(check(rights, "chkdefaultnousersend",
                                  QStringLiteral("Do not allow users to send to the list until accepted"),
                                  &s.DefaultNoUserSend));
    layout->addWidget(rights);
}

void Tdlgoptions::buildDeliveryFailure(QWidget *page) {
    Settings &s = m_settings;
    auto *layout = column(page);
    layout->addWidget(
        check(page, "chkfailedmail", QStringLiteral("Automatically process Delivery Failure messages"), &s.FailedMail));
    auto *text = label(page, QStringLiteral("A message whose subject contains one of these texts is a delivery failure "
                                            "report:"));
    enabledBy(OptionsControl::FailureSubjectsText, text);
    layout->addWidget(text);
    QWidget *list = ruleList(page, "lbxfailed", "btnfailed", RuleListKind::FailureSubjects);
    enabledBy(OptionsControl::FailureSubjectsList, list->findChild<QListWidget *>());
    enabledBy(OptionsControl::FailureSubjectsEdit, list->findChild<QPushButton *>());
    layout->addWidget(list);
    layout->addWidget(check(page, "chkprecisebounces",
                            QStringLiteral("Count only the recipients a delivery status report names as failed"),
                            &s.PreciseBounces,
                            QStringLiteral("When off, every address found in a delivery failure report counts as a "
                                           "bounce")));
    auto *remove = check(page, "chkbouncemax", QStringLiteral("Remove addresses that have bounced more than"),
                         &s.BounceMax.checked);
    auto *times = spin(page, "spnbouncemax", 0, 999, 1, &s.BounceMax.spin);
    enabledBy(OptionsControl::BounceSpin, times);
    layout->addWidget(row(page, {remove, times, label(page, QStringLiteral("times"))}));
}

void Tdlgoptions::buildExceptions(QWidget *page) {
    Settings &s = m_settings;
    auto *layout = column(page);
    layout->addWidget(
        check(page, "chkexcept", QStringLiteral("Do not allow the insertion of invalid addresses"), &s.Except));
    auto *text = label(page, QStringLiteral("Addresses that contain one of these texts are invalid:"));
    enabledBy(OptionsControl::ExceptionsText, text);
    layout->addWidget(text);
    QWidget *exceptions = ruleList(page, "lbxexcept", "btnexcept", RuleListKind::AddressExceptions);
    enabledBy(OptionsControl::ExceptionsList, exceptions->findChild<QListWidget *>());
    enabledBy(OptionsControl::ExceptionsEdit, exceptions->findChild<QPushButton *>());
    layout->addWidget(exceptions);
    layout->addWidget(label(page, QStringLiteral("Blocked addresses (never added to the list):")));
    layout->addWidget(ruleList(page, "lbxneverjoin", "btnneverjoin", RuleListKind::BlockedAddresses, true));
    layout->addWidget(check(page, "chkaddunsubscribers",
                            QStringLiteral("If a user unsubscribes, add them to this list"), &s.AddUnsubscribers));
}

void Tdlgoptions::buildSynonyms(QWidget *page) {
    auto *layout = new QGridLayout(page);
    const struct {
        const char *caption;
        const char *list;
        const char *button;
        RuleListKind kind;
    } lists[] = {
        {"Subscribe:", "lbxaddstr", "btnaddstr", RuleListKind::AddSynonyms},
        {"Unsubscribe:", "lbxremstr", "btnremstr", RuleListKind::RemoveSynonyms},
        {"Change address:", "lbxmodifystr", "btnmodifystr", RuleListKind::ModifySynonyms},
    };
    layout->addWidget(label(page, QStringLiteral("The command words of requests, in the subject or the body:")), 0, 0,
                      1, 3);
    int c = 0;
    for (const auto &list : lists) {
        layout->addWidget(label(page, QString::fromLatin1(list.caption)), 1, c);
        layout->addWidget(ruleList(page, list.list, list.button, list.kind), 2, c);
        ++c;
    }
}

void Tdlgoptions::buildSignature(QWidget *page) {
    Settings &s = m_settings;
    auto *layout = column(page);
    memsignature = text(page, "memsignature", &s.Signature);
    layout->addWidget(memsignature, 1);
    auto *paste = new QPushButton(QStringLiteral("Paste"), page);
    paste->setObjectName(QStringLiteral("btnPaste"));
    auto *load = new QPushButton(QStringLiteral("Load.."), page);
    load->setObjectName(QStringLiteral("btnLoad"));
    layout->addWidget(row(page, {paste, load}));
    for (QRadioButton *b :
         pair(page, "rdbsignatureprior", QStringLiteral("Display Signature in message editor"), "rdbsignatureafter",
              QStringLiteral("Add signature after commencing sending of messages"), &s.AddSignaturePrior)) {
        layout->addWidget(b);
    }
    auto *forward =
        check(page, "chksigonforward", QStringLiteral("Also add signature to messages sent by users"), &s.SigOnForward);
    enabledBy(OptionsControl::SignatureOnForward, forward);
    layout->addWidget(forward);
    connect(paste, &QPushButton::clicked, this, [this] {
        const QMimeData *clip = QApplication::clipboard()->mimeData();
        if (clip == nullptr || !clip->hasText()) {
            m_prompt.message(UserPrompt::Kind::Error, QStringLiteral("Clipboard does not contain text!"),
                             UserPrompt::Ok);
            return;
        }
        memsignature->insertPlainText(clip->text());
    });
    connect(load, &QPushButton::clicked, this, [this] {
        const QString name =
            QFileDialog::getOpenFileName(this, QString(), QString(), QStringLiteral("Text Files (*.txt)"));
        if (!name.isEmpty()) {
            loadSignature(name);
        }
    });
}

} // namespace corvane::ui
