#pragma once

#include <QWidget>

// A drawn shape: the clock frame, the colon dots, the time-advantage lamps.
class Shape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int ShapeKind READ ShapeKind WRITE setShapeKind)
    Q_PROPERTY(qint32 FillColor READ FillColor WRITE setFillColor)
    Q_PROPERTY(bool Filled READ Filled WRITE setFilled)
    Q_PROPERTY(qint32 BorderColor READ BorderColor WRITE setBorderColor)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE setBorderWidth)

public:
    enum Kind { Rectangle = 0, Oval = 2, Circle = 3, RoundedRectangle = 4 };

    explicit Shape(QWidget *parent = nullptr);

    int ShapeKind() const { return m_kind; }
    void setShapeKind(int kind);
    qint32 FillColor() const { return m_fillColor; }
    void setFillColor(qint32 color);
    bool Filled() const { return m_filled; }
    void setFilled(bool filled);
    qint32 BorderColor() const { return m_borderColor; }
    void setBorderColor(qint32 color);
    // 0 draws no border at all.
    int BorderWidth() const { return m_borderWidth; }
    void setBorderWidth(int width);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_kind = Rectangle;
    qint32 m_fillColor = 0;
    bool m_filled = false;
    qint32 m_borderColor = 0;
    int m_borderWidth = 1;
};
