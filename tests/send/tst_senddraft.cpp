// The message editing of the send dialog that is not widget work: loading a message file (the question, the
// HTML switch by extension), pasting (the "<HTML>" switch) and the preview files, the external editor round
// trip, and the typed recipients' file.
#include "SendJobFixture.h"

#include "send/MessageFiles.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

using namespace corvane;

class TestSendDraft : public QObject {
    Q_OBJECT
    std::unique_ptr<SendJobFixture> f;
    std::unique_ptr<QTemporaryDir> dir;
    QString file(const QString &name, const QByteArray &content) {
        const QString path = dir->filePath(name);
        QFile out(path);
        return out.open(QIODevice::WriteOnly) && out.write(content) == content.size() ? path : QString();
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        f = std::make_unique<SendJobFixture>();
        f->setUp();
    }
    void cleanup() {
        f->tearDown();
        f.reset();
    }
    void loadMessage_data();
    void loadMessage();
    void paste_data();
    void paste();
    void editor_data();
    void editor();
    void recipientsFile();
};

// Rows: the body before, the answer to the question (NoButton: none asked), the file, and the body and
// HTML flag after.
void TestSendDraft::loadMessage_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("html");
    QTest::newRow("empty body, text file: no question, flag kept") << "" << int(UserPrompt::NoButton) << "a.txt"
                                                                   << "line 1\nline 2" << false;
    QTest::newRow("upper-case HTM switches HTML on") << "old" << int(UserPrompt::Yes) << "A.HTM"
                                                     << "line 1\nline 2" << true;
    QTest::newRow("declined: body kept") << "old" << int(UserPrompt::No) << "a.html"
                                         << "old" << false;
    QTest::newRow("missing file: Load Error, body kept") << "" << int(UserPrompt::NoButton) << ""
                                                         << "" << false;
}

void TestSendDraft::loadMessage() {
    QFETCH(QString, before);
    QFETCH(int, answer);
    QFETCH(QString, name);
    QFETCH(QString, after);
    QFETCH(bool, html);
    f->dlg->draft().body = before;
    if (answer != UserPrompt::NoButton) {
        f->prompt().answer(UserPrompt::Button(answer));
    }
    const bool go = f->dlg->confirmLoad();
    QCOMPARE(go, answer != UserPrompt::No);
    if (go) {
        const QString path =
            name.isEmpty() ? dir->filePath(QStringLiteral("gone.txt")) : file(name, "line 1\r\nline 2\r\n");
        QCOMPARE(f->dlg->loadMessage(path), html);
        QCOMPARE(f->prompt().texts().contains(MessageFiles::kLoadError), name.isEmpty());
    }
    QCOMPARE(f->dlg->draft().body, after);
    QCOMPARE(f->dlg->draft().html, html);
}

void TestSendDraft::paste_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("html");
    QTest::newRow("HTML text") << "<HTML><body>x</body></HTML>" << true;
    QTest::newRow("lower-case html tag is text") << "<html>x</html>" << false;
}

void TestSendDraft::paste() {
    QFETCH(QString, text);
    QFETCH(bool, html);
    f->dlg->draft().body = QStringLiteral("old");
    f->prompt().answer(UserPrompt::Yes);
    QVERIFY(f->dlg->confirmPaste());
    QCOMPARE(f->dlg->pasteMessage(text), html);
    QCOMPARE(f->dlg->draft().body, text);
    // A new "~message<0..19,999,999>.html" of the temporary directory on each refresh, the old one deleted.
    const QString first = f->dlg->refreshPreview();
    const QString second = f->dlg->refreshPreview();
    const QRegularExpression form(QStringLiteral("^~message(\\d+)\\.html$"));
    for (const QString &path : {first, second}) {
        const QRegularExpressionMatch m = form.match(QFileInfo(path).fileName());
        QVERIFY2(m.hasMatch() && m.captured(1).toLongLong() < 20000000, qPrintable(path));
        QCOMPARE(QFileInfo(path).absolutePath() + QLatin1Char('/'), MessageFiles::temporaryDirectory());
    }
    QVERIFY(first != second);
    QVERIFY(!QFile::exists(first));
    QVERIFY(QFile::exists(second));
    QFile shown(second);
    QVERIFY(shown.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(shown.readAll()), text);
    f->dlg->FormClose();
    QVERIFY(!QFile::exists(second));
}

// Rows: whether the editor starts, the answer after it, and the body afterwards (the editor writes "edited").
void TestSendDraft::editor_data() {
    QTest::addColumn<bool>("starts");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("after");
    QTest::newRow("OK reloads the edited file") << true << int(UserPrompt::Ok) << "edited";
    QTest::newRow("Cancel keeps the body") << true << int(UserPrompt::Cancel) << "<p>draft</p>";
    QTest::newRow("no editor: the error, body kept") << false << int(UserPrompt::NoButton) << "<p>draft</p>";
}

void TestSendDraft::editor() {
    QFETCH(bool, starts);
    QFETCH(int, answer);
    QFETCH(QString, after);
    f->dlg->draft().body = QStringLiteral("<p>draft</p>");
    if (answer != UserPrompt::NoButton) {
        f->prompt().answer(UserPrompt::Button(answer));
    }
    QString opened;
    const bool reloaded = f->dlg->editInEditor([&](const QString &path) {
        opened = path;
        QFile in(path);
        const bool wasWritten = in.open(QIODevice::ReadOnly) && in.readAll() == "<p>draft</p>";
        in.close();
        QFile out(path);
        return starts && wasWritten && out.open(QIODevice::WriteOnly) && out.write("edited") == 6;
    });
    QCOMPARE(reloaded, answer == UserPrompt::Ok);
    QCOMPARE(f->dlg->draft().body, after);
    QVERIFY(opened.startsWith(MessageFiles::temporaryDirectory() + QStringLiteral("HTMLMessage")));
    QCOMPARE(f->prompt().texts().contains(MessageFiles::kEditorError), !starts);
    QFile::remove(opened);
}

void TestSendDraft::recipientsFile() {
    QVERIFY(f->dlg->loadRecipients(file(QStringLiteral("list.csv"), "a@x.com\r\nB <b@x.com>\r\n")));
    QCOMPARE(f->dlg->recipients().memCustom, QStringLiteral("a@x.com\nB <b@x.com>"));
    QVERIFY(!f->dlg->loadRecipients(dir->filePath(QStringLiteral("none.csv"))));
    QCOMPARE(f->dlg->recipients().memCustom, QStringLiteral("a@x.com\nB <b@x.com>"));
}

QTEST_GUILESS_MAIN(TestSendDraft)
#include "tst_senddraft.moc"
