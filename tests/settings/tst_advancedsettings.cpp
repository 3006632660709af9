// The advanced and SMTP settings without widgets: the never-chosen notice, the method rules, OK's checks in
// order with the SMTP settings opened where needed, the choice of mail program, the root folder, and the
// SMTP dialog's number field.
#include "ScriptedPrompt.h"
#include "settings/Settings.h"
#include "settings/TdlgAdvancedSettings.h"
#include "settings/TdlgSMTPSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using Advanced = TdlgAdvancedSettings;

class TestAdvancedSettings : public QObject {
    Q_OBJECT

private slots:
    void showing_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("noticeAnswer");
        QTest::addColumn<int>("shown");
        QTest::newRow("no method yet, OK preselects the first") << -1 << int(UserPrompt::Ok) << 0;
        QTest::newRow("no method yet, Cancel leaves none chosen") << -1 << int(UserPrompt::Cancel) << -1;
        QTest::newRow("stored method, no notice") << 2 << int(UserPrompt::NoButton) << 2;
        QTest::newRow("method out of range shows none") << 9 << int(UserPrompt::NoButton) << -1;
    }
    void showing() {
        QFETCH(int, stored);
        QFETCH(int, noticeAnswer);
        QFETCH(int, shown);
        ScriptedPrompt prompt;
        Settings settings;
        settings.EmailMethod = stored;
        if (noticeAnswer != UserPrompt::NoButton) {
            prompt.answer(static_cast<UserPrompt::Button>(noticeAnswer));
        }
        Advanced dialog(settings, prompt, true);
        dialog.FormShow();
        QVERIFY(prompt.allAnswersUsed());
        QCOMPARE(prompt.texts().contains(Advanced::notChosenText()), stored < 0);
        QCOMPARE(dialog.controls.sendingMethod, shown);
        // Nothing is stored before OK.
        QCOMPARE(settings.EmailMethod, stored);
        QVERIFY(dialog.OK());
        QCOMPARE(settings.EmailMethod, shown);
    }

    void methodRules_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<bool>("settingsButton");
        for (int method = -1; method <= 4; ++method) {
            QTest::addRow("method %d", method) << method << (method == 3 || method == 4);
        }
    }
    void methodRules() {
        QFETCH(int, method);
        QFETCH(bool, settingsButton);
        ScriptedPrompt prompt;
        Settings settings;
        Advanced dialog(settings, prompt, true);
        dialog.controls.sendingMethod = method;
        QCOMPARE(dialog.settingsButtonEnabled(), settingsButton);
        QCOMPARE(dialog.alwaysResolveEnabled(), !settingsButton);
    }

    void okChecks_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("retrieval");
        QTest::addColumn<bool>("redemption");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("dnsHost");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("smtpOpenedFor");
        QTest::newRow("SMTP without a host") << 3 << 5 << true << ""
                                             << ""
                                             << "me@example.org" << Advanced::smtpMissingText() << 3;
        QTest::newRow("SMTP without a sender") << 3 << 5 << true << "smtp.example.org"
                                               << ""
                                               << "" << Advanced::smtpMissingText() << 3;
        QTest::newRow("relay without a name server") << 4 << 5 << true << "smtp.example.org"
                                                     << ""
                                                     << "me@example.org" << Advanced::relayMissingText() << 4;
        QTest::newRow("extended MAPI retrieval without extended MAPI, checked first")
            << 3 << 5 << false << ""
            << ""
            << "" << Advanced::extendedMapiText() << -1;
        QTest::newRow("SMTP complete") << 3 << 2 << false << "smtp.example.org"
                                       << ""
                                       << "me@example.org"
                                       << "" << -1;
        QTest::newRow("relay complete") << 4 << 5 << true << ""
                                        << "ns.example.org"
                                        << "me@example.org"
                                        << "" << -1;
        QTest::newRow("MAPI needs no SMTP settings") << 0 << 5 << true << ""
                                                     << ""
                                                     << ""
                                                     << "" << -1;
    }
    void okChecks() {
        QFETCH(int, method);
        QFETCH(int, retrieval);
        QFETCH(bool, redemption);
        QFETCH(QString, host);
        QFETCH(QString, dnsHost);
        QFETCH(QString, sender);
        QFETCH(QString, message);
        QFETCH(int, smtpOpenedFor);
        ScriptedPrompt prompt;
        Settings settings;
        settings.EmailMethod = 1;
        settings.SMTPHost = host;
        settings.DNSHost = dnsHost;
        settings.SMTPEmail = sender;
        Advanced dialog(settings, prompt, true);
        dialog.FormShow();
        int opened = -1;
        dialog.showSmtpSettings = [&](int m) { opened = m; };
        int told = 0;
        dialog.tellUsesOutlook = [&](bool) { ++told; };
        dialog.controls.sendingMethod = method;
        dialog.controls.retrievalMethod = retrieval;
        dialog.controls.useRedemption = redemption;
        const bool closes = message.isEmpty();
        QCOMPARE(dialog.OK(), closes);
        QCOMPARE(prompt.texts(), closes ? QStringList{} : QStringList{message});
        QCOMPARE(opened, smtpOpenedFor);
        QCOMPARE(told, closes ? 1 : 0);
        // A refused OK stores nothing.
        QCOMPARE(settings.EmailMethod, closes ? method : 1);
        QCOMPARE(settings.UseRedemption, closes ? redemption : true);
    }

    void outlookAndRoot_data() {
        QTest::addColumn<bool>("useOutlook");
        QTest::addColumn<int>("root");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::newRow("default root") << true << int(Advanced::Root::Default) << ""
                                      << "<Root>";
        QTest::newRow("named root") << true << int(Advanced::Root::Named) << " Archive "
                                    << "Archive";
        QTest::newRow("named root left empty") << true << int(Advanced::Root::Named) << ""
                                               << "<Root>";
        QTest::newRow("personal folders") << false << int(Advanced::Root::PersonalFolders) << ""
                                          << "";
    }
    void outlookAndRoot() {
        QFETCH(bool, useOutlook);
        QFETCH(int, root);
        QFETCH(QString, name);
        QFETCH(QString, stored);
        ScriptedPrompt prompt;
        Settings settings;
        settings.EmailMethod = 0;
        Advanced dialog(settings, prompt, true);
        dialog.FormShow();
        QVERIFY(dialog.outlookPageVisible());
        bool told = true;
        dialog.tellUsesOutlook = [&](bool uses) { told = uses; };
        dialog.controls.useOutlook = useOutlook;
        QCOMPARE(dialog.outlookPageVisible(), useOutlook);
        dialog.controls.root = static_cast<Advanced::Root>(root);
        dialog.controls.rootName = name;
        QCOMPARE(dialog.rootNameEnabled(), root == int(Advanced::Root::Named));
        QVERIFY(dialog.OK());
        QCOMPARE(told, useOutlook);
        QCOMPARE(settings.RootFolder, stored);
        // Shown again, the stored root selects the same choice.
        Advanced again(settings, prompt, useOutlook);
        again.FormShow();
        QCOMPARE(int(again.controls.root), stored == QLatin1String("<Root>") ? int(Advanced::Root::Default) : root);
        QCOMPARE(again.controls.useOutlook, useOutlook);
    }

    void smtpNumberField_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shownAgain");
        QTest::newRow("relay time-out in seconds") << 4 << "10" << true << 10000 << "10";
        QTest::newRow("SMTP port") << 3 << "587" << true << 587 << "587";
        QTest::newRow("negative port") << 3 << "-1" << false << 25 << "25";
        QTest::newRow("port not a number") << 3 << "abc" << false << 25 << "25";
        QTest::newRow("time-out not a number") << 4 << "ten" << false << 6000 << "6";
    }
    void smtpNumberField() {
        QFETCH(int, method);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(int, stored);
        QFETCH(QString, shownAgain);
        ScriptedPrompt prompt;
        Settings settings;
        TdlgSMTPSettings dialog(settings, prompt, method);
        QCOMPARE(dialog.controls.userIdVisible, method != 4);
        QCOMPARE(dialog.controls.processBounceVisible, method == 4);
        dialog.controls.port = typed;
        dialog.controls.senderAddress = QStringLiteral("me@example.org");
        QCOMPARE(dialog.OK(), accepted);
        QCOMPARE(prompt.texts(), accepted ? QStringList{} : QStringList{TdlgSMTPSettings::invalidPortText()});
        QCOMPARE(method == 4 ? settings.DNSTimeOut : settings.SMTPPort, stored);
        QCOMPARE(settings.SMTPEmail, accepted ? QStringLiteral("me@example.org") : QString());
        QCOMPARE(TdlgSMTPSettings(settings, prompt, method).controls.port, shownAgain);
    }

    void submissionTest_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<bool>("handedOver");
        QTest::newRow("valid address") << " member@example.org " << 0 << true;
        QTest::newRow("invalid address runs nothing") << "member@@example" << 0 << false;
        QTest::newRow("failing program") << "member@example.org" << 3 << false;
    }
    void submissionTest() {
        QFETCH(QString, address);
        QFETCH(int, exitStatus);
        QFETCH(bool, handedOver);
        QTemporaryDir dir;
        const QString script = dir.filePath(QStringLiteral("submit.sh"));
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("#!/bin/sh\ncat > \"%1/message\"\necho \"$@\" > \"%1/arguments\"\nexit %2\n")
                       .arg(dir.path())
                       .arg(exitStatus)
                       .toUtf8());
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        ScriptedPrompt prompt;
        Settings settings;
        settings.SMTPEmail = QStringLiteral("list@example.org");
        Advanced dialog(settings, prompt, true);
        dialog.controls.submitCommand = script + QStringLiteral(" -oi");
        QCOMPARE(dialog.testSubmission(address), handedOver);
        QCOMPARE(prompt.shown.size(), 1);
        QCOMPARE(prompt.shown.first().kind,
                 handedOver ? UserPrompt::Kind::Information
                            : (exitStatus == 0 ? UserPrompt::Kind::Warning : UserPrompt::Kind::Error));
        QFile arguments(dir.filePath(QStringLiteral("arguments")));
        QCOMPARE(arguments.exists(), address.contains(QStringLiteral("@example.org")));
        if (handedOver) {
            QVERIFY(arguments.open(QIODevice::ReadOnly));
            QCOMPARE(arguments.readAll().trimmed(), QByteArray("-oi -- member@example.org"));
            QFile message(dir.filePath(QStringLiteral("message")));
            QVERIFY(message.open(QIODevice::ReadOnly));
            const QByteArray text = message.readAll();
            QVERIFY(text.startsWith("From: list@example.org\r\nTo: member@example.org\r\n"));
            QCOMPARE(text.count("\r\n\r\n"), 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestAdvancedSettings)
#include "tst_advancedsettings.moc"
