#pragma once

#include <QWidget>

// A container that fills itself with one colour and clips what it holds; also a colour
// swatch. It passes a click's focus on to its focus proxy.
class PictureBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qint32 BackColor READ BackColor WRITE setBackColor)

public:
    explicit PictureBox(QWidget *parent = nullptr);

    qint32 BackColor() const { return m_backColor; }
    void setBackColor(qint32 color);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    qint32 m_backColor = 0;
};
