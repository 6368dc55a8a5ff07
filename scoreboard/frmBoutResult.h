#pragma once

#include <QDialog>

class Match;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// "Bout Result": who won and how, the team points the rule set gives it, the bout's time at
// a fall, and a team-point deduction; OK records it on the match, Cancel changes nothing.
// The match clock keeps time behind it.
class frmBoutResult : public QDialog {
    Q_OBJECT

public:
    frmBoutResult(Match &match, QWidget *owner);

    void accept() override;

private:
    void update();

    Match &m_match;
    QRadioButton *m_home;
    QRadioButton *m_guest;
    QRadioButton *m_nobody;
    QComboBox *m_result;
    QLabel *m_teamPoints;
    QLineEdit *m_fallTime;
    QComboBox *m_deduction;
};
