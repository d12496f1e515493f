#include "TestSkinParser.h"

#include "Pixels.h"

bool TestSkinParser::selectSection(CString section)
{
    const auto found = m_sections.find(section);
    m_current = found == m_sections.end() ? nullptr : &found->second;
    return m_current != nullptr;
}

bool TestSkinParser::getPosition(CString key, POINT& offset, POINT& anchorPercent)
{
    Position position{};
    if (!read(&Section::positions, key, position))
        return false;
    offset = position.offset;
    anchorPercent = position.anchorPercent;
    return true;
}

bool TestSkinParser::getFont(CString key, CFont& out)
{
    LOGFONTW description{};
    return read(&Section::fonts, key, description) && out.CreateFontIndirect(&description);
}

bool TestSkinParser::getBitmap(CString key, CDynBitmap& out)
{
    SolidBitmap bitmap{};
    return read(&Section::bitmaps, key, bitmap) &&
           out.Attach(CreatePatternBitmap(bitmap.size.cx, bitmap.size.cy,
                                          [&](int, int) { return bitmap.colour; }));
}
