#pragma once

#include "SkinParser.h"
#include "support/Pixels.h"

#include <map>

// A skin source written by the test: sections of typed values, bitmaps as
// solid colours made fresh for every read. Keys not given are not found.
class TestSkinParser : public ISkinParser {
public:
    struct Position {
        POINT offset;
        POINT anchorPercent;
    };
    struct SolidBitmap {
        COLORREF colour;
        SIZE size;
    };
    struct Section {
        std::map<CString, int> ints;
        std::map<CString, COLORREF> colours;
        std::map<CString, RECT> rects;
        std::map<CString, Position> positions;
        std::map<CString, SIZE> sizes;
        std::map<CString, LOGFONTW> fonts;
        std::map<CString, SolidBitmap> bitmaps;
        std::map<CString, CString> texts;
        std::map<CString, bool> bools;
        std::map<CString, UINT> horizontalAlignments;
    };

    // The section of that name (with brackets), made when missing.
    Section& section(const CString& name) { return m_sections[name]; }

    bool selectSection(CString section) override
    {
        const auto found = m_sections.find(section);
        m_current = found == m_sections.end() ? nullptr : &found->second;
        return m_current != nullptr;
    }
    bool getInt(CString key, int& out) override { return read(&Section::ints, key, out); }
    bool getColor(CString key, COLORREF& out) override { return read(&Section::colours, key, out); }
    bool getRect(CString key, RECT& out) override { return read(&Section::rects, key, out); }
    bool getPosition(CString key, POINT& offset, POINT& anchorPercent) override
    {
        Position position{};
        if (!read(&Section::positions, key, position))
            return false;
        offset = position.offset;
        anchorPercent = position.anchorPercent;
        return true;
    }
    bool getSize(CString key, SIZE& out) override { return read(&Section::sizes, key, out); }
    bool getPoint(CString, POINT&) override { return false; }
    bool getFont(CString key, CFont& out) override
    {
        LOGFONTW description{};
        return read(&Section::fonts, key, description) && out.CreateFontIndirect(&description);
    }
    bool getBitmap(CString key, CDynBitmap& out) override
    {
        SolidBitmap bitmap{};
        return read(&Section::bitmaps, key, bitmap) &&
               out.Attach(CreatePatternBitmap(bitmap.size.cx, bitmap.size.cy,
                                              [&](int, int) { return bitmap.colour; }));
    }
    bool getRegion(CString, CDynRgn&) override { return false; }
    bool getDouble(CString, double&) override { return false; }
    bool getText(CString key, CString& out) override { return read(&Section::texts, key, out); }
    bool getBool(CString key, bool& out) override { return read(&Section::bools, key, out); }
    bool getCursor(CString, HCURSOR&) override { return false; }
    bool getFilePath(const CString&, CString&) override { return false; }
    bool getHorizontalAlignment(const CString& key, UINT& flags) override
    {
        return read(&Section::horizontalAlignments, key, flags);
    }
    bool getVerticalAlignment(const CString&, UINT&) override { return false; }
    bool getAnchor(const CString&, int&, int&, int&, int&) override { return false; }

    virtual ~TestSkinParser() = default;

private:
    template <typename T>
    bool read(std::map<CString, T> Section::*values, const CString& key, T& value) const
    {
        if (!m_current)
            return false;
        const auto& map = m_current->*values;
        const auto found = map.find(key);
        if (found == map.end())
            return false;
        value = found->second;
        return true;
    }

    std::map<CString, Section> m_sections;
    const Section* m_current = nullptr;
};
