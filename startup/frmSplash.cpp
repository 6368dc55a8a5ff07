#include "startup/frmSplash.h"

#include "appearance/Fonts.h"
#include "appearance/Logo.h"
#include "appearance/Twips.h"
#include "clock/JournalTexts.h"
#include "clock/MatchJournal.h"
#include "feed/MatchFeed.h"
#include "scoreboard/BoardPicture.h"
#include "scoreboard/frmScoreboard.h"
#include "settings/frmOptions.h"
#include "settings/modGlobals.h"
#include "startup/SplashPlacement.h"
#include "startup/frmHelp.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

frmSplash::frmSplash(MatchJournal *journal)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), m_journal(journal) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Darezez"));
    setWindowIcon(Logo::Icon());
    setAttribute(Qt::WA_DeleteOnClose);
    // A tool window still counts as one of the program's windows.
    setAttribute(Qt::WA_QuitOnClose);

    auto frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("frameSplash"));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Twips::SetGeometry(frame, {120, 0, 6000, 3240});

    addLabel(frame, QStringLiteral("lblName"), QStringLiteral("Darezez"), {653, 240, 4935, 735})
        ->setFont(Fonts::Serif(27.75));
    QLabel *system =
        addLabel(frame, QStringLiteral("lblSystem"), SystemName(), {4200, 960, 1455, 375});
    system->setFont(Fonts::Serif(15.75));
    system->setAlignment(Qt::AlignRight | Qt::AlignTop);
    addLabel(frame, QStringLiteral("lblClick"), QStringLiteral("Click to continue."),
             {2520, 960, 1335, 255})
        ->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QLabel *hint = addLabel(frame, QStringLiteral("Label1"),
                            QStringLiteral("Press ' h ' on the scoreboard to view help."),
                            {2520, 1200, 1815, 495});
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QLabel *version =
        addLabel(frame, QStringLiteral("lblVersion"), QString(), {3480, 1680, 2175, 375});
    version->setFont(Fonts::Serif(15.75));
    version->setAlignment(Qt::AlignRight | Qt::AlignTop);
    addLabel(frame, QStringLiteral("lblMadeBy"), QStringLiteral("Created by Quenlith"),
             {3120, 2760, 2655, 255})
        ->setAlignment(Qt::AlignRight | Qt::AlignTop);

    auto help = new QPushButton(QStringLiteral("&Help"), frame);
    help->setObjectName(QStringLiteral("cmdHelp"));
    Twips::SetGeometry(help, {3120, 2160, 1215, 375});
    connect(help, &QPushButton::clicked, this, &frmSplash::cmdHelp_Click);
    auto options = new QPushButton(QStringLiteral("&Options"), frame);
    options->setObjectName(QStringLiteral("cmdOptions"));
    Twips::SetGeometry(options, {4560, 2160, 1215, 375});
    connect(options, &QPushButton::clicked, this, &frmSplash::cmdOptions_Click);

    auto logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("picLogo"));
    logo->setProperty("isImage", true);
    logo->setPixmap(Logo::Pixmap(140, devicePixelRatioF()));
    logo->setAlignment(Qt::AlignCenter);
    Twips::SetGeometry(logo, {360, 900, 2100, 2100});
    logo->raise();

    Form_Load();
}

QLabel *frmSplash::addLabel(QWidget *parent, const QString &name, const QString &text,
                            const QRectF &box) {
    auto label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Twips::SetGeometry(label, box);
    return label;
}

QString frmSplash::VersionText() {
    return QStringLiteral("Version %1.%2.%3")
        .arg(DAREZEZ_VERSION_MAJOR)
        .arg(DAREZEZ_VERSION_MINOR)
        .arg(DAREZEZ_VERSION_PATCH);
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
    const int width = SplashPlacement::kWidth / 15;
    setFixedSize(width, SplashPlacement::kHeight / 15);
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

bool frmSplash::askResume(const QDateTime &savedAt) {
    QMessageBox box(QMessageBox::Question, windowTitle(), JournalTexts::resumeQuestion(savedAt),
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("msgResume"));
    QPushButton *resume = box.addButton(JournalTexts::resumeButton(), QMessageBox::AcceptRole);
    QPushButton *fresh = box.addButton(JournalTexts::newMeetButton(), QMessageBox::RejectRole);
    box.setDefaultButton(resume);
    box.setEscapeButton(fresh);
    box.exec();
    return box.clickedButton() == resume;
}

void frmSplash::GoScore() {
    // A bad journal is kept aside by load() and the board starts fresh.
    std::optional<MatchSnapshot> resumed;
    if (m_journal && !m_journal->heldElsewhere()) {
        const MatchJournal::LoadResult journaled = m_journal->load();
        if (journaled.status == MatchJournal::LoadStatus::Ok) {
            if (askResume(journaled.savedAt))
                resumed = journaled.snapshot;
            else
                m_journal->setAside();
        }
    }
    // The scoreboard is up before the welcome window goes, so the program never
    // finds itself without a window in between.
    auto scoreboard = new frmScoreboard();
    if (resumed)
        scoreboard->Resume(*resumed);
    scoreboard->SetJournal(m_journal);
    connect(scoreboard, &frmScoreboard::HelpRequested, &frmHelp::ShowHelp);
    // The feed lives as long as the board.
    auto feed = new MatchFeed(scoreboard->match(), &scoreboard->Picture(), scoreboard);
    connect(feed, &MatchFeed::StateTextChanged, scoreboard, &frmScoreboard::setFeedState);
    connect(feed, &MatchFeed::StartFailed, scoreboard, [scoreboard](const QString &text) {
        auto box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Darezez"), text,
                                   QMessageBox::Ok, scoreboard);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    connect(scoreboard, &frmScoreboard::OptionsApplied, feed, &MatchFeed::Configure);
    scoreboard->show();
    scoreboard->activateWindow();
    feed->Configure();
    close();
}

void frmSplash::cmdOptions_Click() {
    frmOptions dialog(nullptr, this);
    dialog.exec();
}

void frmSplash::cmdHelp_Click() {
    frmHelp::ShowHelp();
}
