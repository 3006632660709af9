// Single-instance hand-over over QLocalServer / QLocalSocket.
#include "app/SingleInstance.h"

#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>

namespace corvane {

namespace {
constexpr int kMaxArguments = 10;
constexpr int kMaxArgumentLength = 300;
constexpr int kHandOverTimeoutMs = 2000;
} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent) : QObject(parent), m_name(name) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverNameForUser() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) {
        user = qEnvironmentVariable("USERNAME");
    }
    return QStringLiteral("Corvane-") + user;
}

QStringList SingleInstance::limitArguments(const QStringList &arguments) {
    QStringList result;
    for (const QString &argument : arguments) {
        if (result.size() == kMaxArguments) {
            break;
        }
        result.append(argument.left(kMaxArgumentLength));
    }
    return result;
}

bool SingleInstance::claim(const QStringList &arguments) {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (socket.waitForConnected(kHandOverTimeoutMs)) {
        QByteArray payload;
        QDataStream out(&payload, QIODevice::WriteOnly);
        out << limitArguments(arguments);
        socket.write(payload);
        socket.waitForBytesWritten(kHandOverTimeoutMs);
        socket.disconnectFromServer();
        if (socket.state() != QLocalSocket::UnconnectedState) {
            socket.waitForDisconnected(kHandOverTimeoutMs);
        }
        return false;
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // Nobody answered, so the socket file is a leftover of a copy that did not end cleanly.
        QLocalServer::removeServer(m_name);
        m_server->listen(m_name);
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::readConnection);
    return true;
}

void SingleInstance::readConnection() {
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readChannelFinished, this, [this, socket] {
            QDataStream in(socket->readAll());
            QStringList arguments;
            in >> arguments;
            emit activated(limitArguments(arguments));
        });
    }
}

} // namespace corvane
