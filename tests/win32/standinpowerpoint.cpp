// A stand-in for PowerPoint's automation, for the tests under Wine: its Application object
// entered in the running object table under PowerPoint's class, with the slide show events of
// its EApplication interface, and the objects a client reads the shown slide from
// (SlideShowWindows.Item(1).View.Slide.SlideIndex, or the event's window). It runs a slide show
// already when started with a slide number, and when told to on standard input, one command a line:
//
//   begin N     a show begins on slide N: SlideShowBegin, then SlideShowNextSlide
//   next N      the show turns to slide N: SlideShowNextSlide
//   build       an animation step within the slide: SlideShowNextBuild alone
//   end         the show ends: SlideShowEnd
//
// and says on standard output, one line each: "running" once it is in the table, "advised" and
// "unadvised" as a client subscribes and lets go, and "done COMMAND" once every subscriber has
// returned from the command's events. It ends when its input does.
#include <windows.h>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <ocidl.h>
#include <oleauto.h>
#include <olectl.h>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <queue>

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

// One automation object: its members by name, each answered by a function. Every object lives as
// long as the process, so references are not counted.
class Node : public IDispatch
{
public:
    using Member = std::function<HRESULT(VARIANT*)>;
    void add(const wchar_t* name, Member member)
    {
        m_members.push_back({ name, std::move(member) });
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (id != IID_IUnknown && id != IID_IDispatch) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IDispatch*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(
        REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (count != 1)
            return DISP_E_UNKNOWNNAME;
        for (std::size_t i = 0; i < m_members.size(); ++i) {
            if (_wcsicmp(m_members[i].name, names[0]) == 0) {
                ids[0] = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(
        DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override
    {
        if (id < 1 || static_cast<std::size_t>(id) > m_members.size())
            return DISP_E_MEMBERNOTFOUND;
        VARIANT value;
        VariantInit(&value);
        const HRESULT outcome = m_members[static_cast<std::size_t>(id - 1)].read(&value);
        if (result)
            *result = value;
        return outcome;
    }

    // A member that is another object, or a number.
    static Member object(Node& node)
    {
        return [&node](VARIANT* value) {
            value->vt = VT_DISPATCH;
            value->pdispVal = &node;
            return S_OK;
        };
    }
    static Member number(const std::function<std::optional<long>()>& read)
    {
        return [read](VARIANT* value) {
            const std::optional<long> number = read();
            if (!number)
                return DISP_E_EXCEPTION;
            value->vt = VT_I4;
            value->lVal = *number;
            return S_OK;
        };
    }

private:
    struct Named
    {
        const wchar_t* name;
        Member read;
    };
    std::vector<Named> m_members;
};

// The Application object's one connection point, its events, and the clients subscribed to them.
class Events final : public IConnectionPointContainer, public IConnectionPoint
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (id == IID_IUnknown || id == IID_IConnectionPointContainer)
            *object = static_cast<IConnectionPointContainer*>(this);
        else if (id == IID_IConnectionPoint)
            *object = static_cast<IConnectionPoint*>(this);
        else if (id == IID_IDispatch)
            return m_application->QueryInterface(id, object);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID id, IConnectionPoint** point) override
    {
        if (id != powerPointEventsId) {
            *point = nullptr;
            return CONNECT_E_NOCONNECTION;
        }
        *point = this;
        return S_OK;
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
        ComRef<IDispatch> sink;
        if (!client
            || FAILED(client->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(sink.put()))))
            return CONNECT_E_CANNOTCONNECT;
        *cookie = ++m_lastCookie;
        m_sinks.emplace(*cookie, std::move(sink));
        print("advised");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override
    {
        if (m_sinks.erase(cookie) == 0)
            return CONNECT_E_NOCONNECTION;
        print("unadvised");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    void setApplication(Node& application) { m_application = &application; }
    // Calls every subscriber with the event and its one argument, as PowerPoint does: in turn,
    // each returning before the next is called.
    void fire(DISPID event, IDispatch* argument)
    {
        VARIANT value;
        value.vt = VT_DISPATCH;
        value.pdispVal = argument;
        DISPPARAMS parameters { &value, nullptr, 1, 0 };
        for (const auto& [cookie, sink] : m_sinks)
            sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
                nullptr, nullptr, nullptr);
    }

private:
    Node* m_application = nullptr;
    std::map<DWORD, ComRef<IDispatch>> m_sinks;
    DWORD m_lastCookie = 0;
};

// The Application object: automation for reading, the events' container for subscribing.
class Application final : public Node
{
public:
    explicit Application(Events& events)
        : m_events(events)
    {
        m_events.setApplication(*this);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (id == IID_IConnectionPointContainer)
            return m_events.QueryInterface(id, object);
        return Node::QueryInterface(id, object);
    }

private:
    Events& m_events;
};

// Lines of standard input, handed to the window's thread one at a time.
class Commands
{
public:
    explicit Commands(DWORD thread)
        : m_thread(thread)
    { }
    void read()
    {
        std::string pending;
        char buffer[256];
        DWORD got = 0;
        while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr)
            && got > 0) {
            pending.append(buffer, got);
            for (std::size_t end = pending.find('\n'); end != std::string::npos;
                 end = pending.find('\n')) {
                std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                const std::lock_guard lock(m_mutex);
                m_lines.push(line);
                PostThreadMessageW(m_thread, WM_APP, 0, 0);
            }
        }
        PostThreadMessageW(m_thread, WM_QUIT, 0, 0);
    }
    std::string next()
    {
        const std::lock_guard lock(m_mutex);
        std::string line = m_lines.front();
        m_lines.pop();
        return line;
    }

private:
    DWORD m_thread;
    std::mutex m_mutex;
    std::queue<std::string> m_lines;
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    long shown = argc > 1 ? _wtol(argv[1]) : 0;
    bool showing = shown > 0;
    Node slide;
    slide.add(L"SlideIndex", Node::number([&]() -> std::optional<long> {
        return showing ? std::optional<long>(shown) : std::nullopt;
    }));
    Node view;
    view.add(L"Slide", Node::object(slide));
    Node window;
    window.add(L"View", Node::object(view));
    Node windows;
    windows.add(L"Count", Node::number([&]() -> std::optional<long> { return showing ? 1 : 0; }));
    windows.add(L"Item", Node::object(window));
    Node presentation;
    Events events;
    Application application(events);
    application.add(L"SlideShowWindows", Node::object(windows));

    DWORD registration = 0;
    if (FAILED(RegisterActiveObject(static_cast<IDispatch*>(&application), powerPointApplicationId,
            ACTIVEOBJECT_STRONG, &registration)))
        return 1;
    print("running");

    // The message queue exists before the reader posts to it.
    MSG message {};
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    Commands commands(GetCurrentThreadId());
    std::thread reader(&Commands::read, &commands);
    reader.detach();
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message != WM_APP || message.hwnd) {
            DispatchMessageW(&message);
            continue;
        }
        const std::string command = commands.next();
        const std::string verb = command.substr(0, command.find(' '));
        const long slideNumber = std::atol(command.c_str() + verb.size());
        if (verb == "begin") {
            showing = true;
            shown = slideNumber;
            events.fire(slideShowBeginId, &window);
            events.fire(slideShowNextSlideId, &window);
        } else if (verb == "next") {
            shown = slideNumber;
            events.fire(slideShowNextSlideId, &window);
        } else if (verb == "build") {
            events.fire(slideShowNextBuildId, &window);
        } else if (verb == "end") {
            showing = false;
            events.fire(slideShowEndId, &presentation);
        }
        print("done " + command);
    }
    RevokeActiveObject(registration, nullptr);
    CoUninitialize();
    return 0;
}
