#pragma once

#include "TestSupport.h"
#include "clock/Match.h"

#include <memory>

// A fresh match on the default options and a fake time source; start() in a test class's
// init(), stop() in its cleanup().
struct MatchFixture {
    std::unique_ptr<FakeClock> clock;
    std::unique_ptr<Match> m;

    void start() {
        modGlobals::SetDefaults();
        clock = std::make_unique<FakeClock>();
        m = std::make_unique<Match>();
        m->Load();
    }
    void stop() {
        m.reset();
        clock.reset();
    }
    // Time passes, and the refresh the board's timer would make comes.
    void pass(qint64 ms) {
        clock->advance(ms);
        m->UpdateClocks();
    }
};
