// The fonts the editor's windows need are in the Wine prefix: the dialog
// face and the caption buttons' glyphs are real fonts, not stand-ins, and
// Japanese text reaches a font that has its characters instead of boxes.
#include "support/Pixels.h"
#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

namespace {

// The text drawn in a font of the named face, and the face the system
// really selected for that name.
struct Drawn {
    CString face;
    Picture picture;
};

Drawn draw(const wchar_t* face, const wchar_t* text)
{
    LOGFONTW logFont{};
    logFont.lfHeight = -16;
    logFont.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(logFont.lfFaceName, face, LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&logFont);
    wchar_t selected[LF_FACESIZE] = {};
    const Picture picture = PaintedPicture(SIZE{160, 24}, RGB(255, 255, 255), [&](HDC dc) {
        HGDIOBJ previous = SelectObject(dc, font);
        TextOutW(dc, 2, 2, text, static_cast<int>(wcslen(text)));
        GetTextFaceW(dc, LF_FACESIZE, selected);
        SelectObject(dc, previous);
    });
    DeleteObject(font);
    return Drawn{selected, picture};
}

} // namespace

TEST(PrefixFonts, DialogFaceAndCaptionGlyphsAreRealFonts)
{
    EXPECT_EQ(draw(L"Tahoma", L"a").face, L"Tahoma");
    EXPECT_EQ(draw(L"Marlett", L"a").face, L"Marlett") << "caption buttons would show letters";
}

// Characters no font has are drawn as the same box each; Japanese must not be.
TEST(PrefixFonts, JapaneseTextIsDrawnWithItsOwnGlyphsInEveryDialogFace)
{
    for (const wchar_t* face : {L"MS Shell Dlg", L"MS Shell Dlg 2", L"Tahoma"}) {
        const Picture japanese =
            draw(face, L"\x73FE\x5728\x306E\x4F4D\x7F6E").picture; // 現在の位置
        const Picture boxes = draw(face, L"\xE000\xE001\xE002\xE003\xE004").picture;
        EXPECT_LT(japanese.count(RGB(255, 255, 255)), japanese.width * japanese.height)
            << Narrow(face);
        EXPECT_TRUE(japanese.pixels != boxes.pixels) << Narrow(face) << ": Japanese drawn as boxes";
    }
}
