// The real program with its feed on, and its pages in headless Chromium: what a browser
// shows of /overlay and / against what the board's screen shows, read from screenshots.
// One program and one browser for the whole run, steps in order.
#include "FeedBoard.h"
#include "PageDriver.h"
#include "TestMain.h"
#include "TimeReading.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace {

struct Page {
    QString name;
    QString path;
    // A JavaScript expression: the page's texts by the reader's field names.
    QString texts;
};

// The overlay writes "T.A. 1.2 Tigers" and "Period 2"; the time and the number are compared.
const Page kOverlay{QStringLiteral("overlay"), QStringLiteral("/overlay"),
                    QStringLiteral(R"((() => {
  const t = id => document.getElementById(id).textContent;
  const ad = /^T\.A\. (\S+)/.exec(t('timeAd'));
  return {clock: t('clock'), timeAd: ad ? ad[1] : '', homeScore: t('homeScore'),
          guestScore: t('guestScore'), homeMatch: t('homeMatch'), guestMatch: t('guestMatch'),
          period: t('period').replace(/^Period /, '')};
})())")};

// The board writes each field's text, for screen readers, beside its digits.
const Page kBoard{QStringLiteral("board"), QStringLiteral("/"), QStringLiteral(R"((() => {
  const t = id => { const e = document.getElementById(id); return e ? e.textContent : null; };
  return {clock: t('picClock'), timeAd: t('picTimeAd'), homeScore: t('picHomeScore'),
          guestScore: t('picGuestScore'), homeMatch: t('picHomeMatch'),
          guestMatch: t('picGuestMatch'), match: t('picMatch'), period: t('picPeriod'),
          weight: t('picWeight')};
})())")};

bool isTime(const QString &field) {
    return field == QLatin1String("clock") || field == QLatin1String("timeAd");
}

int tenths(const QString &shown) {
    return int(std::lround(shownSeconds(shown) * 10));
}

} // namespace

class tst_feedBrowser : public QObject {
    Q_OBJECT

    std::unique_ptr<BoardSession> s;
    std::unique_ptr<PageDriver> browser;
    quint16 port = 0;
    int aboveAMinute = 0;
    int belowAMinute = 0;

    LedReader read() { return LedReader(s->desktop.grab(s->board)); }
    void clickField(const char *name) {
        const QRect box = read().box(QLatin1String(name));
        const QRect g = s->desktop.geometry(s->board);
        s->desktop.click(g.x() + box.center().x(), g.y() + box.center().y());
    }
    QJsonObject texts(const Page &page) { return browser->eval(page.name, page.texts).toObject(); }
    // Waits until the page shows what the board's screen shows, field by field.
    bool pageShows(const Page &page, const LedReader &board) {
        const QStringList fields = texts(page).keys();
        if (fields.isEmpty()) {
            qWarning("%s gave no texts: %s", qPrintable(page.path), qPrintable(browser->why()));
            return false;
        }
        QJsonObject want;
        for (const QString &field : fields)
            want.insert(field, board.read(field));
        const QString json = QString::fromUtf8(QJsonDocument(want).toJson(QJsonDocument::Compact));
        if (browser->until(page.name,
                           QStringLiteral("((want, got) => Object.keys(want).every("
                                          "k => got[k] === want[k]))(%1, %2)")
                               .arg(json, page.texts),
                           Desktop::kWaitMs))
            return true;
        qWarning("%s shows %s, the board %s", qPrintable(page.path),
                 QJsonDocument(texts(page)).toJson(QJsonDocument::Compact).constData(),
                 json.toUtf8().constData());
        return false;
    }
    // While the clock runs: the page's texts just before and just after a picture of the
    // board; empty when the board's times lie between them, give or take one shown step,
    // and every other field is the same, else what differs.
    QString compareRunning(const Page &page) {
        const QJsonObject before = texts(page);
        const LedReader board = read();
        const QJsonObject after = texts(page);
        if (!board.ok())
            return board.why();
        if (before.isEmpty() || after.isEmpty())
            return QStringLiteral("no texts: ") + browser->why();
        for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
            const QString field = it.key();
            const QString shown = board.read(field);
            const QString first = it.value().toString();
            const QString last = after.value(field).toString();
            bool same = shown == first && shown == last;
            if (isTime(field)) {
                const int b = tenths(shown), x = tenths(first), y = tenths(last);
                const int step = std::max({b, x, y}) >= 600 ? 10 : 1;
                same = x >= 0 && y >= 0 && b >= std::min(x, y) - step && b <= std::max(x, y) + step;
                if (field == QLatin1String("clock"))
                    ++(b >= 600 ? aboveAMinute : belowAMinute);
            }
            if (!same)
                return QStringLiteral("%1: the board %2, %3 before and %4 after it")
                    .arg(field, shown, first, last);
        }
        return {};
    }

