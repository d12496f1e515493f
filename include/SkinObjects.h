#pragma once

// GDI objects that a skin source fills for the component. Header-only, so a
// host can fill them without linking anything of the component; the object
// that receives a handle owns it and deletes it.

#include "CString.h"

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject = nullptr;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    BOOL Attach(HGDIOBJ object)
    {
        DeleteObject();
        m_hObject = object;
        return object != nullptr;
    }
    HGDIOBJ Detach()
    {
        HGDIOBJ object = m_hObject;
        m_hObject = nullptr;
        return object;
    }
    BOOL DeleteObject()
    {
        if (!m_hObject)
            return FALSE;
        ::DeleteObject(m_hObject);
        m_hObject = nullptr;
        return TRUE;
    }
};

class CBitmap : public CGdiObject {
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    int GetBitmap(BITMAP* info) const
    {
        return m_hObject ? ::GetObjectW(m_hObject, sizeof(BITMAP), info) : 0;
    }
    BOOL CreateCompatibleBitmap(HDC dc, int width, int height)
    {
        return Attach(::CreateCompatibleBitmap(dc, width, height));
    }
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
    {
        return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
    }
};

class CRgn : public CGdiObject {
public:
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};

class CFont : public CGdiObject {
public:
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    BOOL CreateFontIndirect(const LOGFONTW* font) { return Attach(::CreateFontIndirectW(font)); }
};

// A skin bitmap with its size.
class CDynBitmap : public CBitmap {
public:
    BOOL GetBitmapInfo(BITMAP& info) const { return GetBitmap(&info) != 0; }
    int GetWidth() const
    {
        BITMAP info{};
        return GetBitmapInfo(info) ? info.bmWidth : 0;
    }
    int GetHeight() const
    {
        BITMAP info{};
        return GetBitmapInfo(info) ? info.bmHeight : 0;
    }
    SIZE GetSize() const { return SIZE{GetWidth(), GetHeight()}; }
};

// A skin region, the outline of a window.
class CDynRgn : public CRgn {
};
