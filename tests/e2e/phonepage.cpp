#include "e2e/phonepage.h"

#include <QDeadlineTimer>
#include <QJsonDocument>

#include "support/endprocess.h"

namespace zelvano {

PhonePage::PhonePage(const QStringList& inside, const QString& url, const QString& profile)
{
    m_watcher.setProgram(inside.first());
    m_watcher.setArguments(inside.mid(1)
        << "/usr/bin/python3" << QStringLiteral(ZELVANO_PAGE_WATCHER) << "chromium" << profile
        << url);
    m_watcher.start();
}

PhonePage::~PhonePage()
{
    m_watcher.closeWriteChannel();
    if (!m_watcher.waitForFinished(10000))
        endProcess(m_watcher);
}

QJsonObject PhonePage::waitFor(
    const std::function<bool(const QJsonObject&)>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition(m_shown) && !deadline.hasExpired()) {
        if (!m_watcher.canReadLine())
            m_watcher.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
        while (m_watcher.canReadLine() && !condition(m_shown))
            m_shown = QJsonDocument::fromJson(m_watcher.readLine()).object();
    }
    return m_shown;
}

QJsonObject PhonePage::waitForFigure(const QString& figure, int timeoutMs)
{
    return waitFor([&](const QJsonObject& shown) { return shown["figure"] == figure; }, timeoutMs);
}

QJsonObject PhonePage::shown()
{
    m_watcher.waitForReadyRead(50);
    while (m_watcher.canReadLine())
        m_shown = QJsonDocument::fromJson(m_watcher.readLine()).object();
    return m_shown;
}

void PhonePage::tap() { m_watcher.write("tap\n"); }

QString PhonePage::describe() const { return QString::fromUtf8(QJsonDocument(m_shown).toJson()); }

} // namespace zelvano
