#include "startup/Program.h"

#include "appearance/Fonts.h"
#include "appearance/Logo.h"
#include "journal/MatchJournal.h"
#include "settings/SystemBeep.h"
#include "startup/frmHelp.h"
#include "startup/frmSplash.h"

#include <QApplication>

int Program::Run() {
    QApplication::setApplicationName(QStringLiteral("Darezez"));
    QApplication::setApplicationVersion(QStringLiteral(DAREZEZ_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.github.quenlith.Darezez"));
    QApplication::setWindowIcon(Logo::Icon());
    Fonts::InstallApplicationFont();
    SystemBeep::setHandler([] { QApplication::beep(); });

    // One meet, one program: the lock is taken before anything is shown. The journal
    // outlives every window, so writes still queued reach the disk.
    MatchJournal journal;
    journal.acquire();
    auto splash = new frmSplash(&journal);
    splash->show();
    const int result = QApplication::exec();
    frmHelp::DestroyInstance();
    return result;
}
