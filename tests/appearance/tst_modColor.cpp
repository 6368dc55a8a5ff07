// Each of the five colours, changed on its own, shows on exactly the elements that carry
// it, read from the pixels of a grab of the real board.
#include "BoardPixels.h"
#include "TestMain.h"
#include "led/PackedColor.h"
#include "scoreboard/BoardFixture.h"

#include <QLabel>

namespace {
constexpr qint32 kGreen = 65280; // packed blue * 65536 + green * 256 + red
constexpr qint32 kBlue = 16711680;
constexpr qint32 kTeal = 8421376;
constexpr qint32 kYellow = 65535;

const QStringList kTimeFields{"picClock", "picPeriod", "picTimeAd"};
const QStringList kScoreFields{"picHomeScore", "picGuestScore", "picMatch",
                               "picWeight",    "picHomeMatch",  "picGuestMatch"};
const QStringList kLamps{"shpTimeAdHome", "shpTimeAdGuest"};
} // namespace

class tst_modColor : public QObject {
    Q_OBJECT

    QRect rectOf(BoardFixture &fx, const QString &name) {
        QWidget *w = fx.board->findChild<QWidget *>(name);
        return w ? QRect(w->mapTo(fx.board, QPoint(0, 0)), w->size()) : QRect();
    }
    QList<QRect> rectsOf(BoardFixture &fx, const QStringList &names) {
        QList<QRect> rects;
        for (const QString &n : names)
            rects << rectOf(fx, n);
        return rects;
    }
    QImage grab(BoardFixture &fx) {
        fx.board->UpdateFormColors();
        QCoreApplication::processEvents();
        return fx.board->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void oneColourAtATime_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<qint32>("colour");
        QTest::addColumn<QStringList>("carriers"); // each shows the colour
        QTest::addColumn<QStringList>("allowed");  // nothing outside them does
        QTest::newRow("time") << "LEDTimeColor" << kGreen << kTimeFields << kTimeFields;
        QTest::newRow("score") << "LEDScoreColor" << kGreen << kScoreFields << kScoreFields;
        QTest::newRow("digit background")
            << "LEDBackColor" << kBlue << (kTimeFields + kScoreFields + kLamps)
            << (kTimeFields + kScoreFields + kLamps);
        QStringList labels{"lblHomeScore",   "lblGuestScore", "lblWeb",
                           "lblMatchNumber", "lblPeriod",     "lblWeight",
                           "lblHomeMatch",   "lblTimeAd",     "lblGuestMatch"};
        // At 10:00 both clock dots show; the time advantage shows only its point.
        QStringList dots{"shpTime_0", "shpTime_1", "shpTimeAd_1"};
        QTest::newRow("text") << "TextColor" << kYellow << (labels + dots) << (labels + dots);
    }
    void oneColourAtATime() {
        QFETCH(QString, option);
        QFETCH(qint32, colour);
        QFETCH(QStringList, carriers);
        QFETCH(QStringList, allowed);
        BoardFixture fx;
        fx.board->resize(1264, 906);
        QCoreApplication::processEvents();
        qint32 *target = option == "LEDTimeColor"    ? &modGlobals::LEDTimeColor
                         : option == "LEDScoreColor" ? &modGlobals::LEDScoreColor
                         : option == "LEDBackColor"  ? &modGlobals::LEDBackColor
                                                     : &modGlobals::TextColor;
        *target = colour;
        const QImage image = grab(fx);
        const QRgb rgb = PackedColor::ToQColor(colour).rgb();
        for (const QString &name : carriers)
            QVERIFY2(BoardPixels::countInside(image, rgb, rectOf(fx, name)) > 20, qPrintable(name));
        QCOMPARE(BoardPixels::countOutside(image, rgb, rectsOf(fx, allowed)), 0);
    }

    void theLampTakesTheScoreColourWhenLit() {
        BoardFixture fx;
        modGlobals::LEDScoreColor = kGreen;
        const QRgb rgb = PackedColor::ToQColor(kGreen).rgb();
        QImage image = grab(fx);
        QCOMPARE(BoardPixels::countInside(image, rgb, rectOf(fx, "shpTimeAdHome")), 0);
        fx.key(Qt::Key_Left);
        image = grab(fx);
        QVERIFY(BoardPixels::countInside(image, rgb, rectOf(fx, "shpTimeAdHome")) > 20);
        QCOMPARE(BoardPixels::countInside(image, rgb, rectOf(fx, "shpTimeAdGuest")), 0);
        fx.key(Qt::Key_Right);
        image = grab(fx);
        QCOMPARE(BoardPixels::countInside(image, rgb, rectOf(fx, "shpTimeAdHome")), 0);
        QVERIFY(BoardPixels::countInside(image, rgb, rectOf(fx, "shpTimeAdGuest")) > 20);
    }

    void windowColourFillsAllButTheDigits() {
        BoardFixture fx;
        modGlobals::FormColor = kTeal;
        const QImage image = grab(fx);
        const QRgb rgb = PackedColor::ToQColor(kTeal).rgb();
        for (const QRect &r : rectsOf(fx, kTimeFields + kScoreFields))
            QCOMPARE(BoardPixels::countInside(image, rgb, r), 0);
        // The unlit lamps are filled with it, and it is the board's background.
        for (const QRect &r : rectsOf(fx, kLamps))
            QVERIFY(BoardPixels::countInside(image, rgb, r) > r.width() * r.height() / 3);
        QVERIFY(BoardPixels::countInside(image, rgb, image.rect()) >
                image.width() * image.height() / 3);
    }
};

DAREZEZ_TEST(tst_modColor)
#include "tst_modColor.moc"
