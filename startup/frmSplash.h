#pragma once

#include <QPointer>
#include <QWidget>

// The welcome window: the program starts here, loads the options, and goes on to the
// scoreboard on a click anywhere but its two buttons.
class frmSplash : public QWidget {
    Q_OBJECT

public:
    frmSplash();

    // Asks the program's start for the scoreboard, then goes.
    void GoScore();

    static QString VersionText();
    static QString SystemName();

signals:
    void ScoreboardWanted();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void Form_Load();
    void cmdOptions_Click();
    void cmdHelp_Click();

    bool m_pressed = false;
};
