#pragma once

#include "Afx.h"
#include "SkinObjects.h"
#include "host/CallResult.h"
#include "import/StreamDocument.h"
#include "view/StreamViewCtrl.h"
#include "widgets/ScaledSkinParser.h"
#include "widgets/XButton.h"

#include <array>

class ISkinParser;

// The editor's working face inside the main dialog: the stream view, the
// open stream's document and the command buttons. Clicks and accelerators
// become commands; the window can be dragged by its background.
class CTarviskCtrl : public CWnd {
public:
    // Notification codes raised to the main dialog.
    static constexpr WORD notifySave = 1;
    static constexpr WORD notifyClose = 2;

    CTarviskCtrl();

    bool create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    bool loadSkin(CScaledSkinParser& parser);
    void layout();
    void attach();
    CallResult openFile(const CString& file, const wchar_t* wavFile);
    void refreshButtons();
    CSize backgroundSize() const { return m_background.GetSize(); }

    CStreamDocument& document() { return m_document; }
    CStreamViewCtrl& view() { return m_view; }

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    struct ButtonEntry {
        const wchar_t* section;
        int kind;
        UINT id;
        UINT tooltip;
        UINT key;
    };
    static const std::array<ButtonEntry, 20> kButtons;

    CXButton& button(UINT id);
    void onPaint(HDC printTarget);

    CStreamViewCtrl m_view;
    CStreamDocument m_document;
    std::array<CXButton, 20> m_buttons;
    CString m_skinName;
    CDynBitmap m_background;
    CDynRgn m_region;
    bool m_dragging = false;
    CPoint m_dragStart;
};
