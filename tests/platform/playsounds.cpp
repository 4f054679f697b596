#include <chrono>
#include <thread>

#include "platform/soundplayer.h"

// Plays each file named on the command line, sleeping 400 ms between them on the calling thread
// the way the bell does, then lets the last one ring for a moment and exits.
int main(int argc, char* argv[])
{
    using namespace std::chrono_literals;
    zelvano::SoundPlayer player;
    for (int i = 1; i < argc; ++i) {
        player.play(argv[i]);
        std::this_thread::sleep_for(400ms);
    }
    std::this_thread::sleep_for(500ms);
}
