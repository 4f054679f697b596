#include <QApplication>
#include <QThread>
#include <QTimer>

#include "ui/soundplayer.h"

// Plays each file named on the command line, sleeping 400 ms between them on the GUI thread the
// way the bell does, then lets the last one ring for a moment and exits.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    zelvano::SoundPlayer player;
    const QStringList files = QApplication::arguments().mid(1);
    for (const QString& file : files) {
        player.play(file);
        QThread::msleep(400);
    }
    QTimer::singleShot(500, &app, &QApplication::quit);
    return app.exec();
}
