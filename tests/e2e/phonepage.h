#pragma once

#include <functional>

#include <QJsonObject>
#include <QProcess>
#include <QStringList>

namespace zelvano {

// Chromium, headless, showing the shared page, as the page-watcher script reports it: one JSON
// object per change of what the page shows. inside is the command line that runs a program in
// the phone's network namespace.
class PhonePage final
{
public:
    PhonePage(const QStringList& inside, const QString& url, const QString& profile);
    ~PhonePage();
    PhonePage(const PhonePage&) = delete;
    PhonePage& operator=(const PhonePage&) = delete;

    // Waits for the page to show what the condition asks; what it last showed either way.
    QJsonObject waitFor(const std::function<bool(const QJsonObject&)>& condition, int timeoutMs);
    QJsonObject waitForFigure(const QString& figure, int timeoutMs = 5000);
    // What it shows now, with what has come in a moment's wait.
    QJsonObject shown();
    void tap();
    QString describe() const;

private:
    QProcess m_watcher;
    QJsonObject m_shown;
};

} // namespace zelvano
