// Reading speed of the IMAP store: a folder of 10,000 generated messages on a Dovecot of the benchmark's own
// (127.0.0.1, throw-away configuration, as the tests start it), read through the public mail-store API as the
// request scan reads it (subject, sender's name and address, plain body; from the last item down). The same
// folder is read as a Maildir (Dovecot keeps it in Maildir++ form) and fetched by Python's imaplib in one
// UID FETCH over the whole range, the reference for what the protocol itself costs. The three alternate over
// the rounds; printed are messages per second (min / median / max) and the ratios IMAP / imaplib and
// IMAP / Maildir per round.
//
// Usage: bench_imap_read [rounds] [messages]
#include "../tests/mailstore/DovecotInstance.h"
#include "BenchMaildir.h"
#include "BenchRounds.h"
#include "mailstore/ImapStore.h"
#include "mailstore/MailFolders.h"
#include "mailstore/MailNamespace.h"
#include "mailstore/MaildirStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <random>
#include <sys/stat.h>

using namespace corvane;

namespace {

// Message `i`: plain, quoted-printable alternative, base64 or ISO-8859-1, 1 to 12 KB, from a fixed seed.
QByteArray message(std::mt19937 &random, int i) {
    const auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    QByteArray text;
    const int size = 800 + below(11000);
    while (text.size() < size)
        text += "Please add me to the weekly list, the concert tickets are ready for the members.\n";
    QByteArray head = "From: " + QByteArray(below(2) ? "=?UTF-8?B?SsO8cmdlbiBNw7xsbGVy?=" : "Anna Smith") + " <member" +
                      QByteArray::number(below(5000)) + "@example.org>\nTo: list@example.org\n" +
                      "Subject: " + (below(2) ? QByteArray("subscribe") : QByteArray("=?utf-8?Q?Fr=C3=BChling?=")) +
                      " " + QByteArray::number(i) + "\nDate: Tue, 12 Mar 2024 10:15:00 +0000\nMessage-ID: <" +
                      QByteArray::number(i) + "@bench>\nMIME-Version: 1.0\n";
    switch (below(4)) {
    case 0:
        return head + "Content-Type: text/plain; charset=utf-8\n\n" + text;
    case 1:
        return head +
               "Content-Type: multipart/alternative; boundary=\"b\"\n\n--b\nContent-Type: text/plain; "
               "charset=utf-8\nContent-Transfer-Encoding: quoted-printable\n\n" +
               text + "=C3=BC\n--b\nContent-Type: text/html\n\n<p>" + text + "</p>\n--b--\n";
    case 2: {
        QByteArray lines;
        const QByteArray encoded = text.toBase64();
        for (qsizetype at = 0; at < encoded.size(); at += 76)
            lines += encoded.mid(at, 76) + '\n';
        return head + "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: base64\n\n" + lines;
    }
    default:
        return head + "Content-Type: text/plain; charset=iso-8859-1\nContent-Transfer-Encoding: 8bit\n\n" + text +
               "Gr\xfc\xdf"
               "e\n";
    }
}

// Reads every item of `folder` from the last down as the scan does; returns the messages read.
int readAll(const MailFolder &folder) {
    const bench::ReadResult read = bench::readItems(folder.Items(), true);
    if (read.characters == 0 || read.failures > 0)
        std::fprintf(stderr, "nothing was read, or %d messages failed\n", read.failures);
    return read.messages;
}

void report(const char *what, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%-22s min %10.1f  median %10.1f  max %10.1f\n", what, v.front(), bench::spread(v).median, v.back());
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int count = argc > 2 ? std::max(1, atoi(argv[2])) : 10'000;
    if (!test::DovecotInstance::available()) {
        std::fprintf(stderr, "dovecot is not installed\n");
        return 1;
    }
    test::DovecotInstance server;
    // The folder is written straight into the server's Maildir, owned as the server's own files are.
    struct stat owner {};
    ::stat(QFile::encodeName(server.mailRoot()).constData(), &owner);
    const QString folder = server.mailRoot() + QStringLiteral("/.Bench");
    for (const char *sub : {"", "/new", "/cur", "/tmp"}) {
        QDir().mkpath(folder + QLatin1String(sub));
        if (::chown(QFile::encodeName(folder + QLatin1String(sub)).constData(), owner.st_uid, owner.st_gid) != 0)
            return 1;
    }
    std::mt19937 random(20240312);
    for (int i = 0; i < count; ++i) {
        const QString path =
            folder + QStringLiteral("/new/%1.M%2P1.bench").arg(1700000000 + i).arg(i, 6, 10, QChar('0'));
        QFile file(path);
        QByteArray raw = message(random, i);
        raw.replace("\n", "\r\n");
        if (!file.open(QIODevice::WriteOnly) || file.write(raw) != raw.size())
            return 1;
        file.close();
        if (::chown(QFile::encodeName(path).constData(), owner.st_uid, owner.st_gid) != 0)
            return 1;
    }
    if (!server.start())
        return 1;
    const ImapAccount account = server.account();
    // The first listing makes Dovecot index the folder; it is not part of any round.
    std::printf("%d messages; Dovecot indexed the folder: %d listed\n", count,
                int(ImapStore(account).list(QStringLiteral("Bench"), false).size()));

    const QString script = QStringLiteral("import imaplib, sys, time\n"
                                          "m = imaplib.IMAP4('127.0.0.1', %1)\n"
                                          "m.login('tester', 'secret')\n"
                                          "m.select('Bench', readonly=True)\n"
                                          "t = time.perf_counter()\n"
                                          "typ, data = m.uid('FETCH', '1:*', '(BODY.PEEK[])')\n"
                                          "n = sum(1 for d in data if isinstance(d, tuple))\n"
                                          "print(n / (time.perf_counter() - t))\n"
                                          "m.logout()\n")
                               .arg(server.port());

    std::vector<double> imap, maildir, imaplib, toImaplib, toMaildir;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        auto store = std::make_shared<ImapStore>(account);
        const int readImap = readAll(MailNamespace({store}).Folders(1).Folders(QStringLiteral("Bench")));
        imap.push_back(readImap / (timer.nsecsElapsed() / 1e9));

        timer.restart();
        auto local = std::make_shared<MaildirStore>(server.mailRoot());
        const int readMaildir = readAll(MailNamespace({local}).Folders(1).Folders(QStringLiteral("Bench")));
        maildir.push_back(readMaildir / (timer.nsecsElapsed() / 1e9));

        QProcess python;
        python.start(QStringLiteral("python3"), {QStringLiteral("-c"), script});
        python.waitForFinished(600000);
        imaplib.push_back(python.readAllStandardOutput().trimmed().toDouble());
        if (readImap != count || readMaildir != count || imaplib.back() <= 0)
            std::fprintf(stderr, "round %d: IMAP read %d, Maildir %d, imaplib %s\n", round, readImap, readMaildir,
                         python.readAllStandardError().constData());
        toImaplib.push_back(imap.back() / imaplib.back());
        toMaildir.push_back(imap.back() / maildir.back());
        std::printf("round %d: IMAP %.1f/s, Maildir %.1f/s, imaplib %.1f/s\n", round + 1, imap.back(), maildir.back(),
                    imaplib.back());
    }
    std::printf("messages per second over %d rounds:\n", rounds);
    report("Corvane IMAP", imap);
    report("Corvane Maildir", maildir);
    report("imaplib fetch only", imaplib);
    report("IMAP / imaplib", toImaplib);
    report("IMAP / Maildir", toMaildir);
    std::printf("target: IMAP at least 0.70 of imaplib (median %.2f)\n", bench::spread(toImaplib).median);
    return 0;
}
