#pragma once

#include <QPointer>
#include <QWidget>

class MatchJournal;
class QDateTime;

// The welcome window: the program starts here, loads the options, and goes on to the
// scoreboard on a click anywhere but its two buttons.
class frmSplash : public QWidget {
    Q_OBJECT

public:
    // The journal hands the board a match to resume; without one the board starts fresh.
    explicit frmSplash(MatchJournal *journal = nullptr);

    void GoScore();

    static QString VersionText();
    static QString SystemName();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void Form_Load();
    void cmdOptions_Click();
    void cmdHelp_Click();

    bool askResume(const QDateTime &savedAt);

    QPointer<MatchJournal> m_journal;
    bool m_pressed = false;
};
