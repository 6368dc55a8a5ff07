#pragma once

#include <QDialog>

class Match;
class QTableWidget;
class QTableWidgetItem;

// "Darezez Lineup": each side's wrestler by weight class, typed by keyboard alone (arrows or
// Tab between cells, typing replaces, Enter keeps, Esc closes), a roster read from a CSV
// file or the lineup written to one. Each change is one command of the match.
class frmLineup : public QDialog {
    Q_OBJECT

public:
    frmLineup(Match &match, QWidget *owner);

    // A roster file into the lineup as one change, or why not.
    bool Import(const QString &path, QString *why);
    bool Export(const QString &path, QString *why) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    void edited(QTableWidgetItem *item);
    void importRoster();
    void exportLineup();
    void tell(const QString &text);

    Match &m_match;
    QTableWidget *m_table;
    bool m_filling = false;
};
