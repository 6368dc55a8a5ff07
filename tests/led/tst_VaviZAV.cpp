#include "TestMain.h"
#include "TestSupport.h"
#include "led/VaviZAV.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

namespace {
// Lit white on black, so a lit pixel is bright and an unlit part stays dark.
QImage render(int digit, int style, int size = 160) {
    VaviZAV d;
    d.setSize(size);
    d.setBackColor(0);
    d.setLitColor(0xFFFFFF);
    d.setLedType(style);
    d.setCaption(digit);
    return d.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool litPixelIn(const QImage &img, int x0, int x1) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = x0; x < x1; ++x)
            if (qGray(img.pixel(x, y)) > 128)
                return true;
    return false;
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
} // namespace

class tst_VaviZAV : public QObject {
    Q_OBJECT

private slots:
    void propertiesByName() {
        VaviZAV d;
        QVERIFY(d.setProperty("Caption", 5));
        QCOMPARE(d.property("Caption").toInt(), 5);
        QVERIFY(d.setProperty("Caption", QStringLiteral("7")));
        QCOMPARE(d.Caption(), 7);
        d.setProperty("Caption", -1);
        QCOMPARE(d.Caption(), -1);
        d.setProperty("Caption", 12);
        QCOMPARE(d.Caption(), -1);
        d.setProperty("LedType", 1);
        QCOMPARE(d.LedType(), 1);
        d.setProperty("LitColor", 33023);
        QCOMPARE(d.LitColor(), 33023);
        d.setProperty("BackColor", 4210752);
        QCOMPARE(d.BackColor(), 4210752);
        QCOMPARE(VaviZAV().Caption(), 0);
    }

