#pragma once

#include "SkinParser.h"

// The host's skin source seen at a display scale. Every length it gives
// (places, sizes, margins, font heights) is scaled from 96 DPI to the DPI,
// and every picture and outline comes at that scale. A source may hand out
// artwork of its own for the scale under the key with "@<dpi>" appended
// ("bitmap@144"); where it has none of that size, its artwork is stretched
// smoothly. At 96 DPI everything passes through unchanged.
class CScaledSkinParser : public ISkinParser {
public:
    CScaledSkinParser(ISkinParser& source, UINT dpi) : m_source(source), m_dpi(dpi) {}
    virtual ~CScaledSkinParser() = default;

    UINT dpi() const { return m_dpi; }

    bool selectSection(CString section) override { return m_source.selectSection(section); }
    bool getInt(CString key, int& value) override;
    bool getColor(CString key, COLORREF& value) override { return m_source.getColor(key, value); }
    bool getRect(CString key, RECT& value) override;
    bool getPosition(CString key, POINT& offset, POINT& anchorPercent) override;
    bool getSize(CString key, SIZE& value) override;
    bool getPoint(CString key, POINT& value) override;
    bool getFont(CString key, CFont& value) override;
    bool getBitmap(CString key, CDynBitmap& value) override;
    bool getRegion(CString key, CDynRgn& value) override;
    bool getDouble(CString key, double& value) override { return m_source.getDouble(key, value); }
    bool getText(CString key, CString& value) override { return m_source.getText(key, value); }
    bool getBool(CString key, bool& value) override { return m_source.getBool(key, value); }
    bool getCursor(CString key, HCURSOR& value) override;
    bool getFilePath(const CString& key, CString& value) override
    {
        return m_source.getFilePath(key, value);
    }
    bool getHorizontalAlignment(const CString& key, UINT& flags) override
    {
        return m_source.getHorizontalAlignment(key, flags);
    }
    bool getVerticalAlignment(const CString& key, UINT& flags) override
    {
        return m_source.getVerticalAlignment(key, flags);
    }
    // Four integers the component does not use; they pass unchanged.
    bool getAnchor(const CString& key, int& a, int& b, int& c, int& d) override
    {
        return m_source.getAnchor(key, a, b, c, d);
    }

private:
    bool atDesignScale() const;
    int scaled(int designPixels) const;
    POINT scaled(POINT design) const;
    SIZE scaled(SIZE design) const;
    RECT scaled(RECT design) const;
    // Stores the design value scaled when the source found it.
    template <typename Value>
    bool scaledWhenFound(bool found, const Value& design, Value& value) const;
    CString keyAtScale(const CString& key) const;

    ISkinParser& m_source;
    UINT m_dpi;
};
