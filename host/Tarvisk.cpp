#include "Tarvisk.h"

#include "host/EntryState.h"
#include "host/TarviskApp.h"

CTarvisk CTarvisk::m_instance;

CTarvisk::CTarvisk() {}

CTarvisk::~CTarvisk() {}

CTarvisk& CTarvisk::operator=(const CTarvisk&)
{
    return *this;
}

CTarvisk* CTarvisk::getInstance()
{
    return &m_instance;
}

bool CTarvisk::init(const TVSKInitInfo& info, Tarvisk::IAudioCutterServiceProvider* serviceProvider)
{
    TARVISK_ENTRY;
    return GetTarviskApp().init(info, serviceProvider);
}

bool CTarvisk::openFile(const CString& file, const CString& wavFile)
{
    TARVISK_ENTRY;
    GetTarviskApp().openFile(file, wavFile);
    return false;
}

bool CTarvisk::switchSkin(ISkinParser& parser)
{
    TARVISK_ENTRY;
    return GetTarviskApp().switchSkin(parser) == CallResult::Done;
}

int CTarvisk::destroy()
{
    TARVISK_ENTRY;
    return GetTarviskApp().destroy() == CallResult::Done ? 0 : 1;
}

BOOL CTarvisk::PreTranslateMessage(MSG* msg)
{
    TARVISK_ENTRY;
    return GetTarviskApp().PreTranslateMessage(msg);
}

void CTarvisk::OnSorvenneFullScreenMode(bool on)
{
    TARVISK_ENTRY;
    GetTarviskApp().OnSorvenneFullScreenMode(on);
}

HWND CTarvisk::getMainWindow()
{
    TARVISK_ENTRY;
    return GetTarviskApp().getMainWindow();
}
