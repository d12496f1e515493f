#pragma once

#include "TarviskLoader.h"
#include "hostkit/FolderSkinParser.h"

#include <memory>
#include <vector>

// The skins the host offers: the folders of its skins folder that hold a
// skin.ini, in name order. The editor starts in one of them, or in a skin
// folder given by its path, and F6 shows the next one. The skin of init stays
// loaded for the editor's life, as the component keeps using it (its track
// name dialog keeps that look).
class CSkinSwitcher {
public:
    // start: the name of a skin in skinsFolder, or the path of a skin folder.
    CSkinSwitcher(const CString& skinsFolder, const CString& start);
    CSkinSwitcher(const CSkinSwitcher&) = delete;
    CSkinSwitcher& operator=(const CSkinSwitcher&) = delete;

    ISkinParser& initial() { return m_initial; }
    const CString& shownFolder() const { return m_shownFolder; }

    // The host's own keys, offered before the editor's pre-translation, which
    // would take every key: F6 switches the editor to the next skin. True
    // when the message was the host's.
    bool handleMessage(const MSG& msg, CTarviskLibrary& tarvisk);

private:
    void showNext(CTarviskLibrary& tarvisk);

    std::vector<CString> m_folders;
    CString m_shownFolder;
    CFolderSkinParser m_initial;
    // The skin shown since the last switch; the component borrows its cursors.
    std::unique_ptr<CFolderSkinParser> m_shown;
};
