#pragma once

#include "Dialog.h"
#include "import/OpProgress.h"
#include "widgets/ProgressCtrlX.h"

#include <cstdint>

// The modeless progress window of the import: a text, a bar and Cancel.
// Every call pumps the thread's messages, so the window stays alive while
// the worker loop runs on the same thread.
class CProgressDlg : public CDialog, public IOpProgress {
public:
    explicit CProgressDlg(CWnd* owner = nullptr);
    ~CProgressDlg() override;

    bool create(UINT titleId, CWnd* parent);

    void setText(const wchar_t* text) override;
    void setTextId(UINT id) override;
    void setSubText(const wchar_t* text) override;
    void setSubTextId(UINT id) override;
    void setRange(UINT maximum) override;
    void setPos(UINT position) override;
    void offsetPos(UINT increment) override;
    void show(bool visible) override;
    bool isCancelled() override;
    // The same without pumping messages.
    bool cancelRequested() const { return m_cancelled; }

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange* exchange) override;

private:
    static void pumpMessages();
    // The loops ask many thousand times a second; a pump every few
    // milliseconds keeps the window as responsive at a fraction of the cost.
    void pumpMessagesSometimes();
    void updateText();

    CProgressCtrlX m_progress;
    uint64_t m_lastPump = 0;
    UINT m_range = 0;
    UINT m_position = 0;
    CString m_text;
    CString m_subText;
    bool m_cancelled = false;
};
