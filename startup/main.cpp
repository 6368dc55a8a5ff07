#include "appearance/Fonts.h"
#include "clock/SystemBeep.h"
#include "startup/Logo.h"
#include "startup/TimingApplication.h"
#include "startup/frmHelp.h"
#include "startup/frmSplash.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    TimingApplication app(argc, argv);
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
