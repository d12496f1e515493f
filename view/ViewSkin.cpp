#include "view/ViewSkin.h"

bool ViewSkin::load(ISkinParser& skin)
{
    cursors.fill(nullptr);
    if (!skin.selectSection(L"[mv_stream_view]"))
        return false;
    skin.getRect(L"position", position);
    skin.getRect(L"slider_range", sliderRange);
    skin.getBitmap(L"bitmap_center", centerBitmap);
    skin.getBitmap(L"bitmap_center_empty", centerEmptyBitmap);
    skin.getBitmap(L"bitmap_empty_stream_desc", emptyDescBitmap);
    skin.getBitmap(L"bitmap_stream", streamBitmap);
    skin.getBitmap(L"bitmap_cut_left", cutLeftBitmap);
    skin.getBitmap(L"bitmap_cut_right", cutRightBitmap);
    skin.getBitmap(L"bitmap_cut_middle", cutMiddleBitmap);
    skin.getBitmap(L"bitmap_curpos", cursorBitmap);
    skin.getBitmap(L"bitmap_margin", marginBitmap);
    skin.getColor(L"color_transparent", transparentColor);
    COLORREF axisColour = 0;
    if (skin.getColor(L"color_axis", axisColour))
        axisPen = LOGPEN{PS_SOLID, POINT{px(1), 0}, axisColour};
    skin.getFont(L"font_axis", axisFont);
    skin.getColor(L"color_waveform", waveformColor);
    skin.getColor(L"color_mark_rect", markRectColor);
    focusColor = CLR_INVALID;
    skin.getColor(L"color_focus", focusColor);
    skin.getInt(L"y_pos_axis_line", axisLineY);
    skin.getInt(L"y_pos_axis_text", axisTextY);
    skin.getColor(L"color_font_position", positionColor);
    skin.getFont(L"font_position", positionFont);
    skin.getInt(L"y_pos_current", positionTextY);
    skin.getInt(L"y_wave_top", waveTop);
    skin.getInt(L"y_wave_bottom", waveBottom);
    skin.getInt(L"y_preview_bmps_top", previewTop);
    skin.getInt(L"y_preview_bmps_bottom", previewBottom);
    skin.getInt(L"y_mark_rect_top", markTop);
    skin.getInt(L"y_mark_rect_bottom", markBottom);
    skin.getInt(L"axis_timemark_small", timemarkSmall);
    skin.getInt(L"axis_timemark_middle", timemarkMiddle);
    skin.getInt(L"axis_timemark_big", timemarkBig);
    skin.getCursor(L"cursor_cut_drag", cursors[static_cast<size_t>(ViewCursor::CutDrag)]);
    skin.getCursor(L"cursor_cut_over", cursors[static_cast<size_t>(ViewCursor::CutOver)]);
    skin.getCursor(L"cursor_cut_resize", cursors[static_cast<size_t>(ViewCursor::CutResize)]);
    skin.getCursor(L"cursor_slider_set", cursors[static_cast<size_t>(ViewCursor::SliderSet)]);
    skin.getCursor(L"cursor_stream_drag", cursors[static_cast<size_t>(ViewCursor::StreamDrag)]);
    skin.getCursor(L"cursor_stream_over", cursors[static_cast<size_t>(ViewCursor::StreamOver)]);

    height = position.bottom - position.top;
    marginWidth = marginBitmap.GetWidth();
    waveCentre = (waveTop + waveBottom) / 2;
    waveHalf = (waveBottom - waveTop) / 2;
    return true;
}
