#pragma once

// Guards that change one attribute of a device context and put the value
// from before their first change back when they go.

#include "DC.h"

// Selects the object into the context and returns what it displaced; does
// nothing and returns null for a missing object or one without a handle.
HGDIOBJ SelectGdiObject(HDC dc, const CGdiObject* object);

// A font the guards create from a description.
class CMyFont : public CFont {
public:
    BOOL Create(const LOGFONTW& description) { return CreateFontIndirect(&description); }
};

class CSelect {
public:
    explicit CSelect(CDC* dc) : m_dc(dc) {}
    CSelect(const CSelect&) = delete;
    CSelect& operator=(const CSelect&) = delete;

protected:
    ~CSelect() = default;
    CDC* m_dc;
};

class CSelFont : public CSelect {
public:
    explicit CSelFont(CDC* dc) : CSelect(dc) {}
    CSelFont(CDC* dc, const LOGFONTW& description) : CSelect(dc) { Select(description); }
    CSelFont(CDC* dc, HFONT font) : CSelect(dc) { Select(font); }
    ~CSelFont();

    // A font made from the description, owned by the guard.
    void Select(const LOGFONTW& description);
    // An existing font; null leaves the current one.
    void Select(HFONT font);

private:
    void remember(HGDIOBJ displaced);

    CMyFont m_font;
    HGDIOBJ m_previous = nullptr;
};

class CSelBkMode : public CSelect {
public:
    CSelBkMode(CDC* dc, int mode) : CSelect(dc) { Select(mode); }
    ~CSelBkMode();
    void Select(int mode);

private:
    int m_previous = 0;
};

class CSelTextColor : public CSelect {
public:
    CSelTextColor(CDC* dc, COLORREF colour) : CSelect(dc) { Select(colour); }
    ~CSelTextColor();
    void Select(COLORREF colour);

private:
    COLORREF m_previous = CLR_INVALID;
};

class CSelTextAlign : public CSelect {
public:
    CSelTextAlign(CDC* dc, UINT alignment) : CSelect(dc) { Select(alignment); }
    ~CSelTextAlign();
    void Select(UINT alignment);

private:
    UINT m_previous = GDI_ERROR;
};