private slots:
    void initTestCase() {
        s = std::make_unique<BoardSession>();
        if (!s->desktop.available())
            QSKIP(qPrintable(s->desktop.why()));
        browser = std::make_unique<PageDriver>(QStringLiteral(DAREZEZ_PAGE_DRIVER));
        if (!browser->start()) {
            if (browser->skipped())
                QSKIP(qPrintable(browser->why()));
            QFAIL(qPrintable(browser->why()));
        }
        port = FeedBoard::Open(*s);
        QVERIFY2(port, "the board's feed did not come up");
    }
    void cleanup() {
        if (QTest::currentTestFailed()) {
            const QString dir = qEnvironmentVariable("DAREZEZ_ARTIFACTS", QDir::tempPath());
            QDir().mkpath(dir);
            const QString file =
                dir + QStringLiteral("/tst_feedBrowser-%1.png").arg(QTest::currentTestFunction());
            s->desktop.screenshot().save(file);
            qWarning("screenshot kept: %s", qPrintable(file));
        }
    }

    void pagesShowTheBoardAsItOpens() {
        const QString base = QStringLiteral("http://127.0.0.1:%1").arg(port);
        for (const Page &page : {kOverlay, kBoard}) {
            QVERIFY2(browser->open(page.name, base + page.path), qPrintable(browser->why()));
            QVERIFY(
                browser->until(page.name, page.texts + QStringLiteral(".clock"), Desktop::kWaitMs));
            QVERIFY(pageShows(page, read()));
            // Gone after a reload.
            browser->eval(page.name, QStringLiteral("window.stayed = 1"));
        }
        QCOMPARE(texts(kOverlay).value(QLatin1String("clock")).toString(), QStringLiteral("10:00"));
    }

    // From above a minute to below it, with time advantage counting: the pages follow the
    // board within one shown step.
    void runningClockMatchesTheBoard() {
        s->desktop.type(QStringLiteral("1.03\r"));
        QTRY_COMPARE_WITH_TIMEOUT(read().read("clock"), QStringLiteral("1:03"), Desktop::kWaitMs);
        s->desktop.keys({QStringLiteral("s"), QStringLiteral("Left")});
        QTRY_VERIFY_WITH_TIMEOUT(shownSeconds(read().read("timeAd")) > 0, Desktop::kWaitMs);
        QDeadlineTimer deadline(2 * Desktop::kWaitMs);
        while (belowAMinute < 6) {
            for (const Page &page : {kOverlay, kBoard}) {
                const QString differs = compareRunning(page);
                QVERIFY2(differs.isEmpty(), qPrintable(page.path + QStringLiteral(" ") + differs));
            }
            QVERIFY2(!deadline.hasExpired(), "the clock never went below a minute");
        }
        qInfo("%d comparisons above a minute, %d below it", aboveAMinute, belowAMinute);
        QVERIFY(aboveAMinute >= 2);
    }

    void stoppedClockMatchesExactly() {
        s->desktop.keys({QStringLiteral("s")});
        QVERIFY(browser->until(kBoard.name, QStringLiteral("window.state && !state.clockRunning"),
                               Desktop::kWaitMs));
        // The board stands still once two pictures of it read the same.
        LedReader board = read();
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const LedReader again = read();
                const bool still = again.summary() == board.summary();
                board = again;
                return still;
            }(),
            Desktop::kWaitMs);
        QVERIFY(shownSeconds(board.read("clock")) < 60);
        QVERIFY(shownSeconds(board.read("timeAd")) > 0);
        QVERIFY(pageShows(kOverlay, board));
        QVERIFY(pageShows(kBoard, board));
        // The overlay stands on the video: nothing of its own behind the bar.
        QCOMPARE(browser
                     ->eval(kOverlay.name,
                            QStringLiteral("getComputedStyle(document.body).backgroundColor"))
                     .toString(),
                 QStringLiteral("rgba(0, 0, 0, 0)"));
        // Below a minute (and above ten seconds) the clock, the third field drawn, lights three
        // digits and leaves the fourth dark; the holder's lamp is lit in the score colour.
        QCOMPARE(browser
                     ->eval(kBoard.name,
                            QStringLiteral("Array.from(document.querySelectorAll('#board svg')"
                                           "[2].querySelectorAll('g')).map(g => "
                                           "g.lastChild.getAttribute('d') !== '').join()"))
                     .toString(),
                 QStringLiteral("true,true,true,false"));
        QCOMPARE(browser
                     ->eval(kBoard.name,
                            QStringLiteral("Array.from(document.querySelectorAll('#board "
                                           "ellipse')).filter(e => e.getAttribute('fill') === "
                                           "state.colors.ledScore).length"))
                     .toInt(),
                 1);
    }

    void typedScoresShowWithoutReloading_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("home") << QStringLiteral("homeScore") << QStringLiteral("12\r")
                              << QStringLiteral("12");
        QTest::newRow("guest") << QStringLiteral("guestScore") << QStringLiteral("7\r")
                               << QStringLiteral("7");
        QTest::newRow("guest adds")
            << QStringLiteral("guestScore") << QStringLiteral("+3") << QStringLiteral("10");
    }
    void typedScoresShowWithoutReloading() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        clickField(qPrintable(field));
        s->desktop.type(typed);
        QTRY_COMPARE_WITH_TIMEOUT(read().read(field), shown, Desktop::kWaitMs);
        const LedReader board = read();
        for (const Page &page : {kOverlay, kBoard}) {
            QVERIFY(pageShows(page, board));
            QCOMPARE(browser->eval(page.name, QStringLiteral("window.stayed")).toInt(), 1);
        }
    }

    void closesCleanly() {
        const QString wrong = FeedBoard::Close(*s);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }

    void cleanupTestCase() {
        browser.reset();
        s.reset();
    }
};

DAREZEZ_TEST_GUILESS(tst_feedBrowser)
#include "tst_feedBrowser.moc"
