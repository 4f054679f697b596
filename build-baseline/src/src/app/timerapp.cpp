#include "app/timerapp.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>

#include "app/aboutdialog.h"
#include "app/version.h"
#include "core/texts.h"
#include "ui/qtplatformservices.h"
#include "ui/soundplayer.h"
#include "ui/timerdialog.h"

namespace zelvano {

namespace {

    std::vector<QString> heldMessages;

    // While the application starts, Qt's messages are held back: when no display can be reached
    // Qt would print several lines and abort with a core dump; we print one line and exit.
    void startupMessageHandler(
        QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", texts::noDisplayMessage);
            std::_Exit(EXIT_FAILURE);
        }
        heldMessages.push_back(qFormatLogMessage(type, context, text));
    }

    void releaseHeldMessages()
    {
        qInstallMessageHandler(nullptr);
        for (const QString& message : heldMessages)
            std::fprintf(stderr, "%s\n", qPrintable(message));
        heldMessages.clear();
    }

    // Qt's own dialogs (the file chooser, box buttons) speak the program's language.
    void loadQtTranslation(QTranslator& translator)
    {
        if (translator.load(
                QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&translator);
    }

    void centreOnPrimaryScreen(QWidget& window)
    {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        window.move(available.center() - window.rect().center());
    }

} // namespace

int TimerApp::run(char* programName)
{
    int argc = 1;
    char* argv[] = { programName, nullptr };
    qInstallMessageHandler(startupMessageHandler);
    QApplication application(argc, argv);
    releaseHeldMessages();
    QApplication::setApplicationName(QString::fromUtf8(texts::windowCaption));
    QApplication::setApplicationVersion(QString::fromLatin1(versionString));

    QTranslator translator;
    loadQtTranslation(translator);

    SoundPlayer player;
    QtPlatformServices platform(player);
    TimerDialog dialog(platform);
    QObject::connect(&dialog, &TimerDialog::aboutRequested, &dialog, [&dialog] {
        AboutDialog about(&dialog);
        about.exec();
    });
    centreOnPrimaryScreen(dialog);
    dialog.exec();
    return EXIT_SUCCESS;
}

} // namespace zelvano
