// A match run on the real program as an operator runs it and a spectator sees it: keys
// and clicks from outside, the board read back from pictures of the screen. One
// program for the whole run, steps in order, as at a real meet.
#include "BoardPixels.h"
#include "BoardSession.h"
#include "LedReader.h"
#include "TestMain.h"
#include "TimeReading.h"
#include "clock/Lineup.h"
#include "clock/RuleBook.h"
#include "journal/MeetLog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

namespace {
bool near(QColor a, QColor b, int tolerance = 40) {
    return BoardPixels::isNear(a.rgb(), b.rgb(), tolerance);
}
} // namespace

class tst_board : public QObject {
    Q_OBJECT

    std::unique_ptr<BoardSession> s;
    QImage lastGrab;

    LedReader read() {
        lastGrab = s->desktop.grab(s->board);
        return LedReader(lastGrab);
    }
    QString field(const char *name) { return read().read(QLatin1String(name)); }
    // Lamp pixels in the score colour, outside every field: left half home, right guest.
    QPair<int, int> lamps() {
        const LedReader r = read();
        const QColor lit = r.litColour(QStringLiteral("homeScore"));
        QList<QRect> fields;
        for (const char *f : {"clock", "homeScore", "guestScore", "match", "period", "weight",
                              "homeMatch", "timeAd", "guestMatch"})
            fields << r.box(QLatin1String(f));
        QPair<int, int> n{0, 0};
        for (int y = 0; y < lastGrab.height(); ++y)
            for (int x = 0; x < lastGrab.width(); ++x) {
                if (!near(QColor(lastGrab.pixel(x, y)), lit, 20))
                    continue;
                if (std::none_of(fields.begin(), fields.end(),
                                 [&](const QRect &f) { return f.contains(x, y); }))
                    (x < lastGrab.width() / 2 ? n.first : n.second)++;
            }
        return n;
    }
    void clickField(const char *name) {
        const QRect box = read().box(QLatin1String(name));
        const QRect g = s->desktop.geometry(s->board);
        s->desktop.click(g.x() + box.center().x(), g.y() + box.center().y());
    }
    // The window a key opens, once it has the keys; empty when none of that title came.
    QString opened(const QString &key, const QString &title) {
        const QStringList known = s->desktop.windows();
        s->desktop.keys({key});
        const QString id = waitForWindowTitled(title, known);
        return !id.isEmpty() && s->desktop.waitForActive(id) ? id : QString();
    }
    // The rule set moved on the options' Rules tab by these keys, then OK.
    bool rulesChosen(const QStringList &keys) {
        const QString dialog = opened(QStringLiteral("o"), QStringLiteral("Options"));
        if (dialog.isEmpty())
            return false;
        const QRect d = s->desktop.geometry(dialog);
        s->desktop.click(d.x() + 527, d.y() + 20); // "Rules", the last tab
        s->desktop.keys(QStringList{QStringLiteral("alt+r")} + keys);
        s->desktop.click(d.x() + 247, d.y() + 292); // Ok
        return s->desktop.waitForWindowGone(dialog);
    }
    // "Bout Result" taken as proposed, with Enter.
    bool resultTakenAsProposed() {
        const QString dialog = opened(QStringLiteral("e"), QStringLiteral("Bout Result"));
        if (dialog.isEmpty())
            return false;
        s->desktop.keys({QStringLiteral("Return")});
        return s->desktop.waitForWindowGone(dialog);
    }
    QString waitForWindowTitled(const QString &title, const QStringList &known) {
        const QString id = s->desktop.waitForNewWindow(known);
        QByteArray name;
        Desktop::run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id}, &name);
        return QString::fromUtf8(name).trimmed() == title ? id : QString();
    }

