#include "widgets/CaptionCfg.h"

CString SkinKeySuffix(int index)
{
    CString suffix;
    if (index != -1)
        suffix.Format(L"%d", index);
    return suffix;
}

bool CCaptionCfg::Load(ISkinParser* parser, int index)
{
    if (!parser)
        return true;
    const CString suffix = SkinKeySuffix(index);
    parser->getHorizontalAlignment(L"textHorizontalAlignment" + suffix, horizontalAlignment);
    parser->getVerticalAlignment(L"textVerticalAlignment" + suffix, verticalAlignment);
    parser->getInt(L"textLeftMargin" + suffix, leftMargin);
    parser->getInt(L"textRightMargin" + suffix, rightMargin);
    parser->getInt(L"textUpperMargin" + suffix, upperMargin);
    parser->getInt(L"textLowerMargin" + suffix, lowerMargin);
    return true;
}

bool CCaptionCfg::ResetAndLoad(ISkinParser* parser, int index)
{
    *this = CCaptionCfg();
    return Load(parser, index);
}

void CCaptionCfg::ApplyMargins(CRect& rect) const
{
    if (leftMargin > 0)
        rect.left += leftMargin;
    if (rightMargin > 0)
        rect.right -= rightMargin;
    if (upperMargin > 0)
        rect.top += upperMargin;
    if (lowerMargin > 0)
        rect.bottom -= lowerMargin;
}
