#include "appearance/Fonts.h"
#include "appearance/Logo.h"
#include "scoreboard/BuzzerHelper.h"
#include "settings/SystemBeep.h"
#include "startup/TimingApplication.h"
#include "startup/frmHelp.h"
#include "startup/frmSplash.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    if (argc == 3 && qstrcmp(argv[1], BuzzerHelper::kArgument) == 0) {
        QCoreApplication helper(argc, argv);
        return BuzzerHelper::Run(QString::fromLocal8Bit(argv[2]));
    }
    TimingApplication app(argc, argv);
    BuzzerHelper::SetProgram(QCoreApplication::applicationFilePath());
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
