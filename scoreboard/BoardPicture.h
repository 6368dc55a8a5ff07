#pragma once

#include "clock/Match.h"
#include "led/LedGroup.h"

#include <QWidget>
#include <array>
#include <memory>

class PictureBox;
class QLabel;
class Shape;

// What the spectators see of a match: the nine fields, their captions and team names, the
// clock frame, the colon dots and the time-advantage lamps, in proportion to the widget's
// size and in the options' colours and digit style. It holds no match state of its own: it
// renders a `Match` and follows its changes. The board embeds one that takes the keys; an
// audience display embeds another that takes neither keys nor clicks.
class BoardPicture : public QWidget {
    Q_OBJECT

public:
    BoardPicture(Match &match, bool interactive, QWidget *parent = nullptr);
    ~BoardPicture() override;

    // The design size, in twips.
    static constexpr int kDesignWidth = 9480;
    static constexpr int kDesignHeight = 6795;

    LedGroup &Field(Match::Field field) { return *m_groups[field]; }
    LedGroup &Field(const QString &name);

    // Team names and digit style from the options.
    void UpdateLabels();
    // The colour options on everything.
    void UpdateFormColors();
    // The lamps follow who holds time advantage.
    void UpdateAdColors();
    // The time advantage's caption (or the kind and wrestler of the stoppage clock over it)
    // and the period's (or the overtime round's).
    void UpdateCaptions();
    static QString TimeAdCaption(const Match &match);
    // The current proportions become the reference for resizing.
    void RecordLayout();

signals:
    // Keys typed into a field, as the digits raise them.
    void KeyDown(int keyCode);
    void KeyPress(Match::Field field, int keyAscii);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    class Dots;

    void buildControls();
    void showField(Match::Field field);
    // The lineup's names for the weight shown.
    void showWrestlers();

    Match &m_match;
    bool m_interactive;
    std::array<std::unique_ptr<LedGroup>, Match::kFieldCount> m_groups;
    std::unique_ptr<Dots> m_shpTime;
    std::unique_ptr<Dots> m_shpTimeAd;
    Shape *m_shpTimeAdHome = nullptr;
    Shape *m_shpTimeAdGuest = nullptr;
    QLabel *m_lblHomeScore = nullptr;
    QLabel *m_lblGuestScore = nullptr;
    QLabel *m_lblHomeWrestler = nullptr;
    QLabel *m_lblGuestWrestler = nullptr;
    QLabel *m_lblTimeAd = nullptr;
    QLabel *m_lblPeriod = nullptr;
    bool m_recorded = false;
};
