#include "win32/desktop/accessibleannotations.h"

// The annotation service's identifiers are defined here, from the system's own header, rather
// than taken from its import library.
#include <initguid.h>
#include <oleacc.h>

#include "platform/widestring_win32.h"

namespace zelvano {

namespace {

    // Whether the text now stands for the property.
    bool annotate(IAccPropServices* services, HWND window, const MSAAPROPID& property,
        const std::string& text)
    {
        return services && window
            && SUCCEEDED(services->SetHwndPropStr(
                window, DWORD(OBJID_CLIENT), CHILDID_SELF, property, widen(text).c_str()));
    }

} // namespace

// COM is set up by then: the window lives inside the program's apartment.
AccessibleAnnotations::AccessibleAnnotations()
{
    void* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(
            CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices, &services)))
        m_services = static_cast<IAccPropServices*>(services);
}

AccessibleAnnotations::~AccessibleAnnotations()
{
    if (m_services)
        m_services->Release();
}

void AccessibleAnnotations::setName(HWND window, const std::string& name)
{
    annotate(m_services, window, PROPID_ACC_NAME, name);
}

// A screen reader that is reading the window hears of the change from the event, rather than
// only the next time it asks.
void AccessibleAnnotations::setDescription(HWND window, const std::string& description)
{
    if (annotate(m_services, window, PROPID_ACC_DESCRIPTION, description))
        NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}

void AccessibleAnnotations::clear(HWND window)
{
    MSAAPROPID properties[] { PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION };
    if (m_services && window)
        m_services->ClearHwndProps(
            window, DWORD(OBJID_CLIENT), CHILDID_SELF, properties, ARRAYSIZE(properties));
}

} // namespace zelvano
