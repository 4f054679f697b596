#include "win32/slides/powerpointwatch.h"

#include <ocidl.h>
#include <oleauto.h>
#include <optional>
#include <system_error>
#include <thread>

#include "win32/slides/automation.h"
#include "win32/slides/powerpoint.h"
#include "win32/slides/powerpointnews.h"
#include "win32/slides/powerpointsink.h"

namespace zelvano {

namespace {

    // How often the running object table is asked: soon enough for a PowerPoint started after
    // the program, whose show is taken at the slide it shows when found, or for one ended. Under
    // Wine each question costs its services some 10 ms of CPU.
    constexpr DWORD lookEveryMs = 5000;
    // At the program's end, the last watch's time to tell PowerPoint it no longer listens.
    constexpr DWORD endTimeoutMs = 1000;

    // A subscription to the running PowerPoint's events.
    struct Subscription
    {
        ComRef<IUnknown> application;
        ComRef<IConnectionPoint> point;
        DWORD cookie = 0;

        ~Subscription() { end(); }
        void end()
        {
            if (point)
                point->Unadvise(cookie);
            point.reset();
            application.reset();
        }
    };

    ComRef<IUnknown> runningPowerPoint(HRESULT& result)
    {
        ComRef<IUnknown> application;
        result = GetActiveObject(powerPointApplicationId, nullptr, application.put());
        return application;
    }

    HRESULT subscribe(Subscription& subscription, IDispatch* sink)
    {
        HRESULT result = S_OK;
        ComRef<IUnknown> application = runningPowerPoint(result);
        if (!application)
            return FAILED(result) ? result : E_FAIL;
        ComRef<IConnectionPointContainer> container;
        result = application->QueryInterface(
            IID_IConnectionPointContainer, reinterpret_cast<void**>(container.put()));
        if (FAILED(result))
            return result;
        ComRef<IConnectionPoint> point;
        result = container->FindConnectionPoint(powerPointEventsId, point.put());
        if (FAILED(result))
            return result;
        result = point->Advise(sink, &subscription.cookie);
        if (FAILED(result))
            return result;
        subscription.application = std::move(application);
        subscription.point = std::move(point);
        return S_OK;
    }

    // The slide of the show PowerPoint runs already, if it runs one.
    std::optional<long> slideShownNow(IUnknown* application)
    {
        ComRef<IDispatch> automation;
        if (FAILED(application->QueryInterface(
                IID_IDispatch, reinterpret_cast<void**>(automation.put()))))
            return std::nullopt;
        const ComRef<IDispatch> windows = objectOf(automation.get(), L"SlideShowWindows");
        if (numberOf(windows.get(), L"Count").value_or(0) < 1)
            return std::nullopt;
        return shownSlideOf(objectOf(windows.get(), L"Item", 1).get());
    }

    // The same PowerPoint is still the one entered in the table; within one apartment COM gives
    // one object the same IUnknown every time.
    bool stillRunning(const Subscription& subscription)
    {
        HRESULT result = S_OK;
        return runningPowerPoint(result).get() == subscription.application.get();
    }

} // namespace

struct PowerPointWatch::Shared
{
    Shared()
        : stop(CreateEventW(nullptr, TRUE, FALSE, nullptr))
        , finished(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    { }
    ~Shared()
    {
        for (const HANDLE event : { stop, finished }) {
            if (event)
                CloseHandle(event);
        }
    }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    HANDLE stop;
    HANDLE finished;
};

namespace {

    void runWatch(
        const std::shared_ptr<PowerPointWatch::Shared>& shared, HWND window, std::uint32_t watch)
    {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (FAILED(com)) {
            postPowerPointNews(window, watch, PowerPointNews::NotReached, com);
            SetEvent(shared->finished);
            return;
        }
        {
            auto* sink = new PowerPointSink(window, watch);
            Subscription subscription;
            bool toldNotReached = false;
            do {
                // Gone, it has said so: the watch looks for the next one quietly.
                if (subscription.point && !stillRunning(subscription)) {
                    postPowerPointNews(window, watch, PowerPointNews::Lost);
                    subscription.end();
                    toldNotReached = true;
                }
                if (!subscription.point) {
                    const HRESULT result = subscribe(subscription, sink);
                    if (SUCCEEDED(result)) {
                        postPowerPointNews(window, watch, PowerPointNews::Reached);
                        if (const std::optional<long> slide
                            = slideShownNow(subscription.application.get()))
                            postPowerPointNews(window, watch, PowerPointNews::ShowBegan, *slide);
                        toldNotReached = false;
                    } else if (!toldNotReached) {
                        postPowerPointNews(window, watch, PowerPointNews::NotReached, result);
                        toldNotReached = true;
                    }
                }
            } while (WaitForSingleObject(shared->stop, lookEveryMs) == WAIT_TIMEOUT);
            subscription.end();
            sink->Release();
        }
        CoUninitialize();
        SetEvent(shared->finished);
    }

} // namespace

PowerPointWatch::~PowerPointWatch()
{
    stop();
    if (m_stopped)
        WaitForSingleObject(m_stopped->finished, endTimeoutMs);
}

void PowerPointWatch::start(HWND window)
{
    if (m_shared)
        return;
    m_shared = std::make_shared<Shared>();
    ++m_watch;
    bool started = m_shared->stop && m_shared->finished;
    if (started) {
        try {
            std::thread(runWatch, m_shared, window, m_watch).detach();
        } catch (const std::system_error&) {
            started = false;
        }
    }
    // A watch that cannot run says so once, as one that cannot reach PowerPoint does.
    if (!started) {
        if (m_shared->finished)
            SetEvent(m_shared->finished);
        postPowerPointNews(window, m_watch, PowerPointNews::NotReached, E_OUTOFMEMORY);
    }
}

void PowerPointWatch::stop()
{
    if (!m_shared)
        return;
    SetEvent(m_shared->stop);
    m_stopped = std::move(m_shared);
}

} // namespace zelvano