private slots:
    void initTestCase() {
        s = std::make_unique<BoardSession>();
        if (!s->desktop.available())
            QSKIP(qPrintable(s->desktop.why()));
    }
    void cleanup() {
        // The screen as it was when a step failed, for whoever reads the CI log.
        if (QTest::currentTestFailed()) {
            const QString dir = qEnvironmentVariable("DAREZEZ_ARTIFACTS", QDir::tempPath());
            QDir().mkpath(dir);
            const QString file =
                dir + QStringLiteral("/tst_board-%1.png").arg(QTest::currentTestFunction());
            s->desktop.screenshot().save(file);
            qWarning("screenshot kept: %s", qPrintable(file));
        }
    }

    void startsOnTheWelcomeWindowThenTheBoard() {
        QVERIFY(s->open());
        const LedReader r = read();
        QVERIFY2(r.ok(), qPrintable(r.why()));
        QCOMPARE(r.read("clock"), QStringLiteral("10:00"));
        QCOMPARE(r.read("timeAd"), QStringLiteral("0.0"));
        for (const char *f :
             {"homeScore", "guestScore", "match", "period", "weight", "homeMatch", "guestMatch"})
            QCOMPARE(r.read(QLatin1String(f)), QStringLiteral("0"));
        QCOMPARE(lamps(), qMakePair(0, 0));
    }

    void typedTimeShows() {
        s->desktop.type(QStringLiteral("2.30\r"));
        QTRY_COMPARE_WITH_TIMEOUT(field("clock"), QStringLiteral("2:30"), Desktop::kWaitMs);
    }

    void runsInRealTime() {
        s->desktop.keys({QStringLiteral("s")});
        QTRY_VERIFY_WITH_TIMEOUT(field("clock") != QStringLiteral("2:30"), Desktop::kWaitMs);
        // Each reading is bracketed by real time, however long a grab takes.
        QElapsedTimer real;
        real.start();
        const double first = shownSeconds(field("clock"));
        const qint64 firstTaken = real.elapsed();
        QTest::qWait(1500);
        const qint64 secondAsked = real.elapsed();
        const double second = shownSeconds(field("clock"));
        const qint64 secondTaken = real.elapsed();
        // The display shows whole seconds: up to one more or less than went by.
        const double least = (secondAsked - firstTaken) / 1000.0 - 1;
        const double most = secondTaken / 1000.0 + 1;
        QVERIFY2(first - second >= least && first - second <= most,
                 qPrintable(QStringLiteral("%1 then %2, %3 to %4 s apart")
                                .arg(first)
                                .arg(second)
                                .arg(least + 1)
                                .arg(most - 1)));
    }

    void timeAdvantageWithItsLamp() {
        s->desktop.keys({QStringLiteral("Left")});
        QTRY_VERIFY_WITH_TIMEOUT(lamps().first > 20, Desktop::kWaitMs);
        QCOMPARE(lamps().second, 0);
        QTRY_VERIFY_WITH_TIMEOUT(shownSeconds(field("timeAd")) >= 1.0, Desktop::kWaitMs);
        s->desktop.keys({QStringLiteral("Right")});
        QTRY_VERIFY_WITH_TIMEOUT(lamps().second > 20 && lamps().first == 0, Desktop::kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(shownSeconds(field("timeAd")) >= 1.0, Desktop::kWaitMs);
    }

    void stopHoldsEverything() {
        s->desktop.keys({QStringLiteral("s")});
        // Stopped once the tenths of the time advantage stand still for a while.
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QString now = field("timeAd");
                QTest::qWait(400);
                return field("timeAd") == now;
            }(),
            Desktop::kWaitMs);
        const LedReader before = read();
        QTest::qWait(1200);
        const LedReader after = read();
        QCOMPARE(after.read("clock"), before.read("clock"));
        QCOMPARE(after.read("timeAd"), before.read("timeAd"));
        QVERIFY(shownSeconds(after.read("clock")) < 150);
    }

    void scoresTypedIntoTheirFields() {
        clickField("homeScore");
        s->desktop.type(QStringLiteral("12\r"));
        QTRY_COMPARE_WITH_TIMEOUT(field("homeScore"), QStringLiteral("12"), Desktop::kWaitMs);
        clickField("guestScore");
        s->desktop.type(QStringLiteral("7\r"));
        QTRY_COMPARE_WITH_TIMEOUT(field("guestScore"), QStringLiteral("7"), Desktop::kWaitMs);
        clickField("guestScore");
        s->desktop.type(QStringLiteral("+3"));
        QTRY_COMPARE_WITH_TIMEOUT(field("guestScore"), QStringLiteral("10"), Desktop::kWaitMs);
    }

    void resetKeepsTheScores() {
        s->desktop.keys({QStringLiteral("r")});
        QTRY_COMPARE_WITH_TIMEOUT(field("clock"), QStringLiteral("2:30"), Desktop::kWaitMs);
        const LedReader r = read();
        QCOMPARE(r.read("timeAd"), QStringLiteral("0.0"));
        QCOMPARE(r.read("homeScore"), QStringLiteral("12"));
        QCOMPARE(r.read("guestScore"), QStringLiteral("10"));
    }

    // A wrestler's blood time counts down in the time advantage's digits and leaves the lamps
    // alone; its key stops it, and the match clock's start gives the digits back.
    void bloodClockOverTheTimeAdvantage() {
        const QPair<int, int> lit = lamps();
        s->desktop.keys({QStringLiteral("l"), QStringLiteral("Left")});
        QTRY_COMPARE_WITH_TIMEOUT(field("timeAd"), QStringLiteral("5:00"), Desktop::kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(shownSeconds(field("timeAd")) <= 298, Desktop::kWaitMs);
        QCOMPARE(lamps(), lit);
        QCOMPARE(field("clock"), QStringLiteral("2:30"));
        s->desktop.keys({QStringLiteral("l")});
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QString now = field("timeAd");
                QTest::qWait(1100);
                return field("timeAd") == now;
            }(),
            Desktop::kWaitMs);
        s->desktop.keys({QStringLiteral("s")});
        QTRY_VERIFY_WITH_TIMEOUT(shownSeconds(field("timeAd")) < 60, Desktop::kWaitMs);
        s->desktop.keys({QStringLiteral("s")});
    }

    void helpOpensAndCloses() {
        const QStringList before = s->desktop.windows();
        s->desktop.keys({QStringLiteral("h")});
        const QString help = waitForWindowTitled(QStringLiteral("Darezez Help"), before);
        QVERIFY(!help.isEmpty());
        QVERIFY(s->desktop.waitForActive(help));
        s->desktop.keys({QStringLiteral("h")}); // help has the keyboard now: no second one
        QTest::qWait(300);
        QCOMPARE(s->desktop.windows().size(), before.size() + 1);
        s->desktop.activate(help);
        s->desktop.keys({QStringLiteral("alt+F4")});
        QVERIFY(s->desktop.waitForWindowGone(help));
        QVERIFY(s->desktop.running());
        s->desktop.activate(s->board);
        // Back on the board, the match clock has the keys.
        s->desktop.type(QStringLiteral("3\r"));
        QTRY_COMPARE_WITH_TIMEOUT(field("clock"), QStringLiteral("3:00"), Desktop::kWaitMs);
    }

    void optionsChangeColourNamesAndStyle() {
        const QImage before = s->desktop.grab(s->board);
        const QStringList known = s->desktop.windows();
        s->desktop.keys({QStringLiteral("o")});
        const QString dialog = waitForWindowTitled(QStringLiteral("Options"), known);
        QVERIFY(!dialog.isEmpty());
        QVERIFY(s->desktop.waitForActive(dialog));
        const QRect d = s->desktop.geometry(dialog);
        // The program takes the clicks and keys in the order they were sent.
        auto at = [&](int x, int y) { s->desktop.click(d.x() + x, d.y() + y); };
        at(120, 20);  // "Colors" (the second tab)
        at(312, 124); // LED Time Color: Change
        const QString chooser = s->desktop.waitForNewWindow(known + QStringList{dialog});
        QVERIFY(!chooser.isEmpty());
        QVERIFY(s->desktop.waitForActive(chooser));
        s->desktop.keys({QStringLiteral("alt+h"), QStringLiteral("ctrl+a")});
        s->desktop.type(QStringLiteral("#00ff00"));
        s->desktop.keys({QStringLiteral("Return")});
        QVERIFY(s->desktop.waitForWindowGone(chooser));
        QVERIFY(s->desktop.waitForActive(dialog));
        at(184, 122); // Digit Type
        const QString list = s->desktop.waitForNewWindow(known + QStringList{dialog});
        QVERIFY(!list.isEmpty());
        s->desktop.keys({QStringLiteral("Down"), QStringLiteral("Return")});
        QVERIFY(s->desktop.waitForWindowGone(list));
        at(203, 20); // "Text Controls"
        at(188, 76);
        s->desktop.keys({QStringLiteral("ctrl+a")});
        s->desktop.type(QStringLiteral("Tigers"));
        at(188, 164);
        s->desktop.keys({QStringLiteral("ctrl+a")});
        s->desktop.type(QStringLiteral("Bears"));
        at(247, 292); // Ok
        QVERIFY(s->desktop.waitForWindowGone(dialog));
        // Repainted in the new colour.
        QTRY_VERIFY_WITH_TIMEOUT(near(read().litColour("clock"), Qt::green), Desktop::kWaitMs);
        const LedReader r(lastGrab);
        QVERIFY2(r.ok(), qPrintable(r.why()));
        QCOMPARE(r.read("clock"), QStringLiteral("3:00"));
        QVERIFY(near(r.litColour("period"), Qt::green));
        QVERIFY(!near(r.litColour("homeScore"), Qt::green));
        QVERIFY(r.dots("clock") && r.dots("homeScore"));
        QCOMPARE(r.read("homeScore"), QStringLiteral("12"));
        // The names stand above the scores, where "Home" and "Guest" stood.
        const QRect home = r.box("homeScore");
        const QRect above(home.left(), 0, home.width(), home.top());
        QVERIFY(lastGrab.copy(above) != before.copy(above));
        const QString stored = s->desktop.settingsText();
        QVERIFY(stored.contains(QStringLiteral("HomeText=Tigers")));
        QVERIFY(stored.contains(QStringLiteral("GuestText=Bears")));
        QVERIFY(stored.contains(QStringLiteral("LEDTimeColor=65280")));
        QVERIFY(stored.contains(QStringLiteral("LEDType=1")));
        // Back on the board with the clock selected.
        s->desktop.type(QStringLiteral("4\r"));
        QTRY_COMPARE_WITH_TIMEOUT(field("clock"), QStringLiteral("4:00"), Desktop::kWaitMs);
    }

    void optionsSurviveARestart() {
        const QImage before = s->desktop.grab(s->board);
        s->desktop.stop();
        // Stopped mid-meet: the click asks, and a new meet starts fresh.
        QVERIFY(s->open({}, QStringLiteral("alt+n")));
        const LedReader r = read();
        QVERIFY2(r.ok(), qPrintable(r.why()));
        QCOMPARE(r.read("clock"), QStringLiteral("10:00"));
        QVERIFY(near(r.litColour("clock"), Qt::green));
        QVERIFY(r.dots("weight"));
        const QRect home = r.box("homeScore");
        const QRect above(home.left(), 0, home.width(), home.top());
        QCOMPARE(lastGrab.copy(above), before.copy(above));
    }

    void readsTheSameFullScreenAt4K() {
        s->desktop.type(QStringLiteral("7.05\r"));
        QTRY_COMPARE_WITH_TIMEOUT(field("clock"), QStringLiteral("7:05"), Desktop::kWaitMs);
        const LedReader small = read();
        s->desktop.keys({QStringLiteral("F11")});
        QTRY_COMPARE_WITH_TIMEOUT(s->desktop.geometry(s->board).size(), QSize(3840, 2160),
                                  Desktop::kWaitMs);
        // Repainted at the new size: it reads as it did.
        QTRY_COMPARE_WITH_TIMEOUT(read().summary(), small.summary(), Desktop::kWaitMs);
        const LedReader big(lastGrab);
        QCOMPARE(lastGrab.size(), QSize(3840, 2160));
        QVERIFY2(big.ok(), qPrintable(big.why()));
        qInfo("at 3840 x 2160: %s", qPrintable(big.summary()));
        s->desktop.keys({QStringLiteral("F11")});
        QTRY_VERIFY_WITH_TIMEOUT(s->desktop.geometry(s->board).width() < 3840, Desktop::kWaitMs);
    }

    // Three bouts of a dual: the next bout, its match points, the result window's proposal
    // taken with Enter; the team scores add the rule set's points, and the bout sheet opens
    // in a window of its own that Esc closes.
    void threeBoutDual() {
        const int home = field("homeScore").toInt(), guest = field("guestScore").toInt();
        // A decision for home (3), a major decision for guest (4), a technical fall (5).
        const char *const points[][2] = {{"9", "2"}, {"1", "9"}, {"16", "0"}};
        for (const auto &p : points) {
            s->desktop.keys({QStringLiteral("n")});
            QTRY_COMPARE_WITH_TIMEOUT(field("homeMatch"), QStringLiteral("0"), Desktop::kWaitMs);
            clickField("homeMatch");
            s->desktop.type(QLatin1String(p[0]) + QLatin1Char('\r'));
            clickField("guestMatch");
            s->desktop.type(QLatin1String(p[1]) + QLatin1Char('\r'));
            QVERIFY(resultTakenAsProposed());
        }
        QTRY_COMPARE_WITH_TIMEOUT(field("homeScore"), QString::number(home + 8), Desktop::kWaitMs);
        QCOMPARE(field("guestScore"), QString::number(guest + 4));
        const QStringList known = s->desktop.windows();
        s->desktop.keys({QStringLiteral("m")});
        const QString sheet = waitForWindowTitled(QStringLiteral("Darezez Bout Sheet"), known);
        QVERIFY(!sheet.isEmpty());
        // It leaves the keys with the board: the clock starts and stops at the whistle.
        const QString set = field("clock");
        s->desktop.keys({QStringLiteral("s")});
        QTRY_VERIFY_WITH_TIMEOUT(field("clock") != set, Desktop::kWaitMs);
        s->desktop.keys({QStringLiteral("s")});
        QVERIFY(s->desktop.waitForActive(s->board));
        // Asked for again it takes them, and Esc gives them back.
        s->desktop.keys({QStringLiteral("m")});
        QVERIFY(s->desktop.waitForActive(sheet));
        s->desktop.keys({QStringLiteral("Escape")});
        QVERIFY(s->desktop.waitForWindowGone(sheet));
        QVERIFY(s->desktop.waitForActive(s->board));
        // Esc on the board closes a sheet without the keys.
        const QStringList before = s->desktop.windows();
        s->desktop.keys({QStringLiteral("m")});
        const QString again = waitForWindowTitled(QStringLiteral("Darezez Bout Sheet"), before);
        QVERIFY(!again.isEmpty());
        s->desktop.keys({QStringLiteral("Escape")});
        QVERIFY(s->desktop.waitForWindowGone(again));
        QVERIFY(s->desktop.waitForActive(s->board));
    }

    // A bout scored by keys alone: a move key, then Left or Right, then a near fall's digit;
    // Ctrl+Z takes the last move back with its points; match points go past 19; Tab steps to
    // a field.
    void scoringByKeysAlone() {
        s->desktop.keys({QStringLiteral("n")});
        QTRY_COMPARE_WITH_TIMEOUT(field("homeMatch"), QStringLiteral("0"), Desktop::kWaitMs);
        s->desktop.keys({QStringLiteral("t"), QStringLiteral("Left"), QStringLiteral("x"),
                         QStringLiteral("Right"), QStringLiteral("f"), QStringLiteral("Left"),
                         QStringLiteral("3")});
        QTRY_COMPARE_WITH_TIMEOUT(field("homeMatch"), QStringLiteral("6"), Desktop::kWaitMs);
        QCOMPARE(field("guestMatch"), QStringLiteral("1"));
        s->desktop.keys({QStringLiteral("ctrl+z")});
        QTRY_COMPARE_WITH_TIMEOUT(field("homeMatch"), QStringLiteral("3"), Desktop::kWaitMs);
        QStringList takedowns;
        for (int i = 0; i < 6; ++i)
            takedowns << QStringLiteral("t") << QStringLiteral("Left");
        s->desktop.keys(takedowns);
        QTRY_COMPARE_WITH_TIMEOUT(field("homeMatch"), QStringLiteral("21"), Desktop::kWaitMs);
        clickField("clock");
        s->desktop.keys({QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("Tab"),
                         QStringLiteral("Tab")});
        s->desktop.type(QStringLiteral("45\r"));
        QTRY_COMPARE_WITH_TIMEOUT(field("guestMatch"), QStringLiteral("45"), Desktop::kWaitMs);
    }

    // An international bout by keys: a passivity that runs out (the opponent's point), one
    // ended by a score, and a tie proposed for the wrestler with a 4 against two 2s; the
    // meet's log has the scorebook and the result.
    void internationalBoutByKeys() {
        QVERIFY(rulesChosen({QStringLiteral("Down"), QStringLiteral("Down")})); // UWW
        s->desktop.keys({QStringLiteral("n")});
        QTRY_COMPARE_WITH_TIMEOUT(field("clock"), QStringLiteral("3:00"), Desktop::kWaitMs);
        s->desktop.keys({QStringLiteral("z"), QStringLiteral("Left"), QStringLiteral("z"),
                         QStringLiteral("Left"), QStringLiteral("s")});
        // The activity period covers the time advantage, and runs out with the guest's point.
        QTRY_VERIFY_WITH_TIMEOUT(field("timeAd").startsWith(QStringLiteral("2")), Desktop::kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(field("guestMatch"), QStringLiteral("1"), 45000);
        QTRY_COMPARE_WITH_TIMEOUT(field("timeAd"), QStringLiteral("0.0"), Desktop::kWaitMs);
        s->desktop.keys({QStringLiteral("z"), QStringLiteral("Left")});
        QTRY_VERIFY_WITH_TIMEOUT(field("timeAd").startsWith(QStringLiteral("2")), Desktop::kWaitMs);
        s->desktop.keys({QStringLiteral("t"), QStringLiteral("Left"), QStringLiteral("s")});
        QTRY_COMPARE_WITH_TIMEOUT(field("homeMatch"), QStringLiteral("2"), Desktop::kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(field("timeAd"), QStringLiteral("0.0"), Desktop::kWaitMs);
        s->desktop.keys({QStringLiteral("g"), QStringLiteral("Right"), QStringLiteral("4"),
                         QStringLiteral("t"), QStringLiteral("Left")});
        QTRY_COMPARE_WITH_TIMEOUT(field("homeMatch"), QStringLiteral("4"), Desktop::kWaitMs);
        QCOMPARE(field("guestMatch"), QStringLiteral("5"));
        s->desktop.keys({QStringLiteral("a"), QStringLiteral("Right"), QStringLiteral("1")});
        QTRY_COMPARE_WITH_TIMEOUT(field("homeMatch"), QStringLiteral("5"), Desktop::kWaitMs);
        QVERIFY(resultTakenAsProposed());
        const auto logged = [this] {
            QFile f(s->desktop.dataHome() + QStringLiteral("/Darezez/meet.log"));
            const MeetLog::Replay r =
                f.open(QIODevice::ReadOnly) ? MeetLog::replay(f.readAll()) : MeetLog::Replay{};
            if (!r.snapshot || r.snapshot->bouts.isEmpty())
                return QString();
            QStringList marks;
            for (const ScoredMove &m : r.snapshot->moves) {
                if (m.bout == r.snapshot->boutSerial)
                    marks << (m.side == 1 ? QStringLiteral("H:") : QStringLiteral("G:")) + m.mark();
            }
            return QStringLiteral("%1 won; %2")
                .arg(r.snapshot->bouts.back().winner)
                .arg(marks.join(QLatin1Char(' ')));
        };
        QTRY_COMPARE_WITH_TIMEOUT(
            logged(), QStringLiteral("2 won; H:PW H:AP H:AP1 H:AP H:2 G:4 H:2 G:O1"), 5000);
    }

    // A roster by keys: a file refused (a message, nothing changed), then a 14-weight roster,
    // semicolons after a byte-order mark, imported through the file chooser by its typed
    // path; two bouts recorded with the names they had, in the meet's log and on the bout
    // sheet's PDF.
    void lineupFromARoster() {
        QVERIFY(rulesChosen({QStringLiteral("Up"), QStringLiteral("Up")})); // back to NFHS
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("roster.csv"));
        const QString bad = dir.filePath(QStringLiteral("bad.csv"));
        QByteArray roster = "\xEF\xBB\xBFWeight;Home;Guest\r\n";
        for (const int weight : RuleBook::Of(RuleBook::Set::NFHS).weights)
            roster += QByteArray::number(weight) + ";Home " + QByteArray::number(weight) +
                      ";Pe\xC3\xB1"
                      "a " +
                      QByteArray::number(weight) + "\r\n";
        for (const auto &[path, bytes] :
             {std::pair{good, roster}, std::pair{bad, QByteArray("Weight,Home\n121,A\n")}}) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        }
        const auto logged = [this] {
            QFile f(s->desktop.dataHome() + QStringLiteral("/Darezez/meet.log"));
            const MeetLog::Replay r =
                f.open(QIODevice::ReadOnly) ? MeetLog::replay(f.readAll()) : MeetLog::Replay{};
            return r.snapshot.value_or(MatchSnapshot{});
        };
        const auto names = [&logged] { return logged().texts; };
        const QString lineup = opened(QStringLiteral("u"), QStringLiteral("Darezez Lineup"));
        QVERIFY(!lineup.isEmpty());
        for (const QString &path : {bad, good}) {
            const QStringList known = s->desktop.windows();
            s->desktop.keys({QStringLiteral("alt+i")});
            const QString chooser = s->desktop.waitForNewWindow(known);
            QVERIFY(!chooser.isEmpty());
            QVERIFY(s->desktop.waitForActive(chooser));
            s->desktop.keys({QStringLiteral("ctrl+a")});
            s->desktop.type(path + QLatin1Char('\r'));
            QVERIFY(s->desktop.waitForWindowGone(chooser));
            if (path == bad) {
                const QString message = s->desktop.waitForNewWindow(known);
                QVERIFY(!message.isEmpty());
                QCOMPARE(names().size(), 0);
                s->desktop.keys({QStringLiteral("Return")});
                QVERIFY(s->desktop.waitForWindowGone(message));
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(names().size(), 28, 5000);
        s->desktop.keys({QStringLiteral("Escape")});
        QVERIFY(s->desktop.waitForWindowGone(lineup));
        const qsizetype before = logged().bouts.size();
        QStringList weights;
        for (int bout = 0; bout < 2; ++bout) {
            const QString weight = field("weight");
            s->desktop.keys({QStringLiteral("n")});
            QTRY_VERIFY_WITH_TIMEOUT(field("weight") != weight, Desktop::kWaitMs);
            weights << field("weight");
            s->desktop.keys({QStringLiteral("t"), QStringLiteral("Left")});
            QVERIFY(resultTakenAsProposed());
        }
        QTRY_COMPARE_WITH_TIMEOUT(logged().bouts.size(), before + 2, 5000);
        const QMap<quint16, QString> kept = names();
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(kept.value(Lineup::BoutTextId(before + i, 1)),
                     QStringLiteral("Home ") + weights[i]);
            QCOMPARE(kept.value(Lineup::BoutTextId(before + i, 2)),
                     QStringLiteral("Peña ") + weights[i]);
        }
        // On paper: the sheet saved as a PDF by keys has the names, marks and final score.
        const QStringList boards = s->desktop.windows();
        s->desktop.keys({QStringLiteral("m")});
        const QString sheet = waitForWindowTitled(QStringLiteral("Darezez Bout Sheet"), boards);
        QVERIFY(!sheet.isEmpty());
        s->desktop.keys({QStringLiteral("m")}); // the sheet takes the keys
        QVERIFY(s->desktop.waitForActive(sheet));
        const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
        const QStringList known = s->desktop.windows();
        s->desktop.keys({QStringLiteral("alt+d")});
        const QString chooser = s->desktop.waitForNewWindow(known);
        QVERIFY(s->desktop.waitForActive(chooser));
        s->desktop.keys({QStringLiteral("ctrl+a")});
        s->desktop.type(pdf + QLatin1Char('\r'));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pdf), Desktop::kWaitMs);
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(Desktop::kWaitMs));
        const QString read = QString::fromUtf8(text.readAllStandardOutput());
        for (const QString &wanted :
             {QStringLiteral("Home ") + weights[1], QStringLiteral("Peña ") + weights[1],
              QStringLiteral(": Decision 3-0"), QStringLiteral("T3"),
              QStringLiteral(" %1 v ").arg(field("homeScore"))})
            QVERIFY2(read.contains(wanted), qPrintable(wanted + QLatin1Char('\n') + read));
        s->desktop.keys({QStringLiteral("Escape")});
        QVERIFY(s->desktop.waitForWindowGone(sheet));
    }

    void cleanupTestCase() { s.reset(); }
};

DAREZEZ_TEST_GUILESS(tst_board)
#include "tst_board.moc"
