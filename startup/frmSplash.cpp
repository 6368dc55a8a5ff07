#include "startup/frmSplash.h"

#include "appearance/ControlTable.h"
#include "appearance/Logo.h"
#include "appearance/Twips.h"
#include "settings/frmOptions.h"
#include "settings/modGlobals.h"
#include "startup/SplashPlacement.h"
#include "startup/frmHelp.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

frmSplash::frmSplash() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Darezez"));
    setWindowIcon(Logo::Icon());
    setAttribute(Qt::WA_DeleteOnClose);
    // A tool window still counts as one of the program's windows.
    setAttribute(Qt::WA_QuitOnClose);

    using namespace ControlTable;
    using enum Kind;
    static const Row kRows[] = {
        {"picLogo", Image, "", "", 360, 900, 2100, 2100, Centre},
        {"frameSplash", Frame, "", "", 120, 0, 6000, 3240},
        {"lblName", Label, "frameSplash", "Darezez", 653, 240, 4935, 735, TopCentre, Serif(27.75)},
        {"lblSystem", Label, "frameSplash", "", 4200, 960, 1455, 375, TopRight, Serif(15.75)},
        {"lblClick", Label, "frameSplash", "Click to continue.", 2520, 960, 1335, 255, TopLeft},
        {"Label1", Label, "frameSplash", "Press ' h ' on the scoreboard to view help.", 2520, 1200,
         1815, 495, TopLeft | Wrap},
        {"lblVersion", Label, "frameSplash", "", 3480, 1680, 2175, 375, TopRight, Serif(15.75)},
        {"lblMadeBy", Label, "frameSplash", "Created by Quenlith", 3120, 2760, 2655, 255, TopRight},
        {"cmdHelp", Button, "frameSplash", "&Help", 3120, 2160, 1215, 375},
        {"cmdOptions", Button, "frameSplash", "&Options", 4560, 2160, 1215, 375},
    };
    Build(this, kRows);
    findChild<QLabel *>(QStringLiteral("lblSystem"))->setText(SystemName());
    connect(findChild<QPushButton *>(QStringLiteral("cmdHelp")), &QPushButton::clicked, this,
            &frmSplash::cmdHelp_Click);
    connect(findChild<QPushButton *>(QStringLiteral("cmdOptions")), &QPushButton::clicked, this,
            &frmSplash::cmdOptions_Click);
    auto logo = findChild<QLabel *>(QStringLiteral("picLogo"));
    logo->setPixmap(Logo::Pixmap(140, devicePixelRatioF()));
    // In front of the frame, filling its left part.
    logo->raise();

    Form_Load();
}

QString frmSplash::VersionText() {
    return QStringLiteral("Version " DAREZEZ_VERSION);
}

QString frmSplash::SystemName() {
#if defined(Q_OS_WIN)
    return QStringLiteral("Windows");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("macOS");
#elif defined(Q_OS_LINUX)
    return QStringLiteral("Linux");
#else
    return QSysInfo::kernelType();
#endif
}

void frmSplash::Form_Load() {
    setFixedSize(Twips::Pixels(SplashPlacement::kWidth), Twips::Pixels(SplashPlacement::kHeight));
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect g = screen->geometry();
        const QPointF at = SplashPlacement::TopLeft(
            g.width() * Twips::kPerPixel, g.height() * Twips::kPerPixel, SplashPlacement::kWidth);
        move(g.left() + qRound(at.x() / Twips::kPerPixel),
             g.top() + qRound(at.y() / Twips::kPerPixel));
    }
    auto frame = findChild<QFrame *>(QStringLiteral("frameSplash"));
    Twips::SetGeometry(frame, {120, 0, 6000, 3120});
    findChild<QLabel *>(QStringLiteral("lblVersion"))->setText(VersionText());
    modGlobals::LoadOptions();
}

void frmSplash::mousePressEvent(QMouseEvent *event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void frmSplash::mouseReleaseEvent(QMouseEvent *event) {
    if (m_pressed && event->button() == Qt::LeftButton && rect().contains(event->pos()))
        GoScore();
    m_pressed = false;
}

void frmSplash::GoScore() {
    // The scoreboard is up before the welcome window goes, so the program never finds
    // itself without a window in between.
    emit ScoreboardWanted();
    close();
}

void frmSplash::cmdOptions_Click() {
    frmOptions dialog(nullptr, this);
    dialog.exec();
}

void frmSplash::cmdHelp_Click() {
    frmHelp::ShowHelp();
}
