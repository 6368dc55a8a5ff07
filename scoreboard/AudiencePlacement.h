#pragma once

#include <QObject>
#include <QPointer>

class QScreen;
class QWidget;
class frmAudience;

// Where the crowd's display goes, so that the board only carries it out: full screen on the
// largest screen other than the board's; when that screen is unplugged, onto another one,
// or closed until a screen comes back (unless the operator closed it); and which of the two
// windows F11 fills.
class AudiencePlacement : public QObject {
    Q_OBJECT

public:
    explicit AudiencePlacement(QWidget *board);

    // The screen to open the display on; null: an ordinary window beside the board.
    QScreen *Choose() const;
    // The display the board has open now, or null.
    void SetAudience(frmAudience *audience) { m_audience = audience; }
    // The operator opened or closed it: an unplugged screen no longer brings it back.
    void OperatorChose() { m_reopenWithScreen = false; }
    // The display when it stands on the board's screen now, however it was opened; else the
    // board.
    QWidget *FullScreenTarget() const;

signals:
    void MoveRequested(QScreen *screen);
    void CloseRequested();
    void OpenRequested(QScreen *screen);

private:
    void screenAdded(QScreen *added);
    void screenRemoved(QScreen *removed);

    QWidget *m_board;
    QPointer<frmAudience> m_audience;
    bool m_reopenWithScreen = false;
};
