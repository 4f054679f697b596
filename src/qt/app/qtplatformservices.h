#pragma once

#include "core/platformservices.h"
#include "qt/desktop/screensaverinhibitor.h"

namespace zelvano {

class SoundPlayer;

// The machine for the timer logic: sound through the player's own thread, sleeps on the calling
// thread, the screen kept awake through the session bus, local time, traces on standard error and
// real files with exclusive locks.
class QtPlatformServices final : public PlatformServices
{
public:
    explicit QtPlatformServices(SoundPlayer& player);

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
    ScreenSaverInhibitor m_screenSaver;
};

} // namespace zelvano
