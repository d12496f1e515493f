// The fonts the editor's windows need are in the Wine prefix: the dialog
// face and the caption buttons' glyphs are real fonts, not stand-ins, and
// Japanese text reaches a font that has its characters instead of boxes.
#include "support/Pixels.h"
#include "support/TestText.h"

#include <gtest/gtest.h>

namespace {

HFONT createFont(const wchar_t* face)
{
    LOGFONTW font{};
    font.lfHeight = -16;
    font.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

// The face the system really selects for the name.
CString selectedFace(const wchar_t* face)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = createFont(face);
    HGDIOBJ previous = SelectObject(dc, font);
    wchar_t name[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, name);
    SelectObject(dc, previous);
    DeleteObject(font);
    DeleteDC(dc);
    return name;
}

Picture render(const wchar_t* face, const wchar_t* text)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 160, 24);
    HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, 160, 24, WHITENESS);
    HFONT font = createFont(face);
    HGDIOBJ previousFont = SelectObject(dc, font);
    TextOutW(dc, 2, 2, text, static_cast<int>(wcslen(text)));
    SelectObject(dc, previousFont);
    SelectObject(dc, previousBitmap);
    DeleteObject(font);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    Picture picture = ReadBitmap(bitmap);
    DeleteObject(bitmap);
    return picture;
}

} // namespace

TEST(PrefixFonts, DialogFaceAndCaptionGlyphsAreRealFonts)
{
    EXPECT_EQ(selectedFace(L"Tahoma"), L"Tahoma");
    EXPECT_EQ(selectedFace(L"Marlett"), L"Marlett") << "caption buttons would show letters";
}

// Characters no font has are drawn as the same box each; Japanese must not be.
TEST(PrefixFonts, JapaneseTextIsDrawnWithItsOwnGlyphsInEveryDialogFace)
{
    for (const wchar_t* face : {L"MS Shell Dlg", L"MS Shell Dlg 2", L"Tahoma"}) {
        const Picture japanese = render(face, L"\x73FE\x5728\x306E\x4F4D\x7F6E"); // 現在の位置
        const Picture boxes = render(face, L"\xE000\xE001\xE002\xE003\xE004");
        EXPECT_LT(japanese.count(RGB(255, 255, 255)), japanese.width * japanese.height)
            << Narrow(face);
        EXPECT_TRUE(japanese.pixels != boxes.pixels) << Narrow(face) << ": Japanese drawn as boxes";
    }
}
