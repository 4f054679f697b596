#include "win32/slides/powerpointsink.h"

#include <optional>

#include "win32/slides/automation.h"
#include "win32/slides/powerpoint.h"
#include "win32/slides/powerpointnews.h"

namespace zelvano {

namespace {

    // The window an event is about: its one argument, or the first of several (arguments come
    // last first).
    IDispatch* slideShowWindowOf(const DISPPARAMS* parameters)
    {
        if (!parameters || parameters->cArgs == 0 || !parameters->rgvarg)
            return nullptr;
        const VARIANT& first = parameters->rgvarg[parameters->cArgs - 1];
        if (first.vt == VT_DISPATCH)
            return first.pdispVal;
        if (first.vt == (VT_DISPATCH | VT_BYREF) && first.ppdispVal)
            return *first.ppdispVal;
        return nullptr;
    }

} // namespace

PowerPointSink::PowerPointSink(HWND window, std::uint32_t watch)
    : m_window(window)
    , m_watch(watch)
{ }

HRESULT PowerPointSink::QueryInterface(REFIID id, void** object)
{
    if (!object)
        return E_POINTER;
    if (id != IID_IUnknown && id != IID_IDispatch && id != powerPointEventsId) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG PowerPointSink::AddRef() { return ++m_references; }

ULONG PowerPointSink::Release()
{
    const ULONG left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT PowerPointSink::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT PowerPointSink::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT PowerPointSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT PowerPointSink::Invoke(
    DISPID member, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*, UINT*)
{
    PowerPointNews news {};
    switch (member) {
    case slideShowBeginId:
        news = PowerPointNews::ShowBegan;
        break;
    case slideShowNextSlideId:
        news = PowerPointNews::SlideShown;
        break;
    case slideShowEndId:
        postPowerPointNews(m_window, m_watch, PowerPointNews::ShowEnded);
        return S_OK;
    default:
        return S_OK; // animation steps, clicks, selections: not a slide of their own
    }
    // A show that has just begun may not tell its slide yet; the next slide it shows will.
    if (const std::optional<long> slide = shownSlideOf(slideShowWindowOf(parameters)))
        postPowerPointNews(m_window, m_watch, news, *slide);
    return S_OK;
}

} // namespace zelvano
