#pragma once

#include <memory>
#include <thread>

#include <QString>

namespace zelvano {

// Plays sound files without the GUI thread: the bell ringer sleeps on that thread between rings,
// and audio fed from a sleeping thread comes out late and merged. A thread of its own reads and
// decodes the file and feeds the sound server; play() only hands it the request and returns at
// once. Each request cuts off the sound still playing. A file that is missing or cannot be played
// is replaced by the built-in bell, so a bell is never silent while there is a sound server.
// No wait on that thread is without a deadline, and destroying the player waits for it no more
// than a second.
//
// The thread starts with start(), or with the first play() at the latest: the program starts it
// once its window is up, since connecting to the sound server and decoding the bell would only
// hold up the window. Both are done before the first request comes, so the first ring is as
// quick as any other.
class SoundPlayer final
{
public:
    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Starts the sound thread unless it runs; returns at once.
    void start();
    // fileName is resolved against the working directory at the moment of the call.
    void play(const QString& fileName);

    struct Shared; // between the caller and the sound thread

private:
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

} // namespace zelvano
