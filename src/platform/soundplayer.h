#pragma once

#include <memory>
#include <string>

namespace zelvano {

// Plays sound files without holding up the caller: the bell ringer sleeps on the window's thread
// between rings, and audio fed from a sleeping thread comes out late and merged. The sound is read
// and decoded by the program itself, off that thread; play() only hands over the request and
// returns at once. Each request cuts off the sound still playing. A file that is missing or cannot
// be played is replaced by the built-in bell, so a bell is never silent while there is sound
// output. Destroying the player waits for its work no more than a second.
//
// The player starts with start() or holdOutput(true), or with the first play() at the latest,
// before the first bell can come, so that ring is as quick as any other: the Linux program starts
// it when the timer starts, as loading the sound server's client would only hold up the window
// and weigh on it until then; the Windows program once its window is up. Where a sound output kept open costs the machine something (it keeps Windows from
// sleeping), the output opens only while held or for a ring. One implementation per platform.
class SoundPlayer final
{
public:
    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Starts the sound output unless it runs; returns at once.
    void start();
    // While held (a bell is coming) the output stays open and ready; otherwise the player may
    // close it a while after the last ring.
    void holdOutput(bool held);
    // fileName is resolved against the working directory at the moment of the call.
    void play(const std::string& fileName);

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace zelvano
