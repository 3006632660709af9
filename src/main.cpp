// The desktop program: single-instance check, the main window and the data module created in that order,
// then the message loop. The main window's first showing loads the settings and arms the scan timer.
#include "app/SingleInstance.h"
#include "app/ui/ProgramIcon.h"
#include "app/ui/Tfrmmain.h"
#include "app/ui/WidgetPrompt.h"
#include "db/ui/TdlgOpenDB.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tavrix"));
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("Corvane"));
    QApplication::setDesktopFileName(QStringLiteral("corvane"));
    QApplication::setWindowIcon(corvane::ui::ProgramIcon::icon());

    const QStringList arguments = QApplication::arguments().mid(1);
    corvane::SingleInstance instance(corvane::SingleInstance::serverNameForUser());
    if (!instance.claim(arguments)) {
        return 0;
    }

    corvane::ui::WidgetPrompt prompt;
    prompt.setDirectoryChooser([&prompt](QWidget *parent, const QString &initial) {
        return corvane::ui::TdlgOpenDB::choose(prompt, parent, initial);
    });
    corvane::ui::Tfrmmain window(prompt);
    window.setWindowTitle(corvane::Tfrmmain::applicationTitle());
    window.core().FormCreate(arguments);
    window.core().createDataModule();
    prompt.setParentWindow(&window);
    QObject::connect(&instance, &corvane::SingleInstance::activated, &window, &corvane::ui::Tfrmmain::bringToFront);

    window.show();
    QTimer::singleShot(0, &window, &corvane::ui::Tfrmmain::firstShow);
    return QApplication::exec();
}
