// The board keeps its match in the journal: after every change and once a second while the
// clock runs, nothing while it is as it started; closing mid-meet asks; a second copy and a
// failing folder are said once.
#include "BoardFixture.h"
#include "Dialogs.h"
#include "TestMain.h"
#include "journal/JournalTexts.h"
#include "journal/LogOnDisk.h"
#include "journal/MatchJournal.h"

#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

QList<QMessageBox *> notes(const QString &name) {
    QList<QMessageBox *> found;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto box = qobject_cast<QMessageBox *>(w);
            box && box->isVisible() && box->objectName() == name)
            found << box;
    }
    return found;
}

qint64 handedOver(const MatchJournal &j) {
    const MatchJournal::Figures f = j.figures();
    return f.writesAsked - f.writesSkipped;
}

} // namespace

class tst_boardJournal : public QObject {
    Q_OBJECT

    QTemporaryDir dataHome;
    QString folder() const { return dataHome.filePath(QStringLiteral("journal")); }
    QString file() const { return QDir(folder()).filePath(QLatin1String(MeetLog::kFileName)); }

private slots:
    void initTestCase() {
        QVERIFY(dataHome.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    }
    void init() { QDir(folder()).removeRecursively(); }
    void cleanup() {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMessageBox *>(w))
                delete w;
        }
    }

    void writesEachChangeAndNothingBefore_data() {
        QTest::addColumn<QString>("field"); // empty: the match clock
        QTest::addColumn<QString>("keys");
        QTest::newRow("home score") << "picHomeScore"
                                    << "12\r";
        QTest::newRow("weight") << "picWeight"
                                << "157\r";
        QTest::newRow("match clock") << ""
                                     << "2.30\r";
        QTest::newRow("time advantage") << ""
                                        << "<";
        QTest::newRow("start") << ""
                               << "s";
    }
    void writesEachChangeAndNothingBefore() {
        QFETCH(QString, field);
        QFETCH(QString, keys);
        MatchJournal journal(folder());
        QVERIFY(journal.acquire());
        BoardFixture f;
        f.board->SetJournal(&journal);
        // Keys that change nothing an operator would lose write nothing.
        f.type(QStringLiteral(" "));
        f.key(Qt::Key_F11);
        f.key(Qt::Key_F11);
        QCOMPARE(journal.figures().writesAsked, 0);
        if (!field.isEmpty())
            f.clickField(qPrintable(field));
        if (keys == QLatin1String("<"))
            f.key(Qt::Key_Left);
        else
            f.type(keys);
        QTRY_COMPARE(logOnDisk(file()), std::optional(f.board->match().Snapshot()));
        QVERIFY(JournalTexts::meetInProgress(*logOnDisk(file())));
    }

    void runningClockWritesOnceASecond() {
        MatchJournal journal(folder());
        QVERIFY(journal.acquire());
        BoardFixture f;
        f.board->SetJournal(&journal);
        f.type(QStringLiteral("s"));
        const qint64 atStart = handedOver(journal);
        // Tenths pass: a write for each whole second shown, not for each refresh.
        for (int i = 0; i < 40; ++i)
            f.pass(100);
        const qint64 writes = handedOver(journal) - atStart;
        QVERIFY2(writes >= 4 && writes <= 5, qPrintable(QString::number(writes)));
        // A stopped clock is written where it stopped, then nothing more however long it
        // stands.
        f.type(QStringLiteral("s"));
        QTRY_COMPARE(logOnDisk(file()), std::optional(f.board->match().Snapshot()));
        QCOMPARE(logOnDisk(file())->clockRun, fromSeconds(4));
        const qint64 stopped = handedOver(journal);
        f.pass(3000);
        QCOMPARE(handedOver(journal), stopped);
    }

    void closingMidMeetAsks_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("ends");
        QTest::newRow("End the meet") << "End the meet" << true;
        QTest::newRow("Cancel") << "Cancel" << false;
        QTest::newRow("Enter") << "Enter" << false;
        QTest::newRow("Esc") << "Esc" << false;
    }
    void closingMidMeetAsks() {
        QFETCH(QString, answer);
        QFETCH(bool, ends);
        MatchJournal journal(folder());
        QVERIFY(journal.acquire());
        BoardFixture f;
        f.board->SetJournal(&journal);
        f.clickField("picGuestScore");
        f.type(QStringLiteral("6\r"));
        QTRY_VERIFY(logOnDisk(file()));
        const MatchSnapshot before = f.board->match().Snapshot();
        Asked asked;
        answerQuestion(answer, &asked);
        f.board->close();
        QCOMPARE(asked.text, QStringLiteral("End the meet? The board will start fresh next time."));
        QCOMPARE(asked.defaultButton, JournalTexts::cancelButton());
        QCOMPARE(asked.buttons, (QStringList{"Cancel", "End the meet"}));
        if (ends) {
            QTRY_VERIFY(!f.board);
            QVERIFY(!QFileInfo::exists(file()));
        } else {
            QVERIFY(f.board && f.board->isVisible());
            QCOMPARE(f.board->match().Snapshot(), before);
            QCOMPARE(logOnDisk(file()), std::optional(before));
            // The board goes on as before.
            f.board->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(f.board));
            f.clickField("picGuestScore");
            f.type(QStringLiteral("+2"));
            QCOMPARE(f.number("pledGuestScore"), QStringLiteral("  8"));
        }
    }

    void freshBoardClosesWithoutAQuestion() {
        MatchJournal journal(folder());
        QVERIFY(journal.acquire());
        BoardFixture f;
        f.board->SetJournal(&journal);
        // Typed and undone: the board reads as it started, with nothing to undo.
        f.clickField("picHomeScore");
        f.type(QStringLiteral("3\r"));
        f.key(Qt::Key_Z, Qt::ControlModifier);
        bool asked = false;
        QTimer::singleShot(0, [&] {
            if (auto d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                asked = true;
                d->reject();
            }
        });
        f.board->close();
        QVERIFY(!asked);
        QTRY_VERIFY(!f.board);
        QVERIFY(!QFileInfo::exists(file()));
        // The program may live on (a help window): the next start still gets the meet.
        MatchJournal next(folder());
        QVERIFY(next.acquire());
    }

    // A session's end quits the program, which closes every window: no question, and the
    // journal stays for the next start.
    void quittingClosesWithoutAQuestionAndKeepsTheMeet() {
        MatchJournal journal(folder());
        QVERIFY(journal.acquire());
        BoardFixture f;
        f.board->SetJournal(&journal);
        f.type(QStringLiteral("3\rs"));
        f.pass(1500);
        QTRY_VERIFY(logOnDisk(file()));
        bool asked = false;
        QTimer::singleShot(0, [&] {
            if (auto d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                asked = true;
                d->reject();
            }
        });
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(qApp, &quit);
        QVERIFY(!asked);
        QTRY_VERIFY(!f.board);
        QVERIFY(logOnDisk(file()));
        QVERIFY(JournalTexts::meetInProgress(*logOnDisk(file())));
    }

    void secondCopySaysSoOnceAndWritesNothing() {
        MatchJournal first(folder());
        QVERIFY(first.acquire());
        MatchJournal second(folder());
        QVERIFY(!second.acquire());
        BoardFixture f;
        f.board->SetJournal(&second);
        QTRY_COMPARE(notes(QStringLiteral("msgAnotherCopy")).size(), 1);
        QMessageBox *note = notes(QStringLiteral("msgAnotherCopy")).front();
        QCOMPARE(note->text(), JournalTexts::anotherCopy());
        QVERIFY(!note->isModal());
        note->close();
        f.board->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.board));
        f.type(QStringLiteral("3\rs"));
        f.pass(2000);
        QCOMPARE(f.clockText(), QStringLiteral(" 2:58"));
        QTest::qWait(100);
        QVERIFY(!QFileInfo::exists(file()));
        QVERIFY(notes(QStringLiteral("msgAnotherCopy")).isEmpty());
    }

    void failingFolderSaysSoOnceAndKeepsAMark() {
        // A file where the folder should be: nothing can be written below it.
        QDir().mkpath(dataHome.path());
        QFile blocker(folder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        MatchJournal journal(QDir(folder()).filePath(QStringLiteral("below")));
        QVERIFY(journal.acquire());
        BoardFixture f;
        f.board->SetJournal(&journal);
        QSignalSpy mark(f.board.data(), &frmScoreboard::JournalFailingChanged);
        f.clickField("picHomeScore");
        f.type(QStringLiteral("4\r"));
        QTRY_COMPARE(notes(QStringLiteral("msgCannotSave")).size(), 1);
        QMessageBox *note = notes(QStringLiteral("msgCannotSave")).front();
        const QString text = note->text();
        QVERIFY2(text.startsWith(QStringLiteral("The match cannot be saved: ")) &&
                     text.endsWith(QStringLiteral(". The board keeps running.")),
                 qPrintable(text));
        QVERIFY(!note->isModal());
        QVERIFY(note->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(f.board->JournalFailing());
        QCOMPARE(mark.count(), 1);
        QCOMPARE(mark.at(0).at(0).toBool(), true);
        // Mid-entry the operator clicks the note and closes it with Esc: the board comes back
        // with the same field selected and the digit typed so far.
        // (A board counts as active while its note is: wait for the board itself.)
        f.board->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), f.board.data());
        f.type(QStringLiteral("2"));
        note->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), note);
        QTest::keyClick(note, Qt::Key_Escape);
        QTRY_VERIFY(notes(QStringLiteral("msgCannotSave")).isEmpty());
        f.board->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), f.board.data());
        f.type(QStringLiteral("1\r"));
        QCOMPARE(f.number("pledHomeScore"), QStringLiteral(" 21"));
        f.clickField("picClock");
        f.type(QStringLiteral("5\rs"));
        f.pass(1500);
        QTRY_VERIFY(journal.figures().writesFailed >= 2);
        QCOMPARE(f.clockText(), QStringLiteral(" 4:59"));
        QVERIFY(notes(QStringLiteral("msgCannotSave")).isEmpty());
        QVERIFY(f.board->JournalFailing());
        QCOMPARE(mark.count(), 1);
        // The folder comes back: the mark goes.
        QVERIFY(QFile::remove(folder()));
        f.pass(1000);
        QTRY_VERIFY(!f.board->JournalFailing());
        QCOMPARE(mark.count(), 2);
    }
};

DAREZEZ_TEST(tst_boardJournal)
#include "tst_boardJournal.moc"
