// Swap interval 1 through the window system's own swap control, asked only
// where its extension string names it. Looking an entry up is no proof of
// support: on X11 glXGetProcAddress answers every glXSwapInterval* name, and
// a call the server does not support is an X error, which ends the program.
#include "app/swap_interval.h"

#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <GL/glx.h>
#endif

namespace {

#if defined(_WIN32)
constexpr const char* SwapControlNames[] = {"WGL_EXT_swap_control"};
#else
// The EXT call sets the interval of the drawable; the MESA and SGI calls that
// of the current context's drawable.
constexpr const char* SwapControlNames[] = {"GLX_EXT_swap_control", "GLX_MESA_swap_control",
                                            "GLX_SGI_swap_control"};
#endif

// True when `name` is one of the space-separated names of `extensions`.
bool namesExtension(const char* extensions, const char* name)
{
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at; at = std::strstr(at + 1, name)) {
        const bool startsName = at == extensions || at[-1] == ' ';
        const bool endsName = at[length] == ' ' || at[length] == '\0';
        if (startsName && endsName)
            return true;
    }
    return false;
}

// An entry point as the type of the function it is. The window systems hand
// entries out as a generic function pointer; going through void(*)() keeps
// the compiler's function-cast check quiet about a cast that is intended.
template <typename Function, typename Entry>
Function entryAs(Entry entry)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}

#if defined(_WIN32)

const char* windowSystemExtensions()
{
    using GetExtensionsString = const char*(WINAPI*)();
    const auto getExtensions =
        entryAs<GetExtensionsString>(wglGetProcAddress("wglGetExtensionsStringEXT"));
    return getExtensions ? getExtensions() : nullptr;
}

void setSwapIntervalOne(const char*)
{
    using SwapInterval = BOOL(WINAPI*)(int);
    if (const auto swapInterval = entryAs<SwapInterval>(wglGetProcAddress("wglSwapIntervalEXT")))
        swapInterval(1);
}

#else

const char* windowSystemExtensions()
{
    Display* display = glXGetCurrentDisplay();
    return display ? glXQueryExtensionsString(display, DefaultScreen(display)) : nullptr;
}

template <typename Function>
Function glxEntry(const char* name)
{
    return entryAs<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

void setSwapIntervalOne(const char* extension)
{
    if (std::strcmp(extension, "GLX_EXT_swap_control") == 0) {
        using SwapInterval = void (*)(Display*, GLXDrawable, int);
        if (const auto swapInterval = glxEntry<SwapInterval>("glXSwapIntervalEXT"))
            swapInterval(glXGetCurrentDisplay(), glXGetCurrentDrawable(), 1);
    } else if (std::strcmp(extension, "GLX_MESA_swap_control") == 0) {
        using SwapInterval = int (*)(unsigned int);
        if (const auto swapInterval = glxEntry<SwapInterval>("glXSwapIntervalMESA"))
            swapInterval(1);
    } else {
        using SwapInterval = int (*)(int);
        if (const auto swapInterval = glxEntry<SwapInterval>("glXSwapIntervalSGI"))
            swapInterval(1);
    }
}

#endif

} // namespace

const char* chooseSwapControl(const char* extensions)
{
    if (!extensions)
        return nullptr;
    for (const char* name : SwapControlNames)
        if (namesExtension(extensions, name))
            return name;
    return nullptr;
}

const char* requestSwapInterval()
{
    const char* extension = chooseSwapControl(windowSystemExtensions());
    if (!extension)
        return "none";
    setSwapIntervalOne(extension);
    return extension;
}
