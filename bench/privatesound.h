#pragma once

#include <cstdio>

#include <QDir>
#include <QTemporaryDir>

#include "support/pulsesink.h"

namespace zelvano {

// Points this process's sound at a benchmark's private sound server and works in a fresh folder,
// where no ring.wav is; false, said on standard error, when the server did not start.
inline bool usePrivateSound(const PulseSink& sink, const QTemporaryDir& work)
{
    if (!sink.isReady()) {
        std::fprintf(stderr, "no sound server: %s\n", qPrintable(sink.errorString()));
        return false;
    }
    qputenv("PULSE_SERVER", sink.serverAddress());
    QDir::setCurrent(work.path());
    return true;
}

} // namespace zelvano
