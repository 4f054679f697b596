#include "win32/desktop/screendpi.h"

#include "platform/systemlibrary_win32.h"

namespace zelvano {

namespace {

    // A function of user32.dll, or null where this Windows has none of that name. user32 is
    // loaded in every window-owning process, so nothing is loaded here.
    template <typename Function> Function* user32Function(const char* name)
    {
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        return user32 ? libraryFunction<Function>(user32, name) : nullptr;
    }

} // namespace

UINT windowDpi(HWND window)
{
    static const auto perWindow = user32Function<decltype(GetDpiForWindow)>("GetDpiForWindow");
    if (perWindow)
        return perWindow(window);
    const HDC context = GetDC(window);
    const int dpi = context ? GetDeviceCaps(context, LOGPIXELSY) : 0;
    if (context)
        ReleaseDC(window, context);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

int systemMetricForDpi(int metric, UINT dpi)
{
    static const auto forDpi
        = user32Function<decltype(GetSystemMetricsForDpi)>("GetSystemMetricsForDpi");
    return forDpi ? forDpi(metric, dpi) : GetSystemMetrics(metric);
}

void keepOwnFontOnDpiChange(HWND control)
{
    static const auto setBehaviour = user32Function<decltype(SetDialogControlDpiChangeBehavior)>(
        "SetDialogControlDpiChangeBehavior");
    if (setBehaviour)
        setBehaviour(control, DCDC_DISABLE_FONT_UPDATE, DCDC_DISABLE_FONT_UPDATE);
}

} // namespace zelvano
