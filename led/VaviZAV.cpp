#include "led/VaviZAV.h"

#include "led/KeyCodes.h"
#include "led/PackedColor.h"

#include <QCache>
#include <QHashFunctions>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath>

namespace {

// Seven segments a..g as bits 0..6.
constexpr std::array<quint8, 10> kSegments = {
    0x3F, // 0: a b c d e f
    0x06, // 1: b c
    0x5B, // 2: a b d e g
    0x4F, // 3: a b c d g
    0x66, // 4: b c f g
    0x6D, // 5: a c d f g
    0x7D, // 6: a c d e f g
    0x07, // 7: a b c
    0x7F, // 8
    0x6F, // 9: a b c d f g
};

// Five by seven dots, one row a byte, bit 4 the leftmost column. The 1 stands in the two
// right-hand columns so that a half digit still shows it.
constexpr std::array<std::array<quint8, 7>, 10> kDots = {{
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

constexpr double kLeft = 8, kRight = 47, kTop = 6, kBottom = 93;
constexpr double kThick = 8, kGap = 1;

QPainterPath horizontal(double yc) {
    const double h = kThick / 2, x0 = kLeft + h + kGap, x1 = kRight - h - kGap;
    QPainterPath p;
    p.moveTo(x0, yc);
    p.lineTo(x0 + h, yc - h);
    p.lineTo(x1 - h, yc - h);
    p.lineTo(x1, yc);
    p.lineTo(x1 - h, yc + h);
    p.lineTo(x0 + h, yc + h);
    p.closeSubpath();
    return p;
}

QPainterPath vertical(double xc, double y0, double y1) {
    const double h = kThick / 2;
    y0 += kGap;
    y1 -= kGap;
    QPainterPath p;
    p.moveTo(xc, y0);
    p.lineTo(xc + h, y0 + h);
    p.lineTo(xc + h, y1 - h);
    p.lineTo(xc, y1);
    p.lineTo(xc - h, y1 - h);
    p.lineTo(xc - h, y0 + h);
    p.closeSubpath();
    return p;
}

const std::array<QPainterPath, 7> &segmentPaths() {
    static const std::array<QPainterPath, 7> paths = [] {
        const double h = kThick / 2, mid = (kTop + kBottom) / 2;
        return std::array<QPainterPath, 7>{
            horizontal(kTop + h),                   // a
            vertical(kRight - h, kTop + h, mid),    // b
            vertical(kRight - h, mid, kBottom - h), // c
            horizontal(kBottom - h),                // d
            vertical(kLeft + h, mid, kBottom - h),  // e
            vertical(kLeft + h, kTop + h, mid),     // f
            horizontal(mid),                        // g
        };
    }();
    return paths;
}

QPainterPath dotPath(int column, int row) {
    const double pitchX = (kRight - kLeft) / 4.0, pitchY = (kBottom - 2 - (kTop + 2)) / 6.0;
    const double r = 4.2;
    QPainterPath p;
    p.addEllipse(QPointF(kLeft + column * pitchX, kTop + 2 + row * pitchY), r, r);
    return p;
}

QColor blend(const QColor &a, const QColor &b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// One look of a digit cell: everything its picture depends on.
struct GlyphKey {
    QSize cell;
    qreal dpr;
    int style;
    int caption;
    qint32 back;
    qint32 lit;
    bool focused;
    bool operator==(const GlyphKey &) const = default;
};

size_t qHash(const GlyphKey &k, size_t seed = 0) {
    return qHashMulti(seed, k.cell.width(), k.cell.height(), k.dpr, k.style, k.caption, k.back,
                      k.lit, k.focused);
}

// Room for every look the board shows at 4K; a board at 1080p keeps one or two MB.
constexpr qsizetype kGlyphCacheBytes = 16 * 1024 * 1024;

QCache<GlyphKey, QImage> &glyphCache() {
    static QCache<GlyphKey, QImage> cache(kGlyphCacheBytes);
    return cache;
}

// How many digits have each size: once none has it, its pictures are dead weight.
QHash<QSize, int> &cellsInUse() {
    static QHash<QSize, int> counts;
    return counts;
}

void useCellSize(const QSize &cell, int delta) {
    int &n = cellsInUse()[cell];
    n += delta;
    if (n > 0)
        return;
    cellsInUse().remove(cell);
    for (const GlyphKey &k : glyphCache().keys())
        if (k.cell == cell)
            glyphCache().remove(k);
}

} // namespace

VaviZAV::VaviZAV(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setSize(m_size);
}

VaviZAV::~VaviZAV() {
    if (m_countedCell.isValid())
        useCellSize(m_countedCell, -1);
}

void VaviZAV::countCell() {
    const QSize cell = QWidget::size();
    if (cell == m_countedCell)
        return;
    useCellSize(cell, 1);
    if (m_countedCell.isValid())
        useCellSize(m_countedCell, -1);
    m_countedCell = cell;
}

void VaviZAV::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    countCell();
}

void VaviZAV::setCaption(int value) {
    if (value < -1 || value > 9)
        value = -1;
    if (value == m_caption)
        return;
    m_caption = value;
    update();
}

void VaviZAV::setLedType(int style) {
    style = style == 1 ? 1 : 0;
    if (style == m_ledType)
        return;
    m_ledType = style;
    update();
}

void VaviZAV::setSize(int size) {
    size = qMax(1, size);
    const QSize cell = CellSize(size);
    m_size = size;
    if (cell != QWidget::size())
        setFixedSize(cell);
    countCell();
}

void VaviZAV::setLitColor(qint32 color) {
    if (color == m_litColor)
        return;
    m_litColor = color;
    update();
}

void VaviZAV::setBackColor(qint32 color) {
    if (color == m_backColor)
        return;
    m_backColor = color;
    update();
}

QSize VaviZAV::CellSize(int size) {
    size = qMax(1, size);
    return {qMax(1, int(std::lround(size * 0.55))), qMax(1, int(std::lround(size * 79.0 / 80.0)))};
}

QSize VaviZAV::sizeHint() const {
    return QWidget::size();
}

QList<QPainterPath> VaviZAV::LitParts(int digit, int style) {
    QList<QPainterPath> parts;
    if (digit < 0 || digit > 9)
        return parts;
    if (style == 1) {
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 5; ++column)
                if (kDots[digit][row] & (0x10 >> column))
                    parts.append(dotPath(column, row));
    } else {
        for (int s = 0; s < 7; ++s)
            if (kSegments[digit] & (1 << s))
                parts.append(segmentPaths()[s]);
    }
    return parts;
}

QList<QPainterPath> VaviZAV::AllParts(int style) {
    QList<QPainterPath> parts;
    if (style == 1) {
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 5; ++column)
                parts.append(dotPath(column, row));
    } else {
        for (const auto &p : segmentPaths())
            parts.append(p);
    }
    return parts;
}

