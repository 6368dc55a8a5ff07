#pragma once

#include "clock/BoutSheet.h"

#include <QDate>
#include <QPageSize>

class QPagedPaintDevice;

// The dual's bout sheet on paper, for the league: a header with both teams, the date, the
// rule set and the final team score; a row per bout; the referee's and both scorers'
// signature lines. Bouts that do not fit go on to further pages under the same header.
class BoutSheetPrint {
public:
    struct Sheet {
        QString home, guest; // the teams' names
        QString ruleSet;     // as the options show it
        QDate date;
        QList<BoutResult> bouts;
        QList<ScoredMove> moves;
        BoutSheet::Wrestlers wrestlers;
    };

    // Paints the sheet on the device's own page size and margins; the pages it took, 0 when
    // the device could not be painted on.
    static int Paint(QPagedPaintDevice *device, const Sheet &sheet);
    // Writes a PDF in the locale's paper size, landscape; false, with why, when it could not.
    static bool SavePdf(const QString &path, const Sheet &sheet, QString *why);
    // Letter where the locale measures in inches, else A4.
    static QPageSize LocalePageSize();
};
