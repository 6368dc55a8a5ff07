#pragma once

#include <QObject>
#include <QTimer>

class Match;

// The match's refresh: a single-shot timer armed for the next moment a shown digit changes
// or the match clock reaches zero, on exactly while the match's tick is enabled. Every
// firing reads the time, so a late one changes no reading.
class ClockTick : public QObject {
    Q_OBJECT

public:
    explicit ClockTick(Match &match, QObject *parent = nullptr);

    QTimer &timer() { return m_timer; }
    // After anything that may move the next change (a key, a restored match).
    void arm();

signals:
    // After each firing's `UpdateClocks`.
    void Refreshed();

private:
    Match &m_match;
    QTimer m_timer;
};
