#include "platform/pulsemailbox.h"

#include <cerrno>
#include <cstdint>
#include <pulse/mainloop-api.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

namespace zelvano {

namespace {

    // The loop's poll returns when the descriptor is readable; take() does the reading.
    void onWoken(pa_mainloop_api*, pa_io_event*, int, pa_io_event_flags_t, void*) { }

} // namespace

PulseMailbox::PulseMailbox(pa_mainloop_api* loop)
    : m_loop(loop)
    , m_fd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (m_fd >= 0)
        m_event = m_loop->io_new(m_loop, m_fd, PA_IO_EVENT_INPUT, &onWoken, nullptr);
}

PulseMailbox::~PulseMailbox()
{
    if (m_event)
        m_loop->io_free(m_event);
    if (m_fd >= 0)
        ::close(m_fd);
}

void PulseMailbox::post(std::string path)
{
    const std::lock_guard lock(m_mutex);
    m_mail.path = std::move(path);
    wake();
}

void PulseMailbox::postQuit()
{
    const std::lock_guard lock(m_mutex);
    m_mail.quit = true;
    wake();
}

PulseMailbox::Mail PulseMailbox::take()
{
    const std::lock_guard lock(m_mutex);
    std::uint64_t count = 0;
    while (::read(m_fd, &count, sizeof count) < 0 && errno == EINTR) { }
    return std::exchange(m_mail, Mail {});
}

void PulseMailbox::wake()
{
    const std::uint64_t one = 1;
    while (::write(m_fd, &one, sizeof one) < 0 && errno == EINTR) { }
}

} // namespace zelvano
