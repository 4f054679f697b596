#pragma once

namespace zelvano {

// Start-up: one application, the main window run modally, the end of the program when it closes.
// Command-line arguments are not looked at.
class TimerApp
{
public:
    static int run(char* programName);
};

} // namespace zelvano
