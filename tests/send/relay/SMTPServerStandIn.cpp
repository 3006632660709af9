// A stand-in for the relay library, built only for the tests: its entry "SendMail" takes the arguments the
// send dialog passes, writes one line per call to the file named by CORVANE_RELAY_LOG, and answers by the
// recipient: "bad4@..." and "bad5@..." give the bad-domain results 4 and 5, "fail@..." gives 9 with an error
// text, every other recipient 0.
#include <QFile>
#include <QString>
#include <QStringList>

extern "C" Q_DECL_EXPORT int SendMail(const char *dnsHost, qint16 dnsTimeOut, const char *fromAddress,
                                      const char *fromName, const char *toAddress, const char *subject,
                                      const QStringList *body, bool html, const QStringList *attachments,
                                      QString *error) {
    QFile log(qEnvironmentVariable("CORVANE_RELAY_LOG"));
    if (log.open(QIODevice::Append)) {
        const QStringList fields{
            QString::fromUtf8(dnsHost),          QString::number(static_cast<quint16>(dnsTimeOut)),
            QString::fromUtf8(fromAddress),      QString::fromUtf8(fromName),
            QString::fromUtf8(toAddress),        QString::fromUtf8(subject),
            body->join(QLatin1Char('/')),        html ? QStringLiteral("html") : QStringLiteral("plain"),
            attachments->join(QLatin1Char(',')), error->isEmpty() ? QStringLiteral("clear") : QStringLiteral("dirty")};
        log.write(fields.join(QLatin1Char('|')).toUtf8() + '\n');
    }
    const QString to = QString::fromUtf8(toAddress);
    if (to.startsWith(QLatin1String("bad4@"))) {
        return 4;
    }
    if (to.startsWith(QLatin1String("bad5@"))) {
        return 5;
    }
    if (to.startsWith(QLatin1String("fail@"))) {
        *error = QStringLiteral("no route to the recipient's domain");
        return 9;
    }
    return 0;
}
