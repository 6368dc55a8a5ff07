// Scaling the board to the window: the recorded reference, the rounding floors, and
// grabs of the real board from a laptop screen to an 8K wall.
#include "BoardPixels.h"
#include "TestMain.h"
#include "appearance/PictureBox.h"
#include "appearance/Shape.h"
#include "appearance/Twips.h"
#include "appearance/modStretch.h"
#include "led/PackedColor.h"
#include "led/VaviZAV.h"
#include "scoreboard/BoardFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr QRgb kFrameGrey = 0xC0C0C0;

// A small window with one control of each kind the layout scales, and some it must not.
struct Form {
    QWidget window;
    PictureBox *picture;
    QLabel *label;
    Shape *shape;
    VaviZAV *digit;
    QPushButton *button;
    QLineEdit *edit;
    QTimer *timer;

    Form() {
        window.resize(600, 400); // 9000 x 6000 twips
        picture = new PictureBox(&window);
        Twips::SetGeometry(picture, {0, 1500, 3000, 1500});
        label = new QLabel(QStringLiteral("Home"), &window);
        Twips::SetGeometry(label, {4500, 0, 3000, 600});
        Twips::SetFontPoints(label, 12);
        shape = new Shape(&window);
        shape->setBorderWidth(3);
        Twips::SetGeometry(shape, {4500, 3000, 1500, 1500});
        digit = new VaviZAV(picture);
        digit->setSize(900);
        Twips::Move(digit, 150, 150);
        button = new QPushButton(QStringLiteral("OK"), &window);
        button->setGeometry(500, 350, 80, 30);
        edit = new QLineEdit(&window);
        edit->setGeometry(400, 300, 150, 24);
        timer = new QTimer(&window);
        timer->setInterval(40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        modStretch::RecordLayout(&window);
    }
    void stretchTo(int w, int h) {
        window.resize(w, h);
        modStretch::StretchLayout(&window);
    }
};

// The nine number fields of a grab: dark areas holding lit or unlit digit segments.
QList<BoardPixels::Area> fieldAreas(const QImage &grab) {
    const QRgb back = PackedColor::ToQColor(modGlobals::LEDBackColor).rgb();
    auto dark = [back](QRgb p) {
        return BoardPixels::isNear(p, back, 6) || BoardPixels::isChromatic(p);
    };
    QList<BoardPixels::Area> fields;
    for (const auto &a : BoardPixels::areas(grab, dark, BoardPixels::isChromatic)) {
        if (a.marked > 50)
            fields.append(a);
    }
    return fields;
}
} // namespace