    void sizeSetsTheCell_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QSize>("cell");
        QTest::newRow("80, the board's") << 80 << QSize(44, 79);
        QTest::newRow("65, the preview's") << 65 << QSize(36, 64);
        QTest::newRow("1") << 1 << QSize(1, 1);
        QTest::newRow("0 is taken as 1") << 0 << QSize(1, 1);
        QTest::newRow("4K") << 381 << QSize(210, 376);
    }
    void sizeSetsTheCell() {
        QFETCH(int, size);
        QFETCH(QSize, cell);
        VaviZAV d;
        d.setProperty("Size", size);
        QCOMPARE(d.size(), cell);
        QCOMPARE(d.Size(), qMax(1, size));
    }

    void oneLightsOnlyTheRightHalf_data() {
        QTest::addColumn<int>("style");
        QTest::newRow("Lines") << 0;
        QTest::newRow("Dots") << 1;
    }
    void oneLightsOnlyTheRightHalf() {
        QFETCH(int, style);
        const QImage one = render(1, style);
        QVERIFY(!litPixelIn(one, 0, one.width() / 2));
        QVERIFY(litPixelIn(one, one.width() / 2, one.width()));
        const QImage blank = render(-1, style);
        QVERIFY(!litPixelIn(blank, 0, blank.width()));
    }

    void elevenDistinctPictures_data() { oneLightsOnlyTheRightHalf_data(); }
    void elevenDistinctPictures() {
        QFETCH(int, style);
        QList<QImage> images;
        for (int digit = -1; digit <= 9; ++digit) {
            const QImage img = render(digit, style, 60);
            for (const QImage &other : images)
                QVERIFY2(img != other, qPrintable(QStringLiteral("digit %1").arg(digit)));
            images.append(img);
        }
        QVERIFY(render(8, 0, 60) != render(8, 1, 60));
    }

    void sameValueDoesNotRepaint() {
        VaviZAV d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        PaintCounter counter;
        d.installEventFilter(&counter);
        QCoreApplication::processEvents();
        counter.paints = 0;
        d.setCaption(d.Caption());
        d.setLitColor(d.LitColor());
        d.setBackColor(d.BackColor());
        d.setLedType(d.LedType());
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, 0);
        d.setCaption(3);
        QTRY_VERIFY(counter.paints > 0);
    }

    // The widget keeps its pictures; whatever changed, it must show what a fresh drawing shows.
    void keptPicturesFollowEveryChange_data() { oneLightsOnlyTheRightHalf_data(); }
    void keptPicturesFollowEveryChange() {
        QFETCH(int, style);
        QWidget window;
        window.resize(400, 300);
        auto a = new VaviZAV(&window);
        auto b = new VaviZAV(&window);
        b->move(200, 0);
        a->setLedType(style);
        b->setLedType(style);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto fresh = [](const VaviZAV *d) {
            QImage img(d->size(), QImage::Format_RGB32);
            QPainter p(&img);
            VaviZAV::PaintCell(p, d->size(), d->LedType(), d->Caption(), d->BackColor(),
                               d->LitColor(), d->hasFocus());
            return img;
        };
        auto check = [&](const char *what) {
            for (VaviZAV *d : {a, b}) {
                const QImage shown = d->grab().toImage().convertToFormat(QImage::Format_RGB32);
                if (shown != fresh(d))
                    return QString::fromLatin1(what);
            }
            return QString();
        };
        const QList<int> sizes = {80, 64, 80, 140};
        for (int size : sizes) {
            a->setSize(size);
            b->setSize(size / 2);
            for (int digit = -1; digit <= 9; ++digit) {
                a->setCaption(digit);
                b->setCaption(9 - digit);
                QCOMPARE(check("caption"), QString());
            }
            a->setLitColor(0x00FF00);
            QCOMPARE(check("lit colour"), QString());
            b->setLitColor(0x00FF00);
            a->setBackColor(0x202020);
            QCOMPARE(check("back colour"), QString());
            a->setLedType(1 - style);
            QCOMPARE(check("style"), QString());
            a->setLedType(style);
            window.activateWindow();
            b->setFocus();
            QTRY_VERIFY(b->hasFocus());
            QCOMPARE(check("focus"), QString());
            a->setFocus();
            QTRY_VERIFY(a->hasFocus());
            QCOMPARE(check("focus moved"), QString());
            a->setLitColor(255);
            a->setBackColor(0);
            b->setLitColor(255);
        }
    }

    // A digit resized all evening (the operator dragging the window) holds the pictures
    // of the size it has, not of every size it had.
    void manySizesLeaveMemoryFlat() {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("AddressSanitizer holds freed memory back on purpose");
#endif
        VaviZAV d;
        auto drawEveryDigit = [&d] {
            for (int digit = -1; digit <= 9; ++digit) {
                d.setCaption(digit);
                d.grab();
            }
        };
        // Largest first, so that each size's pictures fit where the last ones were.
        d.setSize(460); // 253 x 454: eleven pictures are 4.8 MB
        drawEveryDigit();
        const qint64 before = residentKb();
        for (int size = 459; size >= 400; --size) {
            d.setSize(size);
            drawEveryDigit();
        }
        const qint64 growth = residentKb() - before;
        qInfo("resident memory grew by %lld kB over 60 sizes", growth);
        QVERIFY2(growth < 6 * 1024, qPrintable(QStringLiteral("%1 kB").arg(growth)));
    }

    void reportsKeysWithItsIndex() {
        VaviZAV d;
        d.setIndex(2);
        d.show();
        d.setFocus();
        QSignalSpy down(&d, &VaviZAV::KeyDown);
        QSignalSpy press(&d, &VaviZAV::KeyPress);
        QTest::keyClick(&d, Qt::Key_Left);
        QTest::keyClick(&d, Qt::Key_5);
        QTest::keyClick(&d, 'S', Qt::ShiftModifier);
        QCOMPARE(down.size(), 4); // Shift goes down on its own first
        QCOMPARE(down[0], (QVariantList{2, 37, 0}));
        // Keys the board has no code for go down as 0, with the shift state.
        QCOMPARE(down[2].at(1).toInt(), 0);
        QCOMPARE(down[3], (QVariantList{2, 0, 1}));
        QCOMPARE(press.size(), 2); // an arrow types nothing
        QCOMPARE(press[0], (QVariantList{2, int('5')}));
        QCOMPARE(press[1], (QVariantList{2, int('S')}));
    }
};

DAREZEZ_TEST(tst_VaviZAV)
#include "tst_VaviZAV.moc"
