// One running copy per user: the first copy listens on a local socket; a later copy hands its command-line
// arguments (at most 10, each cut to 300 characters) to the first and then ends without opening anything.
#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

namespace corvane {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    // `name` identifies the copies that exclude each other; serverNameForUser() gives the program's.
    explicit SingleInstance(const QString &name, QObject *parent = nullptr);
    ~SingleInstance() override;

    // When another copy is listening: hands it `arguments` and returns false (this copy should end).
    // Otherwise starts listening (removing a stale socket left by a crashed copy) and returns true.
    bool claim(const QStringList &arguments);

    static QString serverNameForUser();
    // The arguments as handed over: at most 10, each at most 300 characters.
    static QStringList limitArguments(const QStringList &arguments);

signals:
    // A later copy was started with these arguments; the running copy should come to the front.
    void activated(const QStringList &arguments);

private:
    void readConnection();

    QString m_name;
    QLocalServer *m_server = nullptr;
};

} // namespace corvane
