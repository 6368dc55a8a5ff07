#include "LedReader.h"

#include "BoardPixels.h"

#include <QList>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {
// Digit segments are coloured, lit or unlit (a faint tint of the lit colour); the
// window, its labels and the frame are shades of grey.
using BoardPixels::isChromatic;

int distance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// How digits look on a seven-segment display (bits a..g) and on a 5 x 7 dot matrix
// (rows top to bottom, leftmost dot the high bit).
constexpr std::array<int, 10> kSevenSegment = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                               0x6D, 0x7D, 0x07, 0x7F, 0x6F};
constexpr std::array<std::array<int, 7>, 10> kDotMatrix = {{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},
    {0x03, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
}};
// Height over width of a digit's drawn part: seven segments, a 5 x 7 matrix; and where
// the matrix's middle row lies, in widths below its top.
constexpr double kSegmentAspect = 87.0 / 39.0;
constexpr double kMatrixAspect = 91.4 / 47.4;
constexpr double kMiddleRow = (4.2 + 3 * 13.83) / 47.4;
} // namespace

LedReader::LedReader(const QImage &board, QColor back, QColor dots)
    : m_image(board.convertToFormat(QImage::Format_RGB32)), m_back(back.rgb()), m_dots(dots.rgb()) {
    const int w = m_image.width(), h = m_image.height();
    if (w < 50 || h < 50) {
        m_why = QStringLiteral("no picture");
        return;
    }
    // Fields: connected areas in the digits' background colour (or anything drawn on
    // it) that hold digit segments.
    auto isSegment = [&](QRgb p) { return distance(p, m_back) > 6 && isChromatic(p); };
    auto inField = [&](QRgb p) { return distance(p, m_back) <= 6 || isSegment(p); };
    QList<QRect> boxes;
    for (const BoardPixels::Area &a : BoardPixels::areas(m_image, inField, isSegment)) {
        // A field is a solid rectangle of some size with segments in it.
        if (a.marked > 30 && a.box.width() > 10 && a.box.height() > 10 &&
            a.pixels > 0.9 * a.box.width() * a.box.height())
            boxes << a.box;
    }
    if (boxes.size() != 9) {
        m_why = QStringLiteral("%1 fields found, not 9").arg(boxes.size());
        return;
    }
    for (const QRect &b : boxes) {
        const QPointF c = QRectF(b).center();
        const int row = c.y() < 0.4 * h ? 0 : c.y() < 0.72 * h ? 1 : 2;
        const int column = c.x() < 0.3 * w ? 0 : c.x() > 0.7 * w ? 2 : 1;
        static const char *names[3][3] = {{"homeScore", "clock", "guestScore"},
                                          {"match", "period", "weight"},
                                          {"homeMatch", "timeAd", "guestMatch"}};
        const QString name = QLatin1String(names[row][column]);
        if (m_fields.contains(name)) {
            m_why = QStringLiteral("two fields where %1 belongs").arg(name);
            m_fields.clear();
            return;
        }
        QColor lit;
        bool dotStyle = false;
        const bool time = name == QLatin1String("clock") || name == QLatin1String("timeAd");
        m_fields.insert(name, {b, readField(b, time, &lit, &dotStyle)});
        m_lit.insert(name, lit);
        m_dotStyle.insert(name, dotStyle);
    }
}

double LedReader::litness(QRgb p, QRgb lit) const {
    const int full = distance(lit, m_back);
    return full == 0 ? 0 : double(distance(p, m_back)) / full;
}

QString LedReader::readField(const QRect &box, bool time, QColor *lit, bool *dotStyle) const {
    // The brightest segment colour marks what "lit" means here.
    QRgb litRef = m_back;
    std::vector<int> columns(box.width(), 0);
    int top = box.bottom();
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QRgb p = m_image.pixel(x, y);
            if (distance(p, m_back) <= 6 || !isChromatic(p))
                continue;
            if (distance(p, m_back) > distance(litRef, m_back))
                litRef = p;
            ++columns[x - box.left()];
            top = std::min(top, y);
        }
    }
    *lit = QColor(litRef);
    const int cellHeight = std::max(1, box.bottom() - top);
    // Cells: runs of columns with segments; the small gaps between the dots of a matrix
    // are bridged, the wider ones between digits are not.
    QList<QPair<int, int>> runs;
    for (int x = 0; x < box.width(); ++x) {
        if (!columns[x])
            continue;
        if (!runs.isEmpty() && x - runs.back().second <= std::max(2, cellHeight / 14))
            runs.back().second = x;
        else
            runs.append({x, x});
    }
    int fullWidth = 0;
    for (const auto &r : runs)
        fullWidth = std::max(fullWidth, r.second - r.first + 1);
    // A digit's height follows from its width; the focus line under a digit would spoil
    // a height taken from the pixels.
    QString text;
    QList<int> cellRight;
    for (const auto &r : runs) {
        const int right = box.left() + r.second;
        const bool dots = isMatrix(right - fullWidth + 1, fullWidth, top);
        const int height = int(std::lround(fullWidth * (dots ? kMatrixAspect : kSegmentAspect)));
        const QRect cell(right - fullWidth + 1, top, fullWidth, height);
        cellRight << cell.right();
        // A digit half hidden by the field's edge: read only whether something shows.
        if (r.second - r.first + 1 < 0.8 * fullWidth) {
            bool lit = false;
            for (int y = cell.top(); y <= cell.bottom() && !lit; ++y)
                for (int x = box.left() + r.first; x <= right && !lit; ++x)
                    lit =
                        m_image.rect().contains(x, y) && litness(m_image.pixel(x, y), litRef) > 0.5;
            text += lit ? QStringLiteral("?") : QStringLiteral(" ");
            continue;
        }
        *dotStyle = *dotStyle || dots;
        const int v = cellValue(cell, dots, litRef);
        text += v >= 0 ? QString::number(v) : v == -1 ? QStringLiteral(" ") : QStringLiteral("?");
    }
    if (time && text.size() == 4) {
        // The separator dots between the second and third digit.
        bool upper = false, lower = false;
        const int midY = box.top() + box.height() / 2;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = cellRight[1] + 1; x < box.left() + runs[2].first; ++x)
                if (distance(m_image.pixel(x, y), m_dots) <= 24)
                    (y < midY ? upper : lower) = true;
        text.insert(2, upper && lower ? QStringLiteral(":")
                       : lower        ? QStringLiteral(".")
                                      : QStringLiteral(" "));
    }
    return text;
}

