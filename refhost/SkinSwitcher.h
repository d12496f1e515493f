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
    // start: the name of a skin in skinsFolder, or the path of a skin folder;
    // settings: the store whose language picks the skins' texts.
    CSkinSwitcher(const CString& skinsFolder, const CString& start, IConfigStore& settings);
    CSkinSwitcher(const CSkinSwitcher&) = delete;
    CSkinSwitcher& operator=(const CSkinSwitcher&) = delete;

    ISkinParser& initial() { return m_initial; }

    // The host's own keys, offered before the editor's pre-translation, which
    // would take every key: F6 switches the editor to the next skin. True
    // when the message was the host's.
    bool handleMessage(const MSG& msg, CTarviskLibrary& tarvisk);

private:
    void showNext(CTarviskLibrary& tarvisk);

    std::vector<CString> m_folders;
    // The last folder F6 went to, shown or not: the next F6 goes on from it.
    CString m_triedFolder;
    IConfigStore& m_settings;
    CFolderSkinParser m_initial;
    // The component borrows the cursors of the skin shown, and may still hold
    // some of a failed switch's, until a switch succeeds.
    std::unique_ptr<CFolderSkinParser> m_shown;
    std::vector<std::unique_ptr<CFolderSkinParser>> m_failed;
};
