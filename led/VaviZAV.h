#pragma once

#include <QWidget>

class QPainter;

// One LED digit. Shows 0 to 9, or nothing for -1, as seven segments ("Lines") or a dot
// matrix ("Dots"), drawn as vectors so it stays sharp at any size. It sizes itself from
// Size, takes the keyboard focus and reports keys with its index in its field.
class VaviZAV : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int LedType READ LedType WRITE setLedType)
    Q_PROPERTY(int Size READ Size WRITE setSize)
    Q_PROPERTY(qint32 LitColor READ LitColor WRITE setLitColor)
    Q_PROPERTY(qint32 BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(int Index READ Index WRITE setIndex)

public:
    static constexpr int kDefaultCaption = 0;

    explicit VaviZAV(QWidget *parent = nullptr);
    ~VaviZAV() override;

    int Caption() const { return m_caption; }
    void setCaption(int value);
    int LedType() const { return m_ledType; }
    void setLedType(int style);
    int Size() const { return m_size; }
    void setSize(int size);
    qint32 LitColor() const { return m_litColor; }
    void setLitColor(qint32 color);
    qint32 BackColor() const { return m_backColor; }
    void setBackColor(qint32 color);
    int Index() const { return m_index; }
    void setIndex(int index) { m_index = index; }

    QSize sizeHint() const override;

    // The lit parts of a digit in either style, in the 55 x 99 cell the digit is drawn in.
    static QList<QPainterPath> LitParts(int digit, int style);
    static QList<QPainterPath> AllParts(int style);
    // Draws one cell from scratch; the widget keeps what this draws and copies it.
    static void PaintCell(QPainter &painter, const QSize &cell, int style, int caption,
                          qint32 backColor, qint32 litColor, bool focused);
    // The pixel size a digit of this Size takes.
    static QSize CellSize(int size);
    static constexpr double kCellWidth = 55.0;
    static constexpr double kCellHeight = 99.0;

signals:
    void KeyDown(int index, int keyCode, int shift);
    void KeyPress(int index, int keyAscii);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int m_caption = kDefaultCaption;
    int m_ledType = 0;
    int m_size = 80;
    qint32 m_litColor = 255;
    qint32 m_backColor = 0;
    int m_index = 0;
    QSize m_countedCell; // the size this digit is counted under in the shared pictures

    void countCell();
};
