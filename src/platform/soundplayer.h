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
// The output starts with start(), or with the first play() at the latest: the program starts it
// once its window is up, since opening the sound output and decoding the bell would only hold up
// the window. Both are done before the first request comes, so the first ring is as quick as any
// other. One implementation per platform.
class SoundPlayer final
{
public:
    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Starts the sound output unless it runs; returns at once.
    void start();
    // fileName is resolved against the working directory at the moment of the call.
    void play(const std::string& fileName);

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace zelvano
