#pragma once

#include <QColor>
#include <QImage>
#include <QMap>
#include <QRect>
#include <QString>

// Reads the scoreboard from a picture of it, as a spectator does: it finds the nine
// fields, the digit cells in each, and which segments or dots of each cell are lit. It
// knows only what the board looks like, not how it is laid out, so it reads both digit
// styles at any size.
class LedReader {
public:
    struct Field {
        QRect box;
        QString text; // digits and blanks from left to right; time fields with ':' or '.'
    };

    // `back`: the digits' background colour; `dots`: the colour of the clock's dots.
    explicit LedReader(const QImage &board, QColor back = Qt::black, QColor dots = Qt::white);

    bool ok() const { return m_fields.size() == 9; }
    QString why() const { return m_why; }
    // "clock", "homeScore", "guestScore", "match", "period", "weight", "homeMatch",
    // "timeAd", "guestMatch": the text trimmed, as it reads.
    QString read(const QString &field) const;
    QRect box(const QString &field) const { return m_fields.value(field).box; }
    // The brightest colour of a field's lit segments.
    QColor litColour(const QString &field) const { return m_lit.value(field); }
    // Whether a field's digits are 5 x 7 dot matrices rather than seven segments.
    bool dots(const QString &field) const { return m_dotStyle.value(field); }
    QString summary() const;

private:
    QString readField(const QRect &box, bool time, QColor *lit, bool *dots) const;
    int cellValue(const QRect &cell, bool dots, QRgb litRef) const;
    bool isMatrix(int left, int width, int top) const;
    double litness(QRgb p, QRgb lit) const;

    QImage m_image;
    QRgb m_back;
    QRgb m_dots;
    QMap<QString, Field> m_fields;
    QMap<QString, QColor> m_lit;
    QMap<QString, bool> m_dotStyle;
    QString m_why;
};