class tst_modStretch : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    // Window size in pixels -> what the controls become.
    void form_data() {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<int>("digitSize");
        QTest::addColumn<double>("fontPoints");
        QTest::addColumn<int>("borderWidth");
        QTest::addColumn<QRectF>("picture");
        QTest::newRow("reference")
            << QSize(600, 400) << 900 << 12.0 << 3 << QRectF(0, 1500, 3000, 1500);
        QTest::newRow("half height")
            << QSize(600, 200) << 450 << 6.0 << 2 << QRectF(0, 750, 3000, 750);
        QTest::newRow("double") << QSize(1200, 800) << 1800 << 24.0 << 6
                                << QRectF(0, 3000, 6000, 3000);
        QTest::newRow("wide and flat")
            << QSize(1800, 100) << 225 << 3.0 << 1 << QRectF(0, 375, 9000, 375);
        QTest::newRow("a sliver") << QSize(600, 2) << 5 << 1.0 << 1 << QRectF(0, 7.5, 3000, 7.5);
        QTest::newRow("8K") << QSize(7680, 4320) << 9720 << 129.6 << 32
                            << QRectF(0, 16200, 38400, 16200);
    }
    void form() {
        QFETCH(QSize, window);
        Form f;
        const QRect button = f.button->geometry(), edit = f.edit->geometry();
        f.stretchTo(window.width(), window.height());
        QFETCH(int, digitSize);
        QFETCH(double, fontPoints);
        QFETCH(int, borderWidth);
        QFETCH(QRectF, picture);
        QCOMPARE(f.digit->Size(), digitSize);
        QCOMPARE(Twips::FontPoints(f.label), fontPoints);
        QCOMPARE(f.shape->BorderWidth(), borderWidth);
        const QRectF g = Twips::Geometry(f.picture);
        QCOMPARE(g.left(), 0.0); // a control at Left 0 stays there
        QVERIFY2(
            std::abs(g.top() - picture.top()) < 1 && std::abs(g.width() - picture.width()) < 1 &&
                std::abs(g.height() - picture.height()) < 1,
            qPrintable(QStringLiteral("%1 %2 %3").arg(g.top()).arg(g.width()).arg(g.height())));
        // Not the layout's business.
        QCOMPARE(f.button->geometry(), button);
        QCOMPARE(f.edit->geometry(), edit);
        QCOMPARE(f.timer->interval(), 40);
    }

    void backToTheReferenceAfterManySizes() {
        Form f;
        const QRectF picture = Twips::Geometry(f.picture), label = Twips::Geometry(f.label);
        for (int i = 0; i < 50; ++i)
            f.stretchTo(203 + 37 * i, 97 + 53 * i);
        f.stretchTo(600, 400);
        QCOMPARE(Twips::Geometry(f.picture), picture);
        QCOMPARE(Twips::Geometry(f.label), label);
        QCOMPARE(f.digit->Size(), 900);
        QCOMPARE(Twips::FontPoints(f.label), 12.0);
    }

    void theBoardAtItsDesignSizeIsUnchanged() {
        BoardFixture fx;
        QList<QPair<QWidget *, QRect>> before;
        for (const auto &entry : modStretch::LayoutControls(&fx.board->Picture()))
            before.append({entry.control, entry.control->geometry()});
        QVERIFY(before.size() > 40);
        fx.board->resize(fx.board->size() + QSize(300, 200));
        fx.board->resize(632, 453);
        QCoreApplication::processEvents();
        for (const auto &[control, geometry] : before) {
            const QRect now = control->geometry();
            QVERIFY2((now.topLeft() - geometry.topLeft()).manhattanLength() <= 1 &&
                         std::abs(now.width() - geometry.width()) <= 1 &&
                         std::abs(now.height() - geometry.height()) <= 1,
                     qPrintable(control->objectName()));
        }
    }

    void minimisedChangesNothingRestoredRescales() {
        BoardFixture fx;
        VaviZAV *digit = fx.field("pledClock").at(0);
        const int size = digit->Size();
        fx.board->showMinimized();
        QCoreApplication::processEvents();
        if (fx.board->isMinimized()) {
            fx.board->resize(316, 226);
            QCoreApplication::processEvents();
            QCOMPARE(digit->Size(), size);
        }
        fx.board->showNormal();
        fx.board->resize(1264, 906);
        QCoreApplication::processEvents();
        QCOMPARE(digit->Size(), 2 * size);
    }

    void grabs_data() {
        QTest::addColumn<QSize>("window");
        QTest::newRow("720p") << QSize(1280, 720);
        QTest::newRow("1080p") << QSize(1920, 1080);
        QTest::newRow("4K") << QSize(3840, 2160);
        QTest::newRow("8K") << QSize(7680, 4320);
    }
    void grabs() {
        BoardFixture fx;
        const QImage design = fx.board->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QList<BoardPixels::Area> reference = fieldAreas(design);
        QCOMPARE(reference.size(), 9);

        QFETCH(QSize, window);
        fx.board->resize(window);
        QCoreApplication::processEvents();
        QCOMPARE(fx.board->size(), window);
        const QImage grab = fx.board->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (!qEnvironmentVariableIsEmpty("DAREZEZ_GRAB_DIR"))
            grab.save(qEnvironmentVariable("DAREZEZ_GRAB_DIR") +
                      QStringLiteral("/board-%1x%2.png").arg(window.width()).arg(window.height()));
        const QList<BoardPixels::Area> fields = fieldAreas(grab);
        QCOMPARE(fields.size(), 9);

        qint64 chromatic = 0;
        for (int y = 0; y < grab.height(); ++y)
            for (int x = 0; x < grab.width(); ++x)
                chromatic += BoardPixels::isChromatic(grab.pixel(x, y)) ? 1 : 0;
        qint64 inFields = 0;
        const double sx = double(window.width()) / design.width();
        const double sy = double(window.height()) / design.height();
        for (int i = 0; i < fields.size(); ++i) {
            const auto &a = fields[i];
            inFields += a.marked;
            // A container is a filled rectangle: digits that spill out would break its edge.
            QVERIFY2(a.pixels >= 0.97 * a.box.width() * a.box.height(),
                     qPrintable(QStringLiteral("field %1 is not a rectangle").arg(i)));
            for (int j = i + 1; j < fields.size(); ++j)
                QVERIFY(!a.box.intersects(fields[j].box));
            // Same place and size relative to the window as at the design size.
            const QPointF centre = QRectF(a.box).center();
            const auto nearest =
                std::min_element(reference.begin(), reference.end(), [&](auto &p, auto &q) {
                    const QPointF dp = QRectF(p.box).center() * 1.0, dq = QRectF(q.box).center();
                    return QLineF(QPointF(dp.x() * sx, dp.y() * sy), centre).length() <
                           QLineF(QPointF(dq.x() * sx, dq.y() * sy), centre).length();
                });
            const QRect &r = nearest->box;
            const QRectF expected(r.x() * sx, r.y() * sy, r.width() * sx, r.height() * sy);
            const double tx = 2 * sx + 1, ty = 2 * sy + 1;
            QVERIFY2(std::abs(a.box.x() - expected.x()) <= tx &&
                         std::abs(a.box.y() - expected.y()) <= ty &&
                         std::abs(a.box.width() - expected.width()) <= tx &&
                         std::abs(a.box.height() - expected.height()) <= ty,
                     qPrintable(QStringLiteral("field %1 at %2,%3 %4x%5, expected %6,%7 %8x%9")
                                    .arg(i)
                                    .arg(a.box.x())
                                    .arg(a.box.y())
                                    .arg(a.box.width())
                                    .arg(a.box.height())
                                    .arg(expected.x())
                                    .arg(expected.y())
                                    .arg(expected.width())
                                    .arg(expected.height())));
        }
        // Every digit segment, lit or not, lies inside a field.
        QCOMPARE(inFields, chromatic);

        // The grey frame encloses the match clock, the field nearest the top.
        const QRgb frame = kFrameGrey;
        QList<BoardPixels::Area> rings =
            BoardPixels::areas(grab, [frame](QRgb p) { return BoardPixels::isNear(p, frame, 24); });
        std::sort(rings.begin(), rings.end(), [](auto &a, auto &b) { return a.pixels > b.pixels; });
        QVERIFY(!rings.isEmpty());
        const QRect ring = rings.front().box;
        const QRect clock = std::min_element(fields.begin(), fields.end(), [](auto &a, auto &b) {
                                return a.box.top() < b.box.top();
                            })->box;
        QVERIFY2(ring.contains(clock.adjusted(-1, -1, 1, 1)),
                 qPrintable(QStringLiteral("frame %1,%2 %3x%4 clock %5,%6 %7x%8")
                                .arg(ring.x())
                                .arg(ring.y())
                                .arg(ring.width())
                                .arg(ring.height())
                                .arg(clock.x())
                                .arg(clock.y())
                                .arg(clock.width())
                                .arg(clock.height())));
        // The board fills the window: fields reach close to each side.
        QRect all;
        for (const auto &a : fields)
            all |= a.box;
        QVERIFY(all.left() < 0.03 * window.width() && all.right() > 0.97 * window.width());
        QVERIFY(all.top() < 0.2 * window.height() && all.bottom() > 0.95 * window.height());
    }
};

DAREZEZ_TEST(tst_modStretch)
#include "tst_modStretch.moc"
