#include "qt/app/timerapp.h"

// Command-line arguments are not looked at; Qt only needs a program name, which a program started
// with an empty argument list does not have.
int main(int argc, char** argv)
{
    static char fallbackName[] = "zelvano";
    return zelvano::TimerApp::run(argc > 0 && argv[0] ? argv[0] : fallbackName);
}
