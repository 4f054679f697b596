#include "app/timerapp.h"

int main(int, char** argv) { return zelvano::TimerApp::run(argv[0]); }
