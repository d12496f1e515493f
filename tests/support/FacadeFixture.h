#pragma once

#include "TarviskLoader.h"
#include "hostkit/FolderSkinParser.h"
#include "support/MemoryConfigStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

// Tarvisk.dll loaded at run time as a host loads it, with the host's side of
// init ready: an edition of its own for the test and the process, the
// temporary folder preset, the built default skin. The edition's data folder
// goes with the test; init is the test's own step.
class FacadeFixture : public testing::Test {
protected:
    explicit FacadeFixture(const wchar_t* editionPrefix);

    void SetUp() override;
    void TearDown() override;

    // The edition's data folder, below the local application data.
    CString dataRoot() const;

    CTarviskLibrary tarvisk;
    TempDir temp;
    MemoryConfigStore store;
    CString edition;
    FixedHostInfo host;
    CFolderSkinParser skin;
    CTarvisk::TVSKInitInfo info;
};
