// A stand-in for PowerPoint's automation, for the tests under Wine: an Application object entered
// in the running object table under PowerPoint's class, with the slide show events of its
// EApplication interface. One object stands for every object a client walks through to the shown
// slide (SlideShowWindows, its Count and Item, a window's View, its Slide, its SlideIndex). It
// shows a slide from the start when given its number, and runs a show as told on standard input,
// one command a line:
//
//   begin N     a show begins on slide N: SlideShowBegin, then SlideShowNextSlide
//   next N      the show turns to slide N: SlideShowNextSlide
//   build       an animation step within the slide: SlideShowNextBuild alone
//   end         the show ends: SlideShowEnd
//
// It says on standard output "running" once it is in the table, "advised" and "unadvised" as a
// client subscribes and lets go, and "done COMMAND" once every subscriber has returned from the
// command's events. It ends when its input does.
#include <windows.h>
#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <ocidl.h>
#include <oleauto.h>
#include <olectl.h>
#include <string>
#include <vector>

#include "win32/slides/automation.h"
#include "win32/slides/powerpoint.h"

using namespace zelvano;

namespace {

void print(const std::string& line)
{
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
        &written, nullptr);
}

// Served by COM's threads (the stand-in lives in the multithreaded apartment), so that its main
// thread may wait for input. It lives as long as the process: references are not counted.
class PowerPoint final : public IDispatch, public IConnectionPointContainer, public IConnectionPoint
{
public:
    explicit PowerPoint(long shown)
        : m_shown(shown)
    { }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (id == IID_IUnknown || id == IID_IDispatch)
            *object = static_cast<IDispatch*>(this);
        else if (id == IID_IConnectionPointContainer)
            *object = static_cast<IConnectionPointContainer*>(this);
        else if (id == IID_IConnectionPoint)
            *object = static_cast<IConnectionPoint*>(this);
        else
            *object = nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // IDispatch: the members read on the way to the shown slide.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(
        REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        for (std::size_t i = 0; count == 1 && i < std::size(members); ++i) {
            if (_wcsicmp(members[i], names[0]) == 0) {
                ids[0] = static_cast<DISPID>(i);
                return S_OK;
            }
        }
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(
        DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override
    {
        const long shown = m_shown;
        if (!result || member < 0 || static_cast<std::size_t>(member) >= std::size(members))
            return DISP_E_MEMBERNOTFOUND;
        const std::wstring_view name = members[static_cast<std::size_t>(member)];
        VariantInit(result);
        if (name == L"Count") {
            result->vt = VT_I4;
            result->lVal = shown > 0 ? 1 : 0;
        } else if (name == L"SlideIndex") {
            if (shown == 0)
                return DISP_E_EXCEPTION; // no show, no slide
            result->vt = VT_I4;
            result->lVal = shown;
        } else {
            result->vt = VT_DISPATCH;
            result->pdispVal = this;
        }
        return S_OK;
    }

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID id, IConnectionPoint** point) override
    {
        *point = id == powerPointEventsId ? this : nullptr;
        return *point ? S_OK : CONNECT_E_NOCONNECTION;
    }

    // IConnectionPoint. A client is asked for IDispatch: asked for the events' own interface
    // across processes, COM would marshal it by PowerPoint's type library, which is not here.
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* id) override
    {
        *id = powerPointEventsId;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** c) override
    {
        *c = this;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* client, DWORD* cookie) override
    {
        IDispatch* sink = nullptr;
        if (!client
            || FAILED(client->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&sink))))
            return CONNECT_E_CANNOTCONNECT;
        const std::lock_guard lock(m_mutex);
        *cookie = ++m_lastCookie;
        m_sinks[*cookie] = sink;
        print("advised");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override
    {
        const std::lock_guard lock(m_mutex);
        const auto found = m_sinks.find(cookie);
        if (found == m_sinks.end())
            return CONNECT_E_NOCONNECTION;
        found->second->Release();
        m_sinks.erase(found);
        print("unadvised");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    // Shows slide (0: none) and calls every subscriber with each event in turn, as PowerPoint
    // does: the window an event is about is its one argument.
    void show(long slide, std::initializer_list<DISPID> events)
    {
        m_shown = slide;
        std::vector<IDispatch*> sinks; // held here, should one let go meanwhile
        {
            const std::lock_guard lock(m_mutex);
            for (const auto& [cookie, sink] : m_sinks) {
                sink->AddRef();
                sinks.push_back(sink);
            }
        }
        VARIANT window;
        window.vt = VT_DISPATCH;
        window.pdispVal = this;
        DISPPARAMS parameters { &window, nullptr, 1, 0 };
        for (const DISPID event : events) {
            for (IDispatch* sink : sinks)
                sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
                    nullptr, nullptr, nullptr);
        }
        for (IDispatch* sink : sinks)
            sink->Release();
    }
    long shown() const { return m_shown; }

private:
    static constexpr const wchar_t* members[]
        = { L"SlideShowWindows", L"Count", L"Item", L"View", L"Slide", L"SlideIndex" };
    std::atomic<long> m_shown;
    std::mutex m_mutex;
    std::map<DWORD, IDispatch*> m_sinks;
    DWORD m_lastCookie = 0;
};

// The next line of standard input; false at its end.
bool readLine(std::string& line)
{
    line.clear();
    char c = 0;
    DWORD got = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &got, nullptr) && got == 1) {
        if (c == '\n')
            return true;
        if (c != '\r')
            line += c;
    }
    return !line.empty();
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return 1;
    PowerPoint powerPoint(argc > 1 ? _wtol(argv[1]) : 0);
    DWORD registration = 0;
    if (FAILED(RegisterActiveObject(static_cast<IDispatch*>(&powerPoint), powerPointApplicationId,
            ACTIVEOBJECT_STRONG, &registration)))
        return 1;
    print("running");
    for (std::string command; readLine(command);) {
        const std::string verb = command.substr(0, command.find(' '));
        const long slide = std::atol(command.c_str() + verb.size());
        if (verb == "begin")
            powerPoint.show(slide, { slideShowBeginId, slideShowNextSlideId });
        else if (verb == "next")
            powerPoint.show(slide, { slideShowNextSlideId });
        else if (verb == "build")
            powerPoint.show(powerPoint.shown(), { slideShowNextBuildId });
        else if (verb == "end")
            powerPoint.show(0, { slideShowEndId });
        print("done " + command);
    }
    RevokeActiveObject(registration, nullptr);
    CoUninitialize();
    return 0;
}
