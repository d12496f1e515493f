#pragma once

#include <windows.h>

// Progress and cancellation for long loops. The base reports nothing and
// never cancels, so any loop can run without a dialog.
class IOpProgress {
public:
    virtual ~IOpProgress() = default;
    virtual void setText(const wchar_t*) {}
    virtual void setTextId(UINT) {}
    virtual void setSubText(const wchar_t*) {}
    virtual void setSubTextId(UINT) {}
    virtual void setRange(UINT) {}
    virtual void setPos(UINT) {}
    virtual void offsetPos(UINT) {}
    virtual void show(bool) {}
    virtual bool isCancelled() { return false; }
};
