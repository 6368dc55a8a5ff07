#pragma once

#include <functional>

// The one audible acknowledgement the program gives. The window layer installs the
// platform beep; tests install a counter.
namespace SystemBeep {

using Handler = std::function<void()>;

void beep();
void setHandler(Handler handler);

} // namespace SystemBeep
