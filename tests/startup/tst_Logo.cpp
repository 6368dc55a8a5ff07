#include "TestMain.h"
#include "appearance/Logo.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QTest>
#include <cmath>

// The program draws its logo itself; the desktop shows assets/darezez.svg. Both must be
// the same picture.
class tst_Logo : public QObject {
    Q_OBJECT

    static QImage blank(int size) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        return image;
    }

private slots:
    void drawnAsTheDesktopIcon_data() {
        QTest::addColumn<int>("size");
        for (int size : {16, 48, 128, 140, 280})
            QTest::addRow("%d px", size) << size;
    }
    void drawnAsTheDesktopIcon() {
        QFETCH(int, size);
        QSvgRenderer svg(QStringLiteral(DAREZEZ_SOURCE_DIR "/assets/darezez.svg"));
        QVERIFY(svg.isValid());
        QImage expected = blank(size);
        {
            QPainter p(&expected);
            svg.render(&p);
        }
        QImage drawn = blank(size);
        {
            QPainter p(&drawn);
            Logo::Paint(p, size);
        }
        // Edges may be smoothed a little differently, and Qt's SVG renderer rounds the outer
        // corner radius down to 17.7: away from those corners no pixel may differ much.
        // The outer corners, where only the radius differs.
        const int c = int(std::ceil(20.0 * size / 140));
        int far = 0;
        qint64 total = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb a = expected.pixel(x, y), b = drawn.pixel(x, y);
                const int d =
                    std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
                const bool corner = (x < c || x >= size - c) && (y < c || y >= size - c);
                far += d > 24 && !corner ? 1 : 0;
                total += d;
            }
        }
        const double mean = double(total) / (size * size);
        qInfo("%d px: %d pixels differ by more than 24 away from the corners, mean difference "
              "%.3f",
              size, far, mean);
        QVERIFY2(far == 0 && mean < 0.5, qPrintable(QStringLiteral("%1 / %2").arg(far).arg(mean)));
    }

    void iconIsSharedAndStopsAt128Pixels() {
        const QIcon a = Logo::Icon();
        const QIcon b = Logo::Icon();
        QCOMPARE(a.cacheKey(), b.cacheKey());
        QCOMPARE(a.availableSizes().size(), 5);
        QCOMPARE(a.availableSizes().last(), QSize(128, 128));
    }
};

DAREZEZ_TEST(tst_Logo)
#include "tst_Logo.moc"
