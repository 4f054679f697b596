#pragma once

#include <windows.h>
#include <atomic>
#include <cstdint>
#include <oaidl.h>

namespace zelvano {

// PowerPoint's application events (its EApplication dispatch interface), received on whichever
// thread of the process's multithreaded apartment COM picks. PowerPoint waits for each event to
// return, so each only reads the shown slide back from the event's window and posts it to the
// window's thread; every other event is let go at once.
class PowerPointSink final : public IDispatch
{
public:
    PowerPointSink(HWND window, std::uint32_t watch);
    PowerPointSink(const PowerPointSink&) = delete;
    PowerPointSink& operator=(const PowerPointSink&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: events come by their DISPIDs alone.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* parameters,
        VARIANT*, EXCEPINFO*, UINT*) override;

private:
    ~PowerPointSink() = default;

    HWND m_window;
    std::uint32_t m_watch;
    std::atomic<ULONG> m_references { 1 };
};

} // namespace zelvano
