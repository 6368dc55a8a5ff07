#pragma once

#include "Desktop.h"
#include "LedReader.h"

#include <QDeadlineTimer>
#include <QTest>

// Starts the real program and clicks through the welcome window to the scoreboard.
struct BoardSession {
    Desktop desktop;
    QString board;

    // `answer`: the xdotool keys (apart by spaces) that answer the question the click brings
    // up, when a journaled meet is expected; without it no question may come.
    bool open(const QProcessEnvironment &extra = {}, const QString &answer = {}) {
        if (!desktop.start(extra))
            return fail("the program did not start");
        // Generous: the first start on a new machine may build the font cache.
        const QString splash = desktop.waitForNewWindow({}, 2 * Desktop::kWaitMs);
        if (splash.isEmpty())
            return fail("no welcome window", true);
        const QRect g = desktop.geometry(splash);
        // On "Click to continue."
        desktop.click(g.x() + 185, g.y() + 70);
        QStringList known{splash};
        if (!answer.isEmpty()) {
            const QString question = desktop.waitForNewWindow(known);
            if (question.isEmpty())
                return fail("no question after the click");
            desktop.activate(question);
            desktop.keys(answer.split(QLatin1Char(' ')));
            if (!desktop.waitForWindowGone(question))
                return fail("the question stayed");
            known << question;
        }
        board = desktop.waitForNewWindow(known);
        if (board.isEmpty())
            return fail("no scoreboard after the click");
        if (!desktop.waitForWindowGone(splash))
            return fail("the welcome window stayed");
        // A note may stand beside the board: the board is the largest new window.
        const auto area = [this](const QString &id) {
            const QRect g = desktop.geometry(id);
            return g.width() * g.height();
        };
        for (const QString &id : desktop.windows()) {
            if (!known.contains(id) && area(id) > area(board))
                board = id;
        }
        desktop.activate(board);
        if (!desktop.waitForActive(board))
            return fail("the scoreboard is not the active window");
        // Painted: every field can be read.
        for (QDeadlineTimer deadline(Desktop::kWaitMs); !LedReader(desktop.grab(board)).ok();)
            if (deadline.hasExpired())
                return fail("the scoreboard was never painted whole");
        return true;
    }
    bool fail(const char *why, bool listWindows = false) {
        qWarning("%s; program output: %s", why, qPrintable(desktop.output()));
        // What the X server knows of the program's windows, mapped or not.
        if (listWindows)
            qWarning("its windows: %s", qPrintable(desktop.describeWindows()));
        return false;
    }
};
