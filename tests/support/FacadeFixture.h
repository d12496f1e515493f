#pragma once

#include "TarviskLoader.h"
#include "hostkit/FolderSkinParser.h"
#include "support/ComponentLog.h"
#include "support/TestStore.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

// The folder of a skin the build puts beside the test executable.
CString BuiltSkin(const wchar_t* name);

// The host's side of a save: counts what the component hands over.
class SaveCounter : public Tarvisk::IAudioCutterServiceProvider {
public:
    int saves = 0;
    bool saveCut(const std::wstring&, const std::wstring&, int64_t, int64_t, int32_t,
                 int32_t) override
    {
        ++saves;
        return true;
    }
};

// Tarvisk.dll loaded at run time as a host loads it, with the host's side of
// init ready (an edition of its own, the temporary folder, the built default
// skin); init is the test's own step.
class FacadeFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A WAV file in the temporary folder: a 1 kHz mono tone of that length.
    CString writeSong(const wchar_t* name, int seconds);
    // The editor's windows once init has made them: the control that holds
    // the buttons (child 1 of the main dialog), and its stream view.
    HWND editor();
    HWND streamView();

    CTarviskLibrary tarvisk;
    TempDir temp;
    TestStore store;
    TestEdition edition;
    FixedHostInfo host{edition.name};
    CFolderSkinParser skin{BuiltSkin(L"default"), &store};
    CTarvisk::TVSKInitInfo info;
    SaveCounter saveCounter;
};

// A bitmap of the skin in that folder, as the component reads it.
Picture SkinPicture(const CString& skinFolder, const wchar_t* section, const wchar_t* key);
