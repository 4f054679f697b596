#include "qt/app/timerapp.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "core/texts.h"
#include "core/version.h"
#include "platform/soundplayer.h"
#include "qt/app/aboutdialog.h"
#include "qt/app/qtbackends.h"
#include "qt/app/qtplatformservices.h"
#include "qt/app/qttexts.h"
#include "qt/desktop/windowplacement.h"
#include "qt/window/timerdialog.h"

namespace zelvano {

namespace {

    struct HeldMessage
    {
        QString text;
        bool platformFailed; // about a platform that could not start
    };

    // Qt may log from threads of its own while the application starts.
    std::mutex heldMessagesMutex;
    std::vector<HeldMessage> heldMessages;
    bool displayUnreachable = false;

    // What the platform plugins say when they cannot reach a display server at all.
    bool saysNoDisplay(const QMessageLogContext& context, const QString& text)
    {
        const QLatin1String category(context.category ? context.category : "");
        return (category == QLatin1String("qt.qpa.xcb")
                   && text.contains(QLatin1String("could not connect to display")))
            || (category.startsWith(QLatin1String("qt.qpa.wayland"))
                && text.contains(QLatin1String("wl_display")));
    }

    // What Qt says of a platform it tried and could not start: no news once the next platform of
    // the list has started.
    bool saysPlatformFailed(const QMessageLogContext& context, const QString& text)
    {
        return saysNoDisplay(context, text)
            || (QLatin1String(context.category ? context.category : "")
                    == QLatin1String("qt.qpa.plugin")
                && text.contains(QLatin1String("Could not load the Qt platform plugin")));
    }

    // While the application starts, Qt's messages are held back: when no display can be reached
    // Qt would print several lines and abort with a core dump; we print one line and exit. Any
    // other fatal message is printed as it is, after what was held back.
    void startupMessageHandler(
        QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        const std::lock_guard lock(heldMessagesMutex);
        if (saysNoDisplay(context, text))
            displayUnreachable = true;
        if (type != QtFatalMsg) {
            heldMessages.push_back(
                { qFormatLogMessage(type, context, text), saysPlatformFailed(context, text) });
            return;
        }
        if (displayUnreachable) {
            std::fprintf(stderr, "%s\n", qttexts::noDisplayMessage);
        } else {
            for (const HeldMessage& message : heldMessages)
                std::fprintf(stderr, "%s\n", qPrintable(message.text));
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
        }
        std::_Exit(EXIT_FAILURE);
    }

    void releaseHeldMessages()
    {
        qInstallMessageHandler(nullptr);
        const std::lock_guard lock(heldMessagesMutex);
        for (const HeldMessage& message : heldMessages) {
            if (!message.platformFailed)
                std::fprintf(stderr, "%s\n", qPrintable(message.text));
        }
        heldMessages.clear();
    }

    // Qt's own dialogs (the file chooser, box buttons) speak the program's language.
    void loadQtTranslation(QTranslator& translator)
    {
        if (translator.load(
                QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&translator);
    }

} // namespace

int TimerApp::run(char* programName)
{
    int argc = 1;
    char* argv[] = { programName, nullptr };
    qInstallMessageHandler(startupMessageHandler);
    chooseQtBackends();
    QApplication application(argc, argv);
    releaseHeldMessages();
    QApplication::setApplicationName(QString::fromUtf8(texts::windowCaption));
    QApplication::setApplicationVersion(QString::fromLatin1(versionString));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(desktopEntryName));

    QTranslator translator;
    loadQtTranslation(translator);

    SoundPlayer player;
    QtPlatformServices platform(player);
    TimerDialog dialog(platform);
    QObject::connect(&dialog, &TimerDialog::aboutRequested, &dialog, [&dialog] {
        AboutDialog about(&dialog);
        centreWindow(about, &dialog);
        about.exec();
    });
    centreWindow(dialog);
    dialog.exec();
    return EXIT_SUCCESS;
}

} // namespace zelvano
