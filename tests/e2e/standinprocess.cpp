#include "e2e/standinprocess.h"

#include <csignal>
#include <sys/prctl.h>

#include "e2e/userview.h"
#include "e2e/xserver.h"
#include "support/endprocess.h"

namespace zelvano {

StandIn::StandIn(const XServer& x, const QString& role, const QString& notes)
    : m_notes(notes)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    x.addTo(environment);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_process.setProcessEnvironment(environment);
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start(QStringLiteral(ZELVANO_STANDIN), { role, notes });
}

StandIn::~StandIn() { endProcess(m_process); }

bool StandIn::started() { return m_process.waitForStarted(5000); }

QStringList StandIn::notes() const
{
    return QString::fromUtf8(readFile(m_notes)).split(u'\n', Qt::SkipEmptyParts);
}

bool StandIn::noted(const QStringList& expected) const
{
    if (eventually([&] { return notes() == expected; }))
        return true;
    qWarning("noted: %s", qPrintable(notes().join(u'|')));
    return false;
}

} // namespace zelvano
