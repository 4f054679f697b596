#pragma once

#include <memory>
#include <optional>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace zelvano {

// A private X server (Xvfb on a display it picks itself), with a window manager when asked, and
// the real input a user would give it, through xdotool. Windows are found by their exact title
// among the visible ones. With two screens, each of screenSize, they lie side by side, the first
// on the left, as a laptop and a projector beside it.
class XServer final
{
public:
    static constexpr QSize screenSize { 1280, 1024 };
    enum class Desktop { Bare, WithWindowManager };
    // Two screens of screenSize side by side, the first one on the left, as RandR monitors (and
    // so Xinerama heads) of one X screen named leftScreen and rightScreen.
    enum class Screens { One, TwoSideBySide };
    static inline const QString leftScreen = QStringLiteral("left");
    static inline const QString rightScreen = QStringLiteral("right");

    explicit XServer(Desktop desktop = Desktop::Bare, Screens screens = Screens::One);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool isReady() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }

    // Points a child process at this server.
    void addTo(QProcessEnvironment& environment) const;

    // Runs xdotool; the trimmed standard output, or nothing when it failed or timed out.
    std::optional<QString> xdotool(const QStringList& arguments, int timeoutMs = 5000) const;

    // Whether the server still runs, and its last words: for failure messages.
    QString describeState() const;
    // Titles of all visible windows, for failure messages.
    QStringList visibleWindowTitles() const;
    // Ids of the visible windows whose title is exactly title.
    QStringList windowsTitled(const QString& title) const;
    // Polls until exactly one visible window has the title; its id, or nothing after timeoutMs.
    std::optional<QString> waitForWindow(const QString& title, int timeoutMs = 10000) const;
    // Polls until no visible window has the title.
    bool waitForNoWindow(const QString& title, int timeoutMs = 5000) const;
    // Position and size of a window's client area on the screen.
    std::optional<QRect> geometry(const QString& window) const;
    // The same with the window manager's frame around it.
    std::optional<QRect> frameGeometry(const QString& window) const;
    // The states the window manager keeps for a window (_NET_WM_STATE_ABOVE, ...).
    QStringList netWmState(const QString& window) const;
    // Ids of the visible windows of a program, menus included, by its window class.
    QStringList windowsOfClass(const QString& windowClass) const;
    // Moves a window's frame to a point of the screen.
    bool moveWindow(const QString& window, QPoint topLeft) const;
    // Adds a monitor of screenSize with its left edge at left, or removes one, by name: to the
    // programs a screen comes or goes, as when a projector is plugged in or out.
    bool addMonitor(const QString& name, int left) const;
    bool removeMonitor(const QString& name) const;

    // Gives window the keyboard focus, then presses keys (xdotool key names) one after another.
    bool keys(const QString& window, const QStringList& keyNames) const;
    // Gives window the keyboard focus, then types text as a user would.
    bool type(const QString& window, const QString& text) const;
    // Waits for the box with the given title and closes it with Enter; false when it did not
    // appear or stay shut.
    bool closeWithEnter(const QString& title) const;
    // Clicks a mouse button at a point of the screen.
    bool click(QPoint screenPoint, int button = 1) const;

    bool screenshot(const QString& pngPath) const;
    // Covers the screen in white for a moment, as a window passing over it would: every window
    // must then draw itself again in full, and until it has, its area stays white.
    bool exposeAll() const;
    // How many X windows a window has inside it; nothing when it cannot be read.
    std::optional<int> childWindowCount(const QString& window) const;

private:
    QString lastWords() const;
    std::optional<QString> run(
        const QString& program, const QStringList& arguments, int timeoutMs = 5000) const;
    bool startWindowManager();
    bool splitIntoTwoScreens();
    bool setMonitor(const QString& name, int left, const QString& output) const;

    QTemporaryDir m_logDir;
    QString m_error;
    QString m_display;
    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_windowManager;
};

} // namespace zelvano
