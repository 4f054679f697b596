// The baselines the program is measured against: an empty QDialog run modally, and with
// ZELVANO_BASELINE_SOUND_EFFECT the same dialog holding one QSoundEffect loaded with the built-in
// bell, the least a Qt timer that rings needs. Built with the program's own flags.
#include <QApplication>
#include <QDialog>

#ifdef ZELVANO_BASELINE_SOUND_EFFECT
#include <QSoundEffect>
#include <QUrl>
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
    dialog.exec();
    return 0;
}
