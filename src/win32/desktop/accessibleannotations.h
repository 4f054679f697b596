#pragma once

#include <windows.h>
#include <string>

struct IAccPropServices;

namespace zelvano {

// Adds texts to what a screen reader reads of a window: its name, and a description of its state.
// They go through the system's annotation service, asked for at run time, so the program imports
// no accessibility library; where the service is missing the windows read as they are.
class AccessibleAnnotations final
{
public:
    AccessibleAnnotations();
    ~AccessibleAnnotations();
    AccessibleAnnotations(const AccessibleAnnotations&) = delete;
    AccessibleAnnotations& operator=(const AccessibleAnnotations&) = delete;

    void setName(HWND window, const std::string& name);
    // And tells whoever listens for the window's events that its description changed.
    void setDescription(HWND window, const std::string& description);
    // Drops what was added to a window that is going away.
    void clear(HWND window);

private:
    IAccPropServices* m_services = nullptr;
};

} // namespace zelvano
