#include "startup/Logo.h"

#include <QCoreApplication>
#include <QPainter>
#include <QSvgRenderer>

namespace Logo {

QPixmap Pixmap(int size, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/darezez.svg"));
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

namespace {
QIcon *shared = nullptr;
}

QIcon Icon() {
    // Made once and shared by every window: each window's own copy of the sizes stayed in
    // memory for the life of the program. Window lists and task bars show up to 128 pixels.
    if (!shared) {
        shared = new QIcon;
        for (int size : {16, 32, 48, 64, 128})
            shared->addPixmap(Pixmap(size, 1.0));
        qAddPostRoutine([] {
            delete shared;
            shared = nullptr;
        });
    }
    return *shared;
}

} // namespace Logo
