#pragma once

#include "CString.h"

#include <windows.h>

#include <oleacc.h>

// What a screen reader is told about a window (child 0) or about a part the
// window draws itself (children 1 to parts). An empty text or a role of 0
// leaves the system's own answer for the window.
struct AccessibleFacts {
    CString name;
    CString value;
    CString description;
    CString shortcut;
    long role = 0;
    // Comes filled with the system's state of the window; the source may add
    // and remove bits.
    long state = 0;
};

class IAccessibleSource {
public:
    virtual void describe(long child, AccessibleFacts& facts) const = 0;
    virtual long accessibleParts() const { return 0; }

protected:
    ~IAccessibleSource() = default;
};

// The IAccessible a window hands out for WM_GETOBJECT: the system's standard
// object for the window, with the source's facts over it. The object may
// outlive the window and this holder (a screen reader keeps its reference);
// it then answers that it is disconnected.
class CAccessible {
public:
    explicit CAccessible(const IAccessibleSource& source) : m_source(source) {}
    ~CAccessible();
    CAccessible(const CAccessible&) = delete;
    CAccessible& operator=(const CAccessible&) = delete;

    // For WM_GETOBJECT: the answer for the client object, else 0, which lets
    // the window's default handling answer.
    LRESULT answer(HWND hwnd, WPARAM wParam, LPARAM lParam);

    // Tells a listening screen reader that the window or one of its parts
    // changed (EVENT_OBJECT_...).
    static void raise(HWND hwnd, DWORD event, long child = CHILDID_SELF);

private:
    class Object;
    const IAccessibleSource& m_source;
    Object* m_object = nullptr;
};
