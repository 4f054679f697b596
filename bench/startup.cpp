// Start-up time: from the exec of a program to the moment the X server maps its window, seen by
// an X client of its own that listens for MapNotify on the root window. No window manager runs,
// so a top-level window is viewable as soon as it is mapped.
//
//   zelvano_bench_startup RUNS FOLDER PROGRAM...
//
// Every program runs once to warm the caches, then RUNS rounds start each program once, in turn
// (the order rotates from round to round), in FOLDER, with its standard error dropped. Each is
// ended with SIGTERM once its window is mapped. Human-readable lines go to standard error, one
// JSON object to standard output: the times of every run, by program.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <xcb/xcb.h>

#include "benchjson.h"

namespace {

constexpr int mapTimeoutMs = 10'000;

double monotonicMs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

class RootWatcher
{
public:
    RootWatcher()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_void_cookie_t cookie = xcb_change_window_attributes_checked(
            m_connection, screen->root, XCB_CW_EVENT_MASK, &mask);
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            std::free(error);
            return;
        }
        m_ready = true;
    }
    ~RootWatcher() { xcb_disconnect(m_connection); }
    RootWatcher(const RootWatcher&) = delete;
    RootWatcher& operator=(const RootWatcher&) = delete;

    bool isReady() const { return m_ready; }

    // Drops the events of earlier runs.
    void drain()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
            std::free(event);
    }

    // The moment the next top-level window that is not override-redirect is mapped.
    std::optional<double> waitForMap(double deadlineMs)
    {
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY
                    && !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
                std::free(event);
                if (mapped)
                    return monotonicMs();
            }
            const double left = deadlineMs - monotonicMs();
            if (left <= 0 || xcb_connection_has_error(m_connection))
                return std::nullopt;
            pollfd descriptor { xcb_get_file_descriptor(m_connection), POLLIN, 0 };
            if (::poll(&descriptor, 1, static_cast<int>(left) + 1) < 0 && errno != EINTR)
                return std::nullopt;
        }
    }

private:
    xcb_connection_t* m_connection;
    bool m_ready = false;
};

// Starts program in folder, waits for its window and ends it; the milliseconds from exec to map.
std::optional<double> timeOneStart(RootWatcher& watcher, const char* folder, const char* program)
{
    watcher.drain();
    const double startMs = monotonicMs();
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0)
            ::dup2(null, STDERR_FILENO);
        if (::chdir(folder) != 0)
            ::_exit(127);
        ::execl(program, program, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const std::optional<double> mappedMs = watcher.waitForMap(startMs + mapTimeoutMs);
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    // The window's end reaches the server before the next start.
    ::usleep(100'000);
    if (!mappedMs)
        return std::nullopt;
    return *mappedMs - startMs;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: zelvano_bench_startup RUNS FOLDER PROGRAM...\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const char* folder = argv[2];
    const std::vector<const char*> programs(argv + 3, argv + argc);
    RootWatcher watcher;
    if (!watcher.isReady()) {
        std::fprintf(stderr, "cannot watch the root window of the X server\n");
        return 1;
    }
    std::vector<std::vector<double>> times(programs.size());
    for (const char* program : programs) {
        if (!timeOneStart(watcher, folder, program)) {
            std::fprintf(stderr, "%s: no window within %d ms\n", program, mapTimeoutMs);
            return 1;
        }
    }
    for (int round = 0; round < runs; ++round) {
        for (std::size_t i = 0; i < programs.size(); ++i) {
            const std::size_t which = (i + static_cast<std::size_t>(round)) % programs.size();
            const std::optional<double> ms = timeOneStart(watcher, folder, programs[which]);
            if (!ms) {
                std::fprintf(stderr, "%s: no window within %d ms\n", programs[which], mapTimeoutMs);
                return 1;
            }
            times[which].push_back(*ms);
        }
    }
    JsonObject json;
    for (std::size_t i = 0; i < programs.size(); ++i) {
        std::vector<double> sorted = times[i];
        std::sort(sorted.begin(), sorted.end());
        std::fprintf(stderr, "%s: median %.1f ms, %.1f-%.1f ms over %d runs\n", programs[i],
            sorted[sorted.size() / 2], sorted.front(), sorted.back(), runs);
        JsonArray values;
        for (const double ms : times[i])
            values.add(ms);
        json.add(programs[i], values);
    }
    std::printf("%s\n", json.text().c_str());
    return 0;
}
