#pragma once

#include "clock/MatchFixture.h"
#include "console/KeyConsole.h"

// A match with the console the board hands its keys to.
struct ConsoleFixture : MatchFixture {
    std::unique_ptr<KeyConsole> console;

    void start() {
        modGlobals::SetDefaults();
        MatchFixture::start();
        console = std::make_unique<KeyConsole>(*m);
    }
    void stop() {
        console.reset();
        MatchFixture::stop();
    }
    // A key as the board hands it over: its code, then the character it types into the
    // selected field (-1: none).
    void press(int keyCode, int typed = 0, int field = -1) {
        console->keyDown(keyCode);
        if (typed)
            console->keyPress(field, typed);
    }
    void type(int field, const QString &keys) {
        for (const QChar c : keys)
            press(0, c.unicode(), field);
    }
};