void VaviZAV::PaintCell(QPainter &painter, const QSize &cell, int style, int caption,
                        qint32 backColor, qint32 litColor, bool focused) {
    const QColor back = PackedColor::ToQColor(backColor);
    const QColor lit = PackedColor::ToQColor(litColor);
    painter.fillRect(QRect(QPoint(0, 0), cell), back);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(cell.width() / kCellWidth, cell.height() / kCellHeight);
    painter.setPen(Qt::NoPen);

    // Unlit parts show faintly, as on a real board, far from the lit colour.
    painter.setBrush(blend(back, lit, 0.09));
    for (const auto &p : AllParts(style))
        painter.drawPath(p);
    painter.setBrush(lit);
    for (const auto &p : LitParts(caption, style))
        painter.drawPath(p);

    if (focused) {
        // A thin line under the digit: enough for the operator, quiet for the crowd.
        painter.setBrush(blend(back, lit, 0.4));
        painter.drawRect(QRectF(kLeft, kCellHeight - 3.2, kRight - kLeft, 1.6));
    }
}

void VaviZAV::paintEvent(QPaintEvent *) {
    // The clock repaints a digit ten times a second: draw each look once and copy it after.
    const qreal dpr = devicePixelRatioF();
    const GlyphKey key{size(), dpr, m_ledType, m_caption, m_backColor, m_litColor, hasFocus()};
    const QImage *glyph = glyphCache().object(key);
    if (!glyph) {
        auto image = new QImage(QSize(std::lround(width() * dpr), std::lround(height() * dpr)),
                                QImage::Format_RGB32);
        image->setDevicePixelRatio(dpr);
        QPainter p(image);
        PaintCell(p, size(), m_ledType, m_caption, m_backColor, m_litColor, hasFocus());
        p.end();
        const qsizetype bytes = image->sizeInBytes();
        glyphCache().insert(key, image, bytes);
        glyph = glyphCache().object(key);
    }
    QPainter painter(this);
    if (glyph)
        painter.drawImage(QPoint(0, 0), *glyph);
    else // larger than the whole cache
        PaintCell(painter, size(), m_ledType, m_caption, m_backColor, m_litColor, hasFocus());
}

void VaviZAV::keyPressEvent(QKeyEvent *event) {
    const int shift = (event->modifiers() & Qt::ShiftModifier ? 1 : 0) |
                      (event->modifiers() & Qt::ControlModifier ? 2 : 0) |
                      (event->modifiers() & Qt::AltModifier ? 4 : 0);
    emit KeyDown(m_index, KeyCodes::FromQtKey(event->key()), shift);
    const QString text = event->text();
    if (!text.isEmpty())
        emit KeyPress(m_index, text.front().unicode());
    event->accept();
}

void VaviZAV::mousePressEvent(QMouseEvent *event) {
    // The click selects this digit; it is not passed on to the field's container.
    event->accept();
}

void VaviZAV::focusInEvent(QFocusEvent *event) {
    QWidget::focusInEvent(event);
    update();
}

void VaviZAV::focusOutEvent(QFocusEvent *event) {
    QWidget::focusOutEvent(event);
    update();
}
