#include "support/runcommand.h"

#include <QProcess>

namespace zelvano {

bool runCommand(const QString& program, const QStringList& arguments, QByteArray* output)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(15000) || process.exitStatus() != QProcess::NormalExit)
        return false;
    if (output)
        *output = process.readAllStandardOutput().trimmed();
    return process.exitCode() == 0;
}

} // namespace zelvano
