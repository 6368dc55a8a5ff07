#pragma once

#include <QPointer>
#include <QScreen>
#include <QWidget>

class BoardPicture;
class Match;

// The crowd's copy of the board: the same match drawn at the audience screen's own
// resolution. It never takes the keyboard focus, shows no focus mark and ignores clicks.
class frmAudience : public QWidget {
    Q_OBJECT

public:
    explicit frmAudience(Match &match, QWidget *parent = nullptr);

    BoardPicture &Picture() { return *m_picture; }

    // Full screen on `screen`, or an ordinary window of the design size when null.
    void ShowOn(QScreen *screen);
    // The screen it was put on full screen; null while it is an ordinary window.
    QScreen *TargetScreen() const { return m_target; }

    void UpdateLabels();
    void UpdateFormColors();

signals:
    // By F2, an unplugged screen or its window's close button.
    void Closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    BoardPicture *m_picture;
    QPointer<QScreen> m_target;
};
