#include "settings/SystemBeep.h"

namespace {
SystemBeep::Handler &handler() {
    static SystemBeep::Handler h;
    return h;
}
} // namespace

namespace SystemBeep {

void beep() {
    if (handler())
        handler()();
}

void setHandler(Handler h) {
    handler() = std::move(h);
}

} // namespace SystemBeep
