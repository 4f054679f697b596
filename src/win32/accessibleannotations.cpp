#include "win32/accessibleannotations.h"

// The annotation service's identifiers are defined here, from the system's own header, rather
// than taken from its import library.
#include <initguid.h>
#include <oleacc.h>

#include "platform/widestring_win32.h"

namespace zelvano {

namespace {

    void annotate(IAccPropServices* services, HWND window, const MSAAPROPID& property,
        const std::string& text)
    {
        if (services && window)
            services->SetHwndPropStr(
                window, DWORD(OBJID_CLIENT), CHILDID_SELF, property, widen(text).c_str());
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

void AccessibleAnnotations::setDescription(HWND window, const std::string& description)
{
    annotate(m_services, window, PROPID_ACC_DESCRIPTION, description);
}

void AccessibleAnnotations::clear(HWND window)
{
    MSAAPROPID properties[] { PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION };
    if (m_services && window)
        m_services->ClearHwndProps(
            window, DWORD(OBJID_CLIENT), CHILDID_SELF, properties, ARRAYSIZE(properties));
}

} // namespace zelvano
