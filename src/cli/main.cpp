// The command-line front end's entry point.
#include "cli/CliApplication.h"

#include <QCoreApplication>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tavrix"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    corvane::CliApplication cli(stdout, stderr, stdin);
    return cli.run(QCoreApplication::arguments().mid(1));
}
