#pragma once

#include <string>

// What the process holds of the system's objects. GetGuiResources is what
// Windows reports; Wine answers 0 for both kinds, so the GDI objects are also
// counted in the process's GDI handle table, and the windows (the bulk of a
// window component's USER objects) by enumeration. Kernel handles come from
// GetProcessHandleCount, or by probing where that answers 0.
struct ResourceCounts {
    unsigned long kernelHandles = 0;
    unsigned long guiGdi = 0;
    unsigned long guiUser = 0;
    unsigned long gdiTableEntries = 0;
    unsigned long windows = 0;

    static ResourceCounts now();
    // True when the process's GDI handle table could be read.
    static bool gdiTableReadable();
    std::string describe() const;
};
