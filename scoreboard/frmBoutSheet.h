#pragma once

#include <QWidget>

class Match;
class QTableWidget;

// "Darezez Bout Sheet": the dual's bouts as they were recorded, and a CSV of them. A window
// of its own on the operator's screen: the match's keys stay with the board, Esc closes it.
class frmBoutSheet : public QWidget {
    Q_OBJECT

public:
    explicit frmBoutSheet(const Match &match, QWidget *board);

    // Writes the CSV; false, with why, when it could not.
    bool SaveCsv(const QString &path, QString *why) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void refresh();
    void placeBeside(const QWidget *board);
    void saveAs();

    const Match &m_match;
    QTableWidget *m_table;
};
