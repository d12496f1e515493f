#include "refhost/SkinSwitcher.h"

#include "refhost/HostOutput.h"

#include <algorithm>

namespace {

CString startFolder(const CString& skinsFolder, const CString& start)
{
    const bool isName = start.str().find_first_of(L"\\/:") == std::wstring::npos;
    return isName ? skinsFolder + L"\\" + start : start;
}

std::vector<CString> skinFolders(const CString& skinsFolder)
{
    std::vector<CString> folders;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(skinsFolder + L"\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return folders;
    do {
        const CString name = found.cFileName;
        const CString folder = skinsFolder + L"\\" + name;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L".." &&
            GetFileAttributesW(folder + L"\\skin.ini") != INVALID_FILE_ATTRIBUTES)
            folders.push_back(folder);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(folders.begin(), folders.end(),
              [](const CString& a, const CString& b) { return a.CompareNoCase(b) < 0; });
    return folders;
}

} // namespace

CSkinSwitcher::CSkinSwitcher(const CString& skinsFolder, const CString& start,
                             IConfigStore& settings)
    : m_folders(skinFolders(skinsFolder)), m_triedFolder(startFolder(skinsFolder, start)),
      m_settings(settings), m_initial(m_triedFolder, &settings)
{
}

bool CSkinSwitcher::handleMessage(const MSG& msg, CTarviskLibrary& tarvisk)
{
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_F6)
        return false;
    showNext(tarvisk);
    return true;
}

void CSkinSwitcher::showNext(CTarviskLibrary& tarvisk)
{
    if (m_folders.empty())
        return;
    // A start outside the skins folder is followed by its first skin.
    const auto shown =
        std::find_if(m_folders.begin(), m_folders.end(), [this](const CString& folder) {
            return folder.CompareNoCase(m_triedFolder) == 0;
        });
    const CString next =
        shown == m_folders.end() || shown + 1 == m_folders.end() ? m_folders.front() : *(shown + 1);
    m_triedFolder = next;
    auto parser = std::make_unique<CFolderSkinParser>(next, &m_settings);
    if (tarvisk.switchSkin(*parser)) {
        m_shown = std::move(parser);
        m_failed.clear();
        return;
    }
    // The editor went back to the skin it showed.
    PrintLine(stderr, L"TarviskHost: the skin " + Quoted(next.str()) + L" could not be shown.");
    m_failed.push_back(std::move(parser));
}
