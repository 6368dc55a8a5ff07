#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <functional>
#include <vector>

// Reads a grab of the board as an eye would: connected areas of pixels of a kind.
namespace BoardPixels {

inline bool isChromatic(QRgb p) {
    const int hi = std::max({qRed(p), qGreen(p), qBlue(p)});
    const int lo = std::min({qRed(p), qGreen(p), qBlue(p)});
    return hi - lo > 12;
}
inline bool isNear(QRgb p, QRgb q, int tolerance) {
    return std::abs(qRed(p) - qRed(q)) <= tolerance &&
           std::abs(qGreen(p) - qGreen(q)) <= tolerance &&
           std::abs(qBlue(p) - qBlue(q)) <= tolerance;
}

struct Area {
    QRect box;
    qint64 pixels = 0;
    qint64 marked = 0; // pixels that also pass the second test
};

// 4-connected areas of pixels that pass `member`; `mark` counts a subset of each.
inline QList<Area> areas(const QImage &image, const std::function<bool(QRgb)> &member,
                         const std::function<bool(QRgb)> &mark = {}) {
    const int w = image.width(), h = image.height();
    std::vector<quint8> seen(size_t(w) * h, 0);
    std::vector<qint64> stack;
    QList<Area> found;
    auto pixel = [&](qint64 i) { return image.pixel(int(i % w), int(i / w)); };
    for (qint64 start = 0; start < qint64(w) * h; ++start) {
        if (seen[start] || !member(pixel(start)))
            continue;
        Area a;
        int x0 = w, y0 = h, x1 = -1, y1 = -1;
        seen[start] = 1;
        stack.push_back(start);
        while (!stack.empty()) {
            const qint64 i = stack.back();
            stack.pop_back();
            const int x = int(i % w), y = int(i / w);
            const QRgb p = image.pixel(x, y);
            ++a.pixels;
            if (mark && mark(p))
                ++a.marked;
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
            const qint64 next[4] = {x > 0 ? i - 1 : -1, x + 1 < w ? i + 1 : -1, y > 0 ? i - w : -1,
                                    y + 1 < h ? i + w : -1};
            for (qint64 n : next) {
                if (n >= 0 && !seen[n] && member(pixel(n))) {
                    seen[n] = 1;
                    stack.push_back(n);
                }
            }
        }
        a.box = QRect(QPoint(x0, y0), QPoint(x1, y1));
        found.append(a);
    }
    return found;
}

// Pixels of exactly one colour that lie inside none of `allowed`.
inline qint64 countOutside(const QImage &image, QRgb colour, const QList<QRect> &allowed) {
    qint64 n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) != (colour & 0xFFFFFF))
                continue;
            bool inside = false;
            for (const QRect &r : allowed)
                inside = inside || r.contains(x, y);
            n += inside ? 0 : 1;
        }
    }
    return n;
}

inline qint64 countInside(const QImage &image, QRgb colour, const QRect &r) {
    qint64 n = 0;
    const QRect clipped = r & image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            n += (line[x] & 0xFFFFFF) == (colour & 0xFFFFFF) ? 1 : 0;
    }
    return n;
}

} // namespace BoardPixels
