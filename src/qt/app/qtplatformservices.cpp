#include "qt/app/qtplatformservices.h"

#include <cstdio>

#include <QDateTime>
#include <QThread>

#include "platform/diskfile.h"
#include "platform/soundplayer.h"

namespace zelvano {

QtPlatformServices::QtPlatformServices(SoundPlayer& player)
    : m_player(player)
    , m_screenSaver([this](const std::string& text) { trace(text); })
{ }

void QtPlatformServices::playSound(const std::string& name) { m_player.play(name); }

void QtPlatformServices::sleepMs(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void QtPlatformServices::keepScreenAwake(bool awake) { m_screenSaver.setInhibited(awake); }

// The sound is made ready (the sound server's client library loaded, the server connected, the
// bell decoded) ahead of the first bell, not with the window, and stays so.
void QtPlatformServices::keepSoundReady(bool ready) { m_player.holdOutput(ready); }

LocalTime QtPlatformServices::localTime() const
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return { date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second() };
}

void QtPlatformServices::trace(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
}

std::unique_ptr<FileHandle> QtPlatformServices::openFile(const std::string& name, OpenMode mode)
{
    return openDiskFile(name, mode);
}

bool QtPlatformServices::replaceFile(const std::string& name, std::string_view bytes)
{
    return replaceDiskFile(name, bytes);
}

} // namespace zelvano
