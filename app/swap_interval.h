// Frames paced by the screen: a swap interval of 1 where the window system
// offers swap control, and nothing at all where it does not. The one file of
// the program that calls the window system itself (GLX on X11, WGL on
// Windows, chosen when it is compiled).
// Entry point: requestSwapInterval(); chooseSwapControl() is its choice.
#pragma once

// The swap-control extension to use among those named in `extensions` (a
// window system's extension string: names separated by spaces), best first:
// GLX_EXT_swap_control, GLX_MESA_swap_control, GLX_SGI_swap_control on X11,
// WGL_EXT_swap_control on Windows. Only whole names count, so
// GLX_EXT_swap_control_tear alone is not GLX_EXT_swap_control. Null when
// none is named or `extensions` is null.
const char* chooseSwapControl(const char* extensions);

// Asks for a swap interval of 1 on the current window through the extension
// that chooseSwapControl picks from the window system's extension string,
// and returns the name of the extension asked through; returns "none",
// having called nothing but the string's query, when the string names none.
// Needs the current GL context of the window (after glutCreateWindow).
const char* requestSwapInterval();
