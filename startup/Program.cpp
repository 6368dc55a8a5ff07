#include "startup/Program.h"

#include "appearance/Fonts.h"
#include "appearance/Logo.h"
#include "settings/SystemBeep.h"
#include "startup/frmHelp.h"
#include "startup/frmSplash.h"

#include <QApplication>

int Program::Run() {
    QApplication::setApplicationName(QStringLiteral("Darezez"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.quenlith.Darezez"));
    QApplication::setWindowIcon(Logo::Icon());
    Fonts::InstallApplicationFont();
    SystemBeep::setHandler([] { QApplication::beep(); });

    auto splash = new frmSplash();
    splash->show();
    const int result = QApplication::exec();
    frmHelp::DestroyInstance();
    return result;
}
