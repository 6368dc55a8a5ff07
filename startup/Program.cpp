#include "startup/Program.h"

#include "appearance/Fonts.h"
#include "appearance/Logo.h"
#include "journal/MatchJournal.h"
#include "mat/Mat.h"
#include "settings/SystemBeep.h"
#include "startup/frmHelp.h"
#include "startup/frmSplash.h"

#include "feed/MatchFeed.h"
#include "journal/JournalTexts.h"
#include "scoreboard/BoardPicture.h"
#include "scoreboard/frmScoreboard.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <optional>

namespace {

bool askResume(QWidget *asker, const QDateTime &savedAt) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Darezez"),
                    JournalTexts::resumeQuestion(savedAt), QMessageBox::NoButton, asker);
    box.setObjectName(QStringLiteral("msgResume"));
    QPushButton *resume = box.addButton(JournalTexts::resumeButton(), QMessageBox::AcceptRole);
    QPushButton *fresh = box.addButton(JournalTexts::newMeetButton(), QMessageBox::RejectRole);
    box.setDefaultButton(resume);
    // Throwing a meet away takes a deliberate choice: Esc and closing the box keep it.
    box.setEscapeButton(resume);
    box.exec();
    return box.clickedButton() != fresh;
}

} // namespace

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
    Welcome(&journal)->show();
    const int result = QApplication::exec();
    frmHelp::DestroyInstance();
    return result;
}

frmSplash *Program::Welcome(MatchJournal *journal) {
    auto splash = new frmSplash();
    QObject::connect(
        splash, &frmSplash::ScoreboardWanted, splash,
        [splash, journal = QPointer<MatchJournal>(journal)] { OpenBoard(journal, splash); });
    return splash;
}

frmScoreboard *Program::OpenBoard(MatchJournal *journal, QWidget *asker) {
    // A bad journal is kept aside by load() and the board starts fresh.
    std::optional<MatchSnapshot> resumed;
    QString note; // about the saved meet, once the board stands
    if (journal && !journal->heldElsewhere()) {
        const MatchJournal::LoadResult journaled = journal->load();
        if (journaled.status == MatchJournal::LoadStatus::Ok) {
            if (askResume(asker, journaled.savedAt)) {
                resumed = journaled.snapshot;
                if (!journaled.damagedKeptAs.isEmpty())
                    note = JournalTexts::damaged(journaled.savedAt,
                                                 QFileInfo(journaled.damagedKeptAs).fileName());
            } else {
                journal->setAside();
            }
        } else if (journaled.status == MatchJournal::LoadStatus::Bad) {
            const QString kept =
                journaled.keptAs.isEmpty() ? journal->filePath() : journaled.keptAs;
            note = JournalTexts::unreadable(QFileInfo(kept).fileName());
        }
    }
    // The mat goes with its board.
    auto mat = new Mat;
    auto scoreboard = new frmScoreboard(mat);
    if (resumed)
        mat->Resume(*resumed);
    scoreboard->SetJournal(journal);
    QObject::connect(scoreboard, &frmScoreboard::HelpRequested, &frmHelp::ShowHelp);
    MatchFeed *feed = &mat->Feed(&scoreboard->Picture());
    QObject::connect(feed, &MatchFeed::StateTextChanged, scoreboard, &frmScoreboard::setFeedState);
    QObject::connect(feed, &MatchFeed::StartFailed, scoreboard, [scoreboard](const QString &text) {
        auto box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Darezez"), text,
                                   QMessageBox::Ok, scoreboard);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    QObject::connect(scoreboard, &frmScoreboard::OptionsApplied, feed, &MatchFeed::Configure);
    scoreboard->show();
    scoreboard->activateWindow();
    if (!note.isEmpty())
        scoreboard->ShowNote(
            resumed ? QStringLiteral("msgDamaged") : QStringLiteral("msgUnreadable"), note);
    feed->Configure();
    return scoreboard;
}
