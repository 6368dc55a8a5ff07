// The least a board of this toolkit can cost: a window of the given size with a 40 ms precise
// timer, as the scoreboard's tick, and nothing of the board. With "repaint", two digit-sized
// cells also change ten times a second by copying a ready picture, as the match clock's and the
// time advantage's tenths do below a minute. bench_runtime.sh measures its CPU share the same way
// as the board's. Usage: bench_floor WIDTH HEIGHT [repaint]
#include <QApplication>
#include <QDateTime>
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
    const bool repaint = argc > 3 && qstrcmp(argv[3], "repaint") == 0;
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
    tick.setInterval(40);
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (!repaint)
            return;
        const int tenth = int(QDateTime::currentMSecsSinceEpoch() / 100 % 10);
        clock.show(tenth);
        timeAd.show(tenth);
    });
    tick.start();
    return QApplication::exec();
}
