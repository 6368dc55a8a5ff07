// The least a board of this toolkit can cost: a window of the given size and nothing of the
// board but a precise timer that changes digit-sized cells by copying a ready picture. With
// "seconds" it fires once a second and changes one cell, as the match clock does above a
// minute; with "tenths" ten times a second and two cells, as the match clock and the time
// advantage do below a minute. bench_runtime.sh measures it the same way as the board.
// Usage: bench_floor WIDTH HEIGHT seconds|tenths
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

namespace {
class Cell : public QWidget {
public:
    explicit Cell(QWidget *parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }
    void show(int tenth) {
        if (tenth == m_tenth)
            return;
        m_tenth = tenth;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        if (m_pictures.isEmpty())
            for (int i = 0; i < 10; ++i) {
                QImage img(size(), QImage::Format_RGB32);
                img.fill(QColor::fromHsv(i * 36, 255, 255));
                m_pictures.append(img);
            }
        QPainter(this).drawImage(0, 0, m_pictures[m_tenth]);
    }

private:
    int m_tenth = 0;
    QList<QImage> m_pictures;
};
} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const int width = atoi(argv[1]), height = atoi(argv[2]);
    const bool tenths = argc > 3 && qstrcmp(argv[3], "tenths") == 0;
    QWidget window;
    window.setObjectName(QStringLiteral("floor"));
    window.setAutoFillBackground(true);
    window.resize(width, height);
    // A digit of the board at this size: 660 x 1185 of the 9480 x 6795 design.
    const QSize cell(width * 660 / 9480, height * 1185 / 6795);
    Cell clock(&window), timeAd(&window);
    clock.setGeometry(QRect(QPoint(width / 2, height / 8), cell));
    timeAd.setGeometry(QRect(QPoint(width / 2, height * 5 / 8), cell));
    if (width >= 3840)
        window.showFullScreen();
    else
        window.show();

    QTimer tick;
    tick.setInterval(tenths ? 100 : 1000);
    tick.setTimerType(Qt::PreciseTimer);
    int shown = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        shown = (shown + 1) % 10;
        clock.show(shown);
        if (tenths)
            timeAd.show(shown);
    });
    tick.start();
    return QApplication::exec();
}
