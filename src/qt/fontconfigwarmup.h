#pragma once

#include <thread>

namespace zelvano {

// Reads the system's font configuration on a thread of its own while Qt starts up: fontconfig
// parses dozens of configuration files and loads its caches, some milliseconds that would
// otherwise come after Qt's start-up, since the window cannot be laid out without fonts. Qt then
// finds the configuration loaded. Without a thread, Qt simply loads it itself.
class FontConfigWarmUp final
{
public:
    FontConfigWarmUp();
    ~FontConfigWarmUp();
    FontConfigWarmUp(const FontConfigWarmUp&) = delete;
    FontConfigWarmUp& operator=(const FontConfigWarmUp&) = delete;

    // Returns once the configuration is loaded.
    void wait();

private:
    std::thread m_thread;
};

} // namespace zelvano
