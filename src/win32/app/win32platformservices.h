#pragma once

#include "core/platformservices.h"

namespace zelvano {

class SoundPlayer;

// The machine for the timer logic: sound through the player's own thread, sleeps on the calling
// thread, local time, traces to the debugger and real files that nobody else may open meanwhile.
class Win32PlatformServices final : public PlatformServices
{
public:
    explicit Win32PlatformServices(SoundPlayer& player);

    void playSound(const std::string& name) override;
    void sleepMs(int milliseconds) override;
    void keepScreenAwake(bool awake) override;
    void keepSoundReady(bool ready) override;
    LocalTime localTime() const override;
    void trace(const std::string& text) override;
    std::unique_ptr<FileHandle> openFile(const std::string& name, OpenMode mode) override;
    bool replaceFile(const std::string& name, std::string_view bytes) override;

private:
    SoundPlayer& m_player;
};

} // namespace zelvano
