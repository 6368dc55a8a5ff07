// The crowd's display on the real program: on an X server with two monitors (the test
// command's second server, named by DAREZEZ_TWO_SCREENS) F2 puts it on the other monitor,
// and on the ordinary single-screen desktop it is a window of its own. Steps run in order
// on one program, as at a meet.
#include "BoardSession.h"
#include "LedReader.h"
#include "TestMain.h"
#include "TimeReading.h"

#include <QDeadlineTimer>
#include <QDir>

namespace {
const QRect kOperatorMonitor(0, 0, 1920, 1080);
const QRect kAudienceMonitor(1920, 0, 1920, 1080);
const QString kMode = QStringLiteral("1920x1080_60.00");
const QString kTitle = QStringLiteral("Darezez Audience");

bool xrandr(const QStringList &args) {
    return Desktop::run(QStringLiteral("xrandr"), args);
}
bool plugSecondMonitor() {
    return xrandr({QStringLiteral("--output"), QStringLiteral("DUMMY1"), QStringLiteral("--mode"),
                   kMode, QStringLiteral("--pos"), QStringLiteral("1920x0")});
}
// The difference of two readings of a time field in shown steps: a second on "m:ss",
// a tenth on "ss.t".
double stepsApart(const QString &a, const QString &b) {
    const double step = a.contains(QLatin1Char('.')) ? 0.1 : 1.0;
    return std::abs(shownSeconds(a) - shownSeconds(b)) / step;
}
// QTRY_* counts its polls, not the time: a check that takes a screenshot and reads it
// would wait many times longer than asked. This waits by the clock.
template <typename Check> bool within(int ms, Check check) {
    QDeadlineTimer deadline(ms);
    while (!check()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}
// Rows of `b` that differ from `a`, as [first, last]; {-1, -1} when none do.
QPair<int, int> changedRows(const QImage &a, const QImage &b) {
    QPair<int, int> rows{-1, -1};
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y),
                        size_t(std::min(a.bytesPerLine(), b.bytesPerLine()))) != 0) {
            if (rows.first < 0)
                rows.first = y;
            rows.second = y;
        }
    }
    return rows;
}
} // namespace

class tst_audience : public QObject {
    Q_OBJECT

    std::unique_ptr<BoardSession> s;
    QByteArray xvfbDisplay;
    QByteArray twoScreens;
    QString audience;
    QImage shot;

    // One picture of the whole server: both windows as they were at the same moment.
    QImage board() const { return shot.copy(s->desktop.geometry(s->board)); }
    QImage crowd() const { return shot.copy(kAudienceMonitor); }
    void snap() { shot = s->desktop.screenshot(); }

    QString waitForWindowTitled(const QString &title, const QStringList &known) {
        const QString id = s->desktop.waitForNewWindow(known);
        QByteArray name;
        Desktop::run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id}, &name);
        return QString::fromUtf8(name).trimmed() == title ? id : QString();
    }
    void keepScreenshot(const QString &name) {
        const QString dir = qEnvironmentVariable("DAREZEZ_ARTIFACTS", QDir::tempPath());
        QDir().mkpath(dir);
        const QString file = dir + QStringLiteral("/tst_audience-%1.png").arg(name);
        s->desktop.screenshot().save(file);
        qInfo("screenshot kept: %s", qPrintable(file));
    }
    bool sameReadings() {
        snap();
        const LedReader b(board()), a(crowd());
        return b.ok() && a.ok() && b.summary() == a.summary();
    }
    QString crowdClock() {
        snap();
        return LedReader(crowd()).read(QStringLiteral("clock"));
    }
    double boardClock() {
        return shownSeconds(LedReader(s->desktop.grab(s->board)).read(QStringLiteral("clock")));
    }
    bool boardChangedFrom(const QImage &previous, QImage *now) {
        snap();
        *now = board();
        return changedRows(previous, *now).first >= 0;
    }
    void needTwoScreens() {
        if (twoScreens.isEmpty())
            QSKIP("no X server with two monitors (DAREZEZ_TWO_SCREENS is unset); the README's "
                  "test command starts one");
    }

