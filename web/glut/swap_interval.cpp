// The web build's requestSwapInterval: the browser shows a frame at each of
// its animation frames, and the main loop (main_loop.js) runs one pass per
// animation frame, which is what a swap interval of 1 gives natively. So
// there is nothing to ask for. Stands in for app/swap_interval.cpp (GLX and
// WGL), which the web build leaves out. Entry points: requestSwapInterval(),
// chooseSwapControl().
#include "app/swap_interval.h"

const char* chooseSwapControl(const char*)
{
    return nullptr;
}

const char* requestSwapInterval()
{
    return "requestAnimationFrame";
}
