#pragma once

#include <mutex>
#include <optional>
#include <string>

struct pa_io_event;
struct pa_mainloop_api;

namespace zelvano {

// Hands requests from any thread to the sound thread, which sleeps in a PulseAudio main loop. The
// loop's own wake-up cannot carry them: preparing the loop empties its wake-up pipe, so a wake-up
// sent between taking the requests and the next poll would be lost, and that poll could wait
// forever. Here the wake-up is an eventfd watched by the loop. It stays readable until take()
// reads it, and take() reads it together with the requests under one lock, so whenever a request
// is waiting the loop's next poll returns at once.
class PulseMailbox final
{
public:
    struct Mail
    {
        std::optional<std::string> path; // the latest asked for; an earlier one would be cut off
        bool quit = false;
    };

    explicit PulseMailbox(pa_mainloop_api* loop);
    ~PulseMailbox();
    PulseMailbox(const PulseMailbox&) = delete;
    PulseMailbox& operator=(const PulseMailbox&) = delete;

    // Whether the wake-up could be set up; without it nothing can be posted.
    bool isReady() const { return m_event != nullptr; }

    // Any thread.
    void post(std::string path);
    void postQuit();
    // The sound thread, before each wait in the loop.
    Mail take();

private:
    void wake();

    pa_mainloop_api* m_loop;
    int m_fd = -1;
    pa_io_event* m_event = nullptr;
    std::mutex m_mutex;
    Mail m_mail;
};

} // namespace zelvano