private slots:
    void initTestCase() {
        xvfbDisplay = qgetenv("DISPLAY");
        twoScreens = qgetenv("DAREZEZ_TWO_SCREENS");
        if (!twoScreens.isEmpty())
            qputenv("DISPLAY", twoScreens);
        s = std::make_unique<BoardSession>();
        if (!s->desktop.available())
            QSKIP(qPrintable(s->desktop.why()));
    }
    void cleanup() {
        if (QTest::currentTestFailed())
            keepScreenshot(QString::fromLatin1(QTest::currentTestFunction()));
    }

    void opensCoveringTheSecondMonitor() {
        needTwoScreens();
        QVERIFY(plugSecondMonitor());
        QVERIFY(s->open());
        QVERIFY(kOperatorMonitor.contains(s->desktop.geometry(s->board)));
        const QStringList known = s->desktop.windows();
        s->desktop.keys({QStringLiteral("F2")});
        audience = waitForWindowTitled(kTitle, known);
        QVERIFY(!audience.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(s->desktop.geometry(audience), kAudienceMonitor, 5000);
        // The operator keeps the keyboard.
        QCOMPARE(s->desktop.activeWindow(), s->board);
    }

    void readsAsTheBoardWhileTheClockRuns() {
        needTwoScreens();
        s->desktop.type(QStringLiteral("0.40\r"));
        s->desktop.keys({QStringLiteral("s"), QStringLiteral("Left")});
        for (int sample = 0; sample < 8; ++sample) {
            snap();
            const LedReader b(board()), a(crowd());
            QVERIFY2(b.ok() && a.ok(), qPrintable(b.why() + a.why()));
            for (const char *f : {"clock", "timeAd"}) {
                const QString onBoard = b.read(QLatin1String(f));
                const QString onCrowd = a.read(QLatin1String(f));
                QVERIFY2(stepsApart(onBoard, onCrowd) <= 1.0 + 1e-6,
                         qPrintable(QStringLiteral("%1: board %2, audience %3")
                                        .arg(QLatin1String(f), onBoard, onCrowd)));
            }
        }
        s->desktop.keys({QStringLiteral("s")});
        // Stopped, both settle on the same reading of every field.
        QVERIFY(within(5000, [&] { return sameReadings(); }));
        const LedReader stopped(crowd());
        QVERIFY(shownSeconds(stopped.read("clock")) < 40);
        QVERIFY(shownSeconds(stopped.read("timeAd")) > 0);
    }

    void typedTextShowsOnTheStripOnly() {
        needTwoScreens();
        snap();
        const QImage boardBefore = board(), crowdBefore = crowd();
        const QString clockBefore = LedReader(crowdBefore).read("clock");
        QImage boardTyped = boardBefore;
        // Each key changes the strip under the board, and nothing on the crowd's display.
        for (const char *key : {"2", "period", "3", "0"}) {
            const QImage previous = boardTyped;
            s->desktop.keys({QLatin1String(key)});
            QVERIFY(within(3000, [&] { return boardChangedFrom(previous, &boardTyped); }));
            const auto rows = changedRows(boardBefore, boardTyped);
            QVERIFY2(rows.first > boardTyped.height() * 9 / 10,
                     qPrintable(QStringLiteral("rows %1-%2 of %3 changed")
                                    .arg(rows.first)
                                    .arg(rows.second)
                                    .arg(boardTyped.height())));
            QCOMPARE(crowd(), crowdBefore);
        }
        keepScreenshot(QStringLiteral("typed"));
        s->desktop.keys({QStringLiteral("Return")});
        QVERIFY(within(3000, [&] { return crowdClock() == QStringLiteral("2:30"); }));
        QVERIFY(clockBefore != QStringLiteral("2:30"));
        QCOMPARE(LedReader(board()).read("clock"), QStringLiteral("2:30"));
    }

    void optionsAndHelpOpenOnTheOperatorsMonitor() {
        needTwoScreens();
        const QStringList known = s->desktop.windows();
        s->desktop.keys({QStringLiteral("o")});
        const QString dialog = waitForWindowTitled(QStringLiteral("Options"), known);
        QVERIFY(!dialog.isEmpty());
        QVERIFY2(kOperatorMonitor.contains(s->desktop.geometry(dialog)),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(s->desktop.geometry(dialog).x())
                                .arg(s->desktop.geometry(dialog).y())
                                .arg(s->desktop.geometry(dialog).width())
                                .arg(s->desktop.geometry(dialog).height())));
        s->desktop.activate(dialog);
        s->desktop.keys({QStringLiteral("alt+c")}); // Cancel: Esc does not close it
        QVERIFY(s->desktop.waitForWindowGone(dialog));
        QCOMPARE(s->desktop.geometry(audience), kAudienceMonitor);
        s->desktop.activate(s->board);
        s->desktop.keys({QStringLiteral("h")});
        const QString help = waitForWindowTitled(QStringLiteral("Darezez Help"), known);
        QVERIFY(!help.isEmpty());
        QVERIFY(kOperatorMonitor.contains(s->desktop.geometry(help)));
        s->desktop.activate(help);
        s->desktop.keys({QStringLiteral("alt+F4")});
        QVERIFY(s->desktop.waitForWindowGone(help));
    }

    void unpluggingClosesItAndTheBoardCounts() {
        needTwoScreens();
        s->desktop.activate(s->board);
        s->desktop.keys({QStringLiteral("s")});
        QVERIFY(xrandr(
            {QStringLiteral("--output"), QStringLiteral("DUMMY1"), QStringLiteral("--off")}));
        QVERIFY(s->desktop.waitForWindowGone(audience));
        QVERIFY(s->desktop.running());
        const double first = boardClock();
        QVERIFY(within(5000, [&] { return boardClock() < first; }));
    }

    void pluggingBackOpensItAgain() {
        needTwoScreens();
        const QStringList known = s->desktop.windows();
        QVERIFY(plugSecondMonitor());
        audience = waitForWindowTitled(kTitle, known);
        QVERIFY(!audience.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(s->desktop.geometry(audience), kAudienceMonitor, 5000);
        s->desktop.keys({QStringLiteral("s")});
        QVERIFY(within(5000, [&] { return sameReadings(); }));
        QVERIFY(shownSeconds(LedReader(crowd()).read("clock")) < 150);
    }

    void f2ClosesItAndTheStrip() {
        needTwoScreens();
        const int withStrip = s->desktop.geometry(s->board).height();
        s->desktop.keys({QStringLiteral("F2")});
        QVERIFY(s->desktop.waitForWindowGone(audience));
        QTRY_VERIFY_WITH_TIMEOUT(s->desktop.geometry(s->board).height() < withStrip, 3000);
        s->desktop.stop();
    }

    // One screen: an ordinary window the operator can move, and F11 fills the screen with it.
    void oneScreenGivesAWindowThatF11Fills() {
        qputenv("DISPLAY", xvfbDisplay);
        s = std::make_unique<BoardSession>();
        QVERIFY(s->open());
        const QRect boardBefore = s->desktop.geometry(s->board);
        const QStringList known = s->desktop.windows();
        s->desktop.keys({QStringLiteral("F2")});
        audience = waitForWindowTitled(kTitle, known);
        QVERIFY(!audience.isEmpty());
        QCOMPARE(s->desktop.activeWindow(), s->board);
        const QRect window = s->desktop.geometry(audience);
        QVERIFY2(window.width() < 3840 && window.height() < 2160,
                 qPrintable(QStringLiteral("%1x%2").arg(window.width()).arg(window.height())));
        s->desktop.keys({QStringLiteral("F11")});
        QTRY_COMPARE_WITH_TIMEOUT(s->desktop.geometry(audience), QRect(0, 0, 3840, 2160), 5000);
        QCOMPARE(s->desktop.geometry(s->board).size().width(), boardBefore.width());
        s->desktop.keys({QStringLiteral("F11")});
        QTRY_VERIFY_WITH_TIMEOUT(s->desktop.geometry(audience).width() < 3840, 5000);
        // Closing the board closes the crowd's display and ends the program.
        s->desktop.keys({QStringLiteral("alt+F4")});
        QTRY_VERIFY_WITH_TIMEOUT(!s->desktop.running(), 5000);
    }

    void cleanupTestCase() {
        if (!twoScreens.isEmpty()) {
            qputenv("DISPLAY", twoScreens);
            plugSecondMonitor();
        }
        s.reset();
    }
};

DAREZEZ_TEST_GUILESS(tst_audience)
#include "tst_audience.moc"