bool LedReader::isMatrix(int left, int width, int top) const {
    // The two styles differ in shape: seven segments stand 2.23 widths tall, a matrix
    // 1.93 (2.34 and 1.97 with the focus line under them).
    int bottom = top;
    for (int y = top; y < m_image.height(); ++y) {
        bool any = false;
        for (int x = std::max(0, left); x < std::min(m_image.width(), left + width) && !any; ++x)
            any = distance(m_image.pixel(x, y), m_back) > 6 && isChromatic(m_image.pixel(x, y));
        if (any)
            bottom = y;
        else if (y - bottom > width / 4)
            break;
    }
    return double(bottom - top + 1) / width < 2.1;
}

// A digit 0..9, -1 for a blank cell, -2 for lit parts that make no digit.
int LedReader::cellValue(const QRect &cell, bool dots, QRgb litRef) const {
    const double threshold = 0.5;
    auto litAt = [&](double fx, double fy, double rx, double ry) {
        const int cx = cell.left() + int(fx * cell.width()),
                  cy = cell.top() + int(fy * cell.height());
        const int dx = std::max(0, int(rx * cell.width())),
                  dy = std::max(0, int(ry * cell.height()));
        double best = 0;
        for (int y = cy - dy; y <= cy + dy; ++y)
            for (int x = cx - dx; x <= cx + dx; ++x)
                if (m_image.rect().contains(x, y))
                    best = std::max(best, litness(m_image.pixel(x, y), litRef));
        return best > threshold;
    };
    bool any = false;
    for (int y = cell.top(); y <= cell.bottom() && !any; ++y)
        for (int x = cell.left(); x <= cell.right() && !any; ++x)
            any = litness(m_image.pixel(x, y), litRef) > threshold;
    if (!any)
        return -1;
    if (dots) {
        int best = -2, bestDistance = 3;
        std::array<int, 7> rows{};
        for (int r = 0; r < 7; ++r)
            for (int c = 0; c < 5; ++c)
                if (litAt((4.2 + 9.75 * c) / 47.4, (4.2 + 13.83 * r) / 91.4, 0.02, 0.01))
                    rows[r] |= 0x10 >> c;
        for (int d = 0; d < 10; ++d) {
            int diff = 0;
            for (int r = 0; r < 7; ++r)
                diff += __builtin_popcount(rows[r] ^ kDotMatrix[d][r]);
            if (diff < bestDistance)
                best = d, bestDistance = diff;
        }
        return best;
    }
    const bool seg[7] = {litAt(0.5, 0.04, 0.05, 0.02),  litAt(0.92, 0.27, 0.03, 0.05),
                         litAt(0.92, 0.73, 0.03, 0.05), litAt(0.5, 0.96, 0.05, 0.02),
                         litAt(0.08, 0.73, 0.03, 0.05), litAt(0.08, 0.27, 0.03, 0.05),
                         litAt(0.5, 0.5, 0.05, 0.02)};
    int bits = 0;
    for (int i = 0; i < 7; ++i)
        bits |= seg[i] ? 1 << i : 0;
    for (int d = 0; d < 10; ++d)
        if (kSevenSegment[d] == bits)
            return d;
    return -2;
}

QString LedReader::read(const QString &field) const {
    return m_fields.value(field).text.trimmed();
}

QString LedReader::summary() const {
    if (!ok())
        return m_why;
    QStringList parts;
    for (auto it = m_fields.begin(); it != m_fields.end(); ++it)
        parts << QStringLiteral("%1=[%2]").arg(it.key(), it->text);
    return parts.join(QLatin1Char(' '));
}
