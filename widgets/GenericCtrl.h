#pragma once

#include "Rect.h"

// A control that a skin places: by an offset from the parent's edges, with
// negative offsets counted from the right or bottom.
class IGenericCtrl {
public:
    virtual bool isReady() const = 0;
    virtual void showCtrl(bool show) = 0;
    // Each of the following stores the values and moves the window, or adds
    // the move to the deferred-position handle and returns the handle to go on with.
    virtual HDWP setPositionAndSize(int x, int y, int cx, int cy, HDWP defer) = 0;
    virtual HDWP setPosition(int x, int y, HDWP defer) = 0;
    // parent: the rectangle to place in, the parent's client area when null;
    // addOrigin adds its top-left corner.
    virtual HDWP reposition(HDWP defer, bool withSize, const CRect* parent, bool addOrigin) = 0;
    virtual CPoint getPosition() const = 0;
    virtual CSize getSize() const = 0;

protected:
    ~IGenericCtrl() = default;
};
