#pragma once

#include <QByteArray>
#include <QStringList>

namespace zelvano {

// Runs a command to its end, for at most 15 s; whether it ended by itself with status 0. output,
// when given, receives what it wrote to standard output, trimmed.
bool runCommand(const QString& program, const QStringList& arguments, QByteArray* output = nullptr);

} // namespace zelvano
