#include "widgets/XButtonCfg.h"

#include <string>
#include <utility>

namespace {

enum FoundValue : unsigned {
    FOUND_POSITION = 1,
    FOUND_SIZE = 2,
    FOUND_UP = 4,
    FOUND_DOWN = 8,
    FOUND_MOUSE_OVER = 16,
};

// Skins write line breaks of multiline captions as backslash and "n".
void expandLineBreaks(CString& caption)
{
    std::wstring text = caption.str();
    for (size_t at = text.find(L"\\n"); at != std::wstring::npos; at = text.find(L"\\n", at + 2))
        text.replace(at, 2, L"\r\n");
    caption = text;
}

bool allFound(unsigned mask, unsigned wanted)
{
    return (mask & wanted) == wanted;
}

} // namespace

bool CXButtonCfg::load(ISkinParser& parser, const CString& section, int index, int kind)
{
    if (!parser.selectSection(section))
        return false;
    const CString suffix = SkinKeySuffix(index);
    auto key = [&suffix](const wchar_t* name) { return CString(name) + suffix; };
    unsigned found = 0;
    auto note = [&found](bool wasFound, unsigned bit) {
        if (wasFound)
            found |= bit;
    };

    caption.Empty();
    captionDown.Empty();

    // Every skin says afresh whether it uses the button: one skin hiding it
    // must not hide it under the next.
    notUsed = false;
    parser.getBool(key(L"not_used"), notUsed);
    used = !notUsed;
    if (notUsed)
        return true;

    note(parser.getPosition(key(L"position"), offset, anchorPercent), FOUND_POSITION);
    note(parser.getSize(key(L"size"), size), FOUND_SIZE);

    note(parser.getBitmap(key(L"bitmap_up"), bitmapUp), FOUND_UP);
    note(parser.getBitmap(key(L"bitmap_off_up"), bitmapUp), FOUND_UP);
    note(parser.getBitmap(key(L"bitmap_bg"), bitmapUp), FOUND_UP);
    note(parser.getBitmap(key(L"bitmap_do"), bitmapDown), FOUND_DOWN);
    note(parser.getBitmap(key(L"bitmap_off_do"), bitmapDown), FOUND_DOWN);
    note(parser.getBitmap(key(L"bitmap_mo"), bitmapMouseOver), FOUND_MOUSE_OVER);
    note(parser.getBitmap(key(L"bitmap_off_mo"), bitmapMouseOver), FOUND_MOUSE_OVER);

    const std::pair<const wchar_t*, COLORREF CXButtonCfg::*> textColours[] = {
        {L"font_color_up", &CXButtonCfg::colourUp},
        {L"font_color_do", &CXButtonCfg::colourDown},
        {L"font_color_mo", &CXButtonCfg::colourMouseOver},
        {L"font_color_da", &CXButtonCfg::colourDisabled},
        {L"font_color_off_da", &CXButtonCfg::colourOffDisabled},
        {L"font_color_do_mo", &CXButtonCfg::colourDownMouseOver},
        {L"font_color_do_mp", &CXButtonCfg::colourDownPressed},
        {L"font_color_up_mp", &CXButtonCfg::colourUpPressed}};
    for (const auto& [name, colour] : textColours)
        parser.getColor(key(name), this->*colour);
    colourFocus = CLR_INVALID;
    parser.getColor(key(L"color_focus"), colourFocus);

    parser.getFont(key(L"font"), font);
    ResetAndLoad(&parser, index);

    parser.getBitmap(key(L"bitmap_da"), bitmapDisabled);
    parser.getBitmap(key(L"bitmap_off_da"), bitmapDisabled);

    if (kind == XBUTTON_TOGGLE_CAPTIONS) {
        parser.getText(key(L"caption_up"), caption);
        parser.getText(key(L"caption_do"), captionDown);
    } else {
        parser.getText(key(L"caption"), caption);
    }

    parser.getBitmap(key(L"bitmap_on_mo"), bitmapOnMouseOver);
    parser.getBitmap(key(L"bitmap_on_da"), bitmapOnDisabled);
    parser.getBitmap(key(L"bitmap_on_up"), bitmapOnUp);
    parser.getBitmap(key(L"bitmap_on_do"), bitmapOnDown);
    parser.getCursor(key(L"cursor"), cursor);
    parser.getText(key(L"resize_behavior"), resizeBehavior);

    parser.getBool(key(L"multiline"), multiline);
    if (multiline) {
        expandLineBreaks(caption);
        expandLineBreaks(captionDown);
    }
    parser.getBool(key(L"mouseover"), mouseOverEnabled);

    const unsigned placed = FOUND_POSITION | FOUND_SIZE;
    if (index != -1 && !bitmapUp.GetSafeHandle())
        return allFound(found, placed);
    if (kind == XBUTTON_LABEL)
        return allFound(found, placed | FOUND_UP);
    return allFound(found, placed | FOUND_UP | FOUND_DOWN | FOUND_MOUSE_OVER);
}

bool CXButtonCfg::place(CWnd* window) const
{
    if (!window || !::IsWindow(window->GetSafeHwnd()))
        return false;
    CRect parent;
    ::GetClientRect(::GetParent(window->GetSafeHwnd()), &parent);
    const int left = parent.Width() * anchorPercent.x / 100 + offset.x;
    const int top = parent.Height() * anchorPercent.y / 100 + offset.y;
    window->MoveWindow(left, top, size.cx, size.cy, TRUE);
    return true;
}
