#pragma once

#include <QLabel>

// A label that shows its whole text when it fits, else as much as fits with "…": a name
// never runs into the digits beside it, at any size of the board.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override;
};
