// The click on the welcome window finds the journal: it asks to resume a journaled meet,
// or sets it aside for a new one; a bad one is said once. (A missing journal, which asks
// nothing, is tested on the real program.)
#include "Dialogs.h"
#include "TestSupport.h"
#include "clock/JournalTexts.h"
#include "clock/MatchJournal.h"
#include "led/LedGroup.h"
#include "led/VaviZAV.h"
#include "scoreboard/frmScoreboard.h"
#include "startup/frmSplash.h"

#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>

namespace {

frmScoreboard *openBoard() {
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto board = qobject_cast<frmScoreboard *>(w); board && board->isVisible())
            return board;
    }
    return nullptr;
}

MatchSnapshot midMeet() {
    MatchSnapshot s;
    s.fields = {14, 9, 5, -1, 110, 2, 174};
    s.clockSet = fromSeconds(120);
    s.clockRun = fromTenths(734);
    s.clockRunning = true;
    s.clockHasRun = true;
    s.homeAd = fromTenths(62);
    s.guestAd = fromTenths(15);
    s.timeAd = 37;
    s.lastClockTime = 120;
    return s;
}

QStringList asidePaths(const QString &folder, const QString &kind) {
    return QDir(folder).entryList(
        {QLatin1String(MatchJournal::kFileName) + QLatin1Char('.') + kind + QStringLiteral("-*")},
        QDir::Files);
}

} // namespace

class tst_resume : public QObject {
    Q_OBJECT

    QTemporaryDir dataHome;
    SettingsSandbox *sandbox = nullptr;
    QString folder() const { return dataHome.filePath(QStringLiteral("journal")); }
    QString file() const { return QDir(folder()).filePath(QLatin1String(MatchJournal::kFileName)); }

    // The journal an earlier run left: written and let go.
    QDateTime journal(const MatchSnapshot &s) {
        MatchJournal earlier(folder());
        if (!earlier.acquire())
            return {};
        QSignalSpy written(&earlier, &MatchJournal::written);
        const QDateTime before = QDateTime::currentDateTimeUtc();
        earlier.write(s);
        return written.wait(20000) ? before : QDateTime();
    }

private slots:
    void initTestCase() {
        QVERIFY(dataHome.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    }
    void init() {
        QDir(folder()).removeRecursively();
        sandbox = new SettingsSandbox;
        modGlobals::SetDefaults();
    }
    void cleanup() {
        // A note goes with its board.
        QList<QPointer<QWidget>> windows;
        for (QWidget *w : QApplication::topLevelWidgets())
            windows << w;
        for (const QPointer<QWidget> &w : windows)
            delete w.data();
        delete sandbox;
    }

    void answers_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("resumes");
        QTest::newRow("Resume") << "&Resume" << true;
        QTest::newRow("Enter") << "Enter" << true;
        QTest::newRow("New meet") << "&New meet" << false;
        QTest::newRow("Esc") << "Esc" << true;
        QTest::newRow("closed") << "Close" << true;
    }
    void answers() {
        QFETCH(QString, answer);
        QFETCH(bool, resumes);
        const QDateTime before = journal(midMeet());
        QVERIFY(before.isValid());
        MatchJournal journal(folder());
        QVERIFY(journal.acquire());
        QPointer<frmSplash> splash = new frmSplash(&journal);
        splash->show();
        QVERIFY(QTest::qWaitForWindowExposed(splash));
        Asked asked;
        answerQuestion(answer, &asked);
        QTest::mouseClick(splash->findChild<QWidget *>("lblClick"), Qt::LeftButton);
        QTRY_VERIFY(!splash);
        // Saved a moment ago, so the minute is now's or the one before.
        const QString question = JournalTexts::resumeQuestion(QDateTime::currentDateTimeUtc());
        QVERIFY2(asked.text == question || asked.text == JournalTexts::resumeQuestion(before),
                 qPrintable(asked.text));
        QVERIFY(asked.text.startsWith(QStringLiteral("Resume the meet saved at ")));
        QCOMPARE(asked.defaultButton, JournalTexts::resumeButton());
        QCOMPARE(asked.buttons, (QStringList{"&New meet", "&Resume"}));

        frmScoreboard *board = openBoard();
        QVERIFY(board);
        Match &m = board->match();
        if (resumes) {
            MatchSnapshot stopped = midMeet();
            stopped.clockRunning = false;
            QCOMPARE(m.Snapshot(), stopped);
            QCOMPARE(m.ShownText(Match::pledClock), QStringLiteral("46.6"));
            QCOMPARE(m.ShownText(Match::pledTimeAd), QStringLiteral("6.2"));
            QCOMPARE(m.ShownText(Match::pledGuestMatch), QString());
            QCOMPARE(m.ClockRunning(0), qint16(0));
            QVERIFY(QFileInfo::exists(file()));
            QVERIFY(asidePaths(folder(), QStringLiteral("old")).isEmpty());
        } else {
            QCOMPARE(m.Snapshot(), MatchSnapshot{});
            QVERIFY(!QFileInfo::exists(file()));
            QCOMPARE(asidePaths(folder(), QStringLiteral("old")).size(), 1);
        }
        // Nothing is written until the board changes; then its own meet, either way.
        QCOMPARE(journal.figures().writesAsked, 0);
        board->Field(QStringLiteral("pledHomeScore")).at(0)->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("+1"));
        QTRY_VERIFY(journal.figures().writesDone == 1);
        QCOMPARE(journal.load().snapshot, m.Snapshot());
    }

    void unreadableJournalSaidOnce() {
        QVERIFY(QDir().mkpath(folder()));
        QFile bad(file());
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("{\"format\":\"darezez-match-journal\",\"version\":99}\n");
        bad.close();
        MatchJournal journal(folder());
        QVERIFY(journal.acquire());
        QPointer<frmSplash> splash = new frmSplash(&journal);
        splash->show();
        QVERIFY(QTest::qWaitForWindowExposed(splash));
        QTest::mouseClick(splash->findChild<QWidget *>("lblClick"), Qt::LeftButton);
        QTRY_VERIFY(!splash);
        QCOMPARE(openBoard()->match().Snapshot(), MatchSnapshot{});
        const QStringList kept = asidePaths(folder(), QStringLiteral("bad"));
        QCOMPARE(kept.size(), 1);
        auto note = openBoard()->findChild<QMessageBox *>(QStringLiteral("msgUnreadable"));
        QVERIFY(note && note->isVisible());
        QCOMPARE(note->text(), JournalTexts::unreadable(kept.front()));
    }
};

QTEST_MAIN(tst_resume)
#include "tst_resume.moc"
