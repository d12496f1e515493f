#pragma once

#include "CString.h"

// The parts of the system's version record that name it.
struct OSVersion {
    DWORD platformId;
    DWORD major;
    DWORD minor;
    DWORD build;
    CString servicePack;
};

CString GetOSVersionString();
CString FormatOSVersion(const OSVersion& version);
CString GetUserLoginName();
CString GetComputerNameString();
// "a.b.c.d" from the host executable's version resource; empty without one.
CString GetHostVersion();
// ProductName from the host executable's version resource, else its file title.
CString GetHostProductName();
