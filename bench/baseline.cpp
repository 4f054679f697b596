// The baselines the program is measured against, built with the program's own flags: an empty
// QDialog run modally; with ZELVANO_BASELINE_SOUND_EFFECT the same dialog holding one QSoundEffect
// loaded with the built-in bell, the least a Qt timer that rings needs; with
// ZELVANO_BASELINE_TICKING the same dialog holding a read-only QLineEdit whose text a
// Qt::PreciseTimer sets once a second, the toolkit's own floor for a ticking display.
#include <cstdio>

#include <QApplication>
#include <QDialog>

#ifdef ZELVANO_BASELINE_SOUND_EFFECT
#include <QSoundEffect>
#include <QUrl>
#endif

#ifdef ZELVANO_BASELINE_TICKING
#include <QLineEdit>
#include <QTimer>
#endif

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Baseline"));
#ifdef ZELVANO_BASELINE_SOUND_EFFECT
    QSoundEffect bell;
    bell.setSource(QUrl::fromLocalFile(QStringLiteral(ZELVANO_BASELINE_SOUND_EFFECT)));
#endif
#ifdef ZELVANO_BASELINE_TICKING
    QLineEdit display(&dialog);
    display.setReadOnly(true);
    display.setText(QStringLiteral("000:00"));
    unsigned seconds = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1000);
    QObject::connect(&tick, &QTimer::timeout, &display, [&display, &seconds] {
        ++seconds;
        char text[16];
        std::snprintf(text, sizeof text, "%03u:%02u", seconds / 60, seconds % 60);
        display.setText(QString::fromLatin1(text));
    });
    tick.start();
#endif
    dialog.exec();
    return 0;
}
