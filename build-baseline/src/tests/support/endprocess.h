#pragma once

#include <QProcess>

namespace zelvano {

// Ends a child by its own process id: asks it to terminate, and kills it if it has not gone
// within a few seconds. Does nothing to a child that is not running.
void endProcess(QProcess& process);

} // namespace zelvano
