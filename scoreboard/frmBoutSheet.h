#pragma once

#include "scoreboard/BoutSheetPrint.h"

#include <QWidget>

class Match;
class QTableWidget;

// "Darezez Bout Sheet": the dual's bouts as they were recorded, a CSV of them, and the sheet
// on paper or as a PDF. A window
// of its own on the operator's screen: the match's keys stay with the board, Esc closes it.
class frmBoutSheet : public QWidget {
    Q_OBJECT

public:
    explicit frmBoutSheet(const Match &match, QWidget *board);

    // Writes the CSV; false, with why, when it could not.
    bool SaveCsv(const QString &path, QString *why) const;
    // Writes the printed sheet as a PDF; false, with why, when it could not.
    bool SavePdf(const QString &path, QString *why) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void refresh();
    void placeBeside(const QWidget *board);
    using Saver = bool (frmBoutSheet::*)(const QString &, QString *) const;
    // Asks where, in the file chooser, then saves; says why when it could not.
    void saveAs(const QString &kind, Saver save);
    void print();
    BoutSheetPrint::Sheet sheet() const;
    void warn(const QString &text);

    const Match &m_match;
    QTableWidget *m_table;
};
