// The screen reader of the end-to-end tests, checked on grabs of the real board: what
// the board was told to show must be what the reader reads, in both digit styles and
// at any size.
#include "LedReader.h"
#include "TestMain.h"
#include "appearance/modStretch.h"
#include "scoreboard/BoardFixture.h"

class tst_LedReader : public QObject {
    Q_OBJECT

private slots:
    void reads_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("seed");
        for (int style : {0, 1})
            for (QSize size :
                 {QSize(632, 453), QSize(1280, 720), QSize(1920, 1080), QSize(3840, 2160)})
                for (int seed : {1, 2, 3})
                    QTest::addRow("%s %dx%d #%d", style ? "dots" : "lines", size.width(),
                                  size.height(), seed)
                        << style << size << seed;
    }
    void reads() {
        QFETCH(int, style);
        QFETCH(QSize, size);
        QFETCH(int, seed);
        BoardFixture f;
        modGlobals::LEDType = qint16(style);
        f.board->UpdateLabels();
        f.board->resize(size);
        QCoreApplication::processEvents();
        // Every digit in every position over the seeds.
        const int a = seed * 3, b = seed * 7 % 10;
        f.field("pledHomeScore").setCaption(0, a % 10);
        f.field("pledHomeScore").setCaption(1, b);
        f.field("pledGuestScore").setCaption(0, (a + 5) % 10);
        f.field("pledMatch").setCaption(0, (b + 1) % 10);
        f.field("pledMatch").setCaption(1, (b + 2) % 10);
        f.field("pledMatch").setCaption(2, (a + 3) % 10);
        f.field("pledPeriod").setCaption(0, (a + 4) % 10);
        f.field("pledWeight").setCaption(0, (a + 6) % 10);
        f.field("pledWeight").setCaption(1, (a + 8) % 10);
        f.field("pledHomeMatch").setCaption(0, (b + 9) % 10);
        // Its tens are a whole digit, read like any other.
        f.field("pledGuestMatch").setCaption(1, (a + 7) % 10);
        const int clock = (seed * 347) % 600 + 60; // above a minute: "m:ss"
        f.type(QStringLiteral("%1.%2\r").arg(clock / 60).arg(clock % 60, 2, 10, QLatin1Char('0')));
        const QImage grab = f.board->grab().toImage();
        LedReader r(grab);
        QVERIFY2(r.ok(), qPrintable(r.why()));
        QCOMPARE(r.read("homeScore"), QStringLiteral("%1%2").arg(b).arg(a % 10));
        QCOMPARE(r.read("guestScore"), QString::number((a + 5) % 10));
        QCOMPARE(r.read("match"),
                 QStringLiteral("%1%2%3").arg((a + 3) % 10).arg((b + 2) % 10).arg((b + 1) % 10));
        QCOMPARE(r.read("period"), QString::number((a + 4) % 10));
        QCOMPARE(r.read("weight"),
                 QStringLiteral("  %1%2").arg((a + 8) % 10).arg((a + 6) % 10).trimmed());
        QCOMPARE(r.read("homeMatch"), QString::number((b + 9) % 10));
        QCOMPARE(r.read("guestMatch"), QString::number((a + 7) % 10) + QLatin1Char('0'));
        QCOMPARE(r.read("clock"),
                 QStringLiteral("%1:%2").arg(clock / 60).arg(clock % 60, 2, 10, QLatin1Char('0')));
        QCOMPARE(r.read("timeAd"), QStringLiteral("0.0"));
    }
};

DAREZEZ_TEST(tst_LedReader)
#include "tst_LedReader.moc"
