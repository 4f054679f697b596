#include "win32/slides/automation.h"

#include <oleauto.h>

namespace zelvano {

namespace {

    // A member's value, or VT_EMPTY when it could not be had; the caller clears it.
    VARIANT valueOf(IDispatch* object, const wchar_t* member, std::optional<long> index)
    {
        VARIANT result;
        VariantInit(&result);
        if (!object)
            return result;
        auto* name = const_cast<LPOLESTR>(member);
        DISPID id = DISPID_UNKNOWN;
        if (FAILED(object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id)))
            return result;
        VARIANT argument;
        VariantInit(&argument);
        DISPPARAMS parameters {};
        if (index) {
            argument.vt = VT_I4;
            argument.lVal = *index;
            parameters.rgvarg = &argument;
            parameters.cArgs = 1;
        }
        if (FAILED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT,
                DISPATCH_PROPERTYGET | DISPATCH_METHOD, &parameters, &result, nullptr, nullptr)))
            VariantClear(&result);
        return result;
    }

} // namespace

ComRef<IDispatch> objectOf(IDispatch* object, const wchar_t* property, std::optional<long> index)
{
    VARIANT value = valueOf(object, property, index);
    ComRef<IDispatch> found;
    if (value.vt == VT_DISPATCH && value.pdispVal)
        *found.put() = std::exchange(value.pdispVal, nullptr);
    VariantClear(&value);
    return found;
}

std::optional<long> numberOf(IDispatch* object, const wchar_t* property)
{
    VARIANT value = valueOf(object, property, std::nullopt);
    std::optional<long> number;
    if (value.vt != VT_EMPTY && SUCCEEDED(VariantChangeType(&value, &value, 0, VT_I4)))
        number = value.lVal;
    VariantClear(&value);
    return number;
}

std::optional<long> shownSlideOf(IDispatch* slideShowWindow)
{
    const ComRef<IDispatch> view = objectOf(slideShowWindow, L"View");
    const ComRef<IDispatch> slide = objectOf(view.get(), L"Slide");
    return numberOf(slide.get(), L"SlideIndex");
}

} // namespace zelvano
