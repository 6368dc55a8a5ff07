// Cost of rescaling the board: a resize (StretchLayout and the window's own repaint), then one full
// repaint of the window into an image, at 1920 x 1080 and 3840 x 2160. Prints medians in ms.
#include "scoreboard/frmScoreboard.h"
#include "settings/modGlobals.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    modGlobals::SetDefaults();
    modGlobals::BuzzerFile.clear();
    auto board = new frmScoreboard();
    board->show();
    QCoreApplication::processEvents();
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 51;
    for (const QSize size : {QSize(1920, 1080), QSize(3840, 2160)}) {
        QImage image(size, QImage::Format_RGB32);
        std::vector<double> stretch, paint, both;
        for (int i = 0; i < runs; ++i) {
            // Alternate by a pixel so that every run really rescales.
            const QSize s = i % 2 ? size - QSize(1, 1) : size;
            QElapsedTimer t;
            t.start();
            // The resize event runs StretchLayout, as when the operator drags the window.
            board->resize(s);
            QCoreApplication::processEvents();
            const qint64 laidOut = t.nsecsElapsed();
            QPainter painter(&image);
            board->render(&painter);
            painter.end();
            const qint64 painted = t.nsecsElapsed();
            stretch.push_back(laidOut / 1e6);
            paint.push_back((painted - laidOut) / 1e6);
            both.push_back(painted / 1e6);
        }
        std::printf(
            "%dx%d: resize with StretchLayout %.2f ms, full repaint %.2f ms, together %.2f ms "
            "(medians of %d runs)\n",
            size.width(), size.height(), median(stretch), median(paint), median(both), runs);
    }
    delete board;
    return 0;
}
