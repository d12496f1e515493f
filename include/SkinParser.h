#pragma once

#include "SkinObjects.h"

// The host's skin source. Every getter returns true when the key was found
// and its value stored; otherwise it returns false and leaves the output as
// it was, so callers can keep defaults. The slot order is part of the
// contract: do not reorder, insert or remove members.
class ISkinParser {
public:
    // slot 0: makes the section (with its brackets, "[mv_main]") current.
    virtual bool selectSection(CString section) = 0;
    virtual bool getInt(CString key, int& value) = 0;                          // slot 1
    virtual bool getColor(CString key, COLORREF& value) = 0;                   // slot 2
    virtual bool getRect(CString key, RECT& value) = 0;                        // slot 3
    // slot 4: offset in pixels and anchor in percent of the parent's client size.
    virtual bool getPosition(CString key, POINT& offset, POINT& anchorPercent) = 0;
    virtual bool getSize(CString key, SIZE& value) = 0;                        // slot 5
    virtual bool getPoint(CString key, POINT& value) = 0;                      // slot 6, not called
    virtual bool getFont(CString key, CFont& value) = 0;                       // slot 7
    virtual bool getBitmap(CString key, CDynBitmap& value) = 0;                // slot 8
    virtual bool getRegion(CString key, CDynRgn& value) = 0;                   // slot 9
    virtual bool getDouble(CString key, double& value) = 0;                    // slot 10, not called
    virtual bool getText(CString key, CString& value) = 0;                     // slot 11
    virtual bool getBool(CString key, bool& value) = 0;                        // slot 12
    virtual bool getCursor(CString key, HCURSOR& value) = 0;                   // slot 13
    virtual bool getFilePath(const CString& key, CString& value) = 0;          // slot 14, not called
    virtual bool getHorizontalAlignment(const CString& key, UINT& flags) = 0;  // slot 15
    virtual bool getVerticalAlignment(const CString& key, UINT& flags) = 0;    // slot 16
    // slot 17: four integers, see the button documentation.
    virtual bool getAnchor(const CString& key, int& a, int& b, int& c, int& d) = 0;

protected:
    ~ISkinParser() = default;
};
