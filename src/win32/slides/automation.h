#pragma once

#include <windows.h>
#include <oaidl.h>
#include <optional>
#include <utility>

namespace zelvano {

// One reference to a COM interface, released when it goes.
template <typename Interface> class ComRef final
{
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept
        : m_interface(std::exchange(other.m_interface, nullptr))
    { }
    ComRef& operator=(ComRef&& other) noexcept
    {
        std::swap(m_interface, other.m_interface);
        return *this;
    }
    ~ComRef() { reset(); }

    Interface* get() const { return m_interface; }
    Interface* operator->() const { return m_interface; }
    explicit operator bool() const { return m_interface != nullptr; }
    // Where a call that hands out a reference puts it; any held before is released first.
    Interface** put()
    {
        reset();
        return &m_interface;
    }
    void reset()
    {
        if (m_interface)
            std::exchange(m_interface, nullptr)->Release();
    }

private:
    Interface* m_interface = nullptr;
};

// Automation's late binding by name, as a script would ask: property is read from object, or the
// indexed member (a collection's Item) with index. Nothing when the object has no such member or
// it failed.
ComRef<IDispatch> objectOf(
    IDispatch* object, const wchar_t* property, std::optional<long> index = std::nullopt);
std::optional<long> numberOf(IDispatch* object, const wchar_t* property);

// The index in its presentation of the slide a slide show window shows, read from the window
// (View.Slide.SlideIndex); nothing while it shows none, as at the black screen after the last.
std::optional<long> shownSlideOf(IDispatch* slideShowWindow);

} // namespace zelvano
