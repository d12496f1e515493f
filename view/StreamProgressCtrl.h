#pragma once

#include "Dpi.h"
#include "view/StreamProgressCtrlBase.h"

#include <memory>

// The position layer over the time model: the current position, dragging
// the stream, the remembered position and the hit test of mouse-down points.
class CStreamProgressCtrl {
public:
    enum HitResult : int { HitNone = 0, HitScrollLeft = 1, HitScrollRight = 2, HitSlider = 3, HitPan = 4 };

    CStreamProgressCtrl();
    virtual ~CStreamProgressCtrl() = default;

    CStreamProgressCtrlBase& model() { return *m_model; }
    const CStreamProgressCtrlBase& model() const { return *m_model; }

    void setRect(int left, int top, int right, int bottom);
    void setSliderRect(int left, int top, int right, int bottom);
    // The DPI of the view, which scales the drag that starts a pan.
    void setDpi(UINT dpi) { m_dpi = dpi; }
    const RECT& textRect() const { return m_textRect; }

    void setPosition(int64_t t);
    void setPosPixel(int x);
    int64_t getPos() const { return m_pos; }
    int32_t posPixel() const { return m_posPixel; }
    bool ensurePosVisible(int64_t t);
    bool isTimeVisible(int64_t t) const;

    int hitTest(int x, int y);
    bool panTo(int x, int y);
    void endPan() { m_panning = false; }
    bool isPanning() const { return m_panning; }

    void rememberPos() { m_rememberedPos = m_pos; }
    int64_t rememberedPos() const { return m_rememberedPos; }
    bool m_showMarker = false;

    void setLength(int32_t length, bool reset);
    void setEmpty(bool empty);
    bool isEmpty() const { return m_empty; }
    void zoomIn() { m_model->zoomIn(m_pos); }
    bool zoomOut() { return m_model->zoomOut(m_pos); }
    bool cutPixelRect(int& left, int& top, int& right, int& bottom) const;

private:
    RECT m_textRect{};
    std::unique_ptr<CStreamProgressCtrlBase> m_model;
    int64_t m_pos = 0;
    int32_t m_posPixel = 0;
    RECT m_sliderRect{};
    RECT m_scrollLeftZone{};
    RECT m_scrollRightZone{};
    int m_panX = 0;
    UINT m_dpi = kDesignDpi;
    bool m_panning = false;
    int64_t m_rememberedPos = 0;
    bool m_empty = true;
};
