#pragma once

#include <windows.h>
#include <cstdint>
#include <memory>

namespace zelvano {

// Follows PowerPoint's slide shows from a thread of its own, so that neither a PowerPoint that
// stops answering nor a bell that holds the window's thread ever waits for the other. While
// started it looks for the running PowerPoint in the running object table every few seconds, so
// that one started later is found too, and subscribes to its application events; each check also
// notices a PowerPoint that went away. Everything it learns is posted to the window as
// PowerPointNews.
class PowerPointWatch final
{
public:
    PowerPointWatch() = default;
    // Waits a moment for the last watch to let PowerPoint go; one that does not end in time ends
    // with the process.
    ~PowerPointWatch();
    PowerPointWatch(const PowerPointWatch&) = delete;
    PowerPointWatch& operator=(const PowerPointWatch&) = delete;

    bool isWatching() const { return m_shared != nullptr; }
    void start(HWND window);
    // Returns at once; the watch lets PowerPoint go on its own thread.
    void stop();
    // Which watch news comes from: a new one for every start.
    std::uint32_t watch() const { return m_watch; }

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<Shared> m_stopped; // the last one stopped, until it has ended
    std::uint32_t m_watch = 0;
};

} // namespace zelvano
