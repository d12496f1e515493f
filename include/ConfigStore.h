#pragma once

#include "CString.h"

// A key record of the host's configuration store; only the store knows its contents.
struct VLConfigKey;
// A section record of the host's configuration store.
struct VLConfigSection;

// The host's configuration store. Values are declared with a default text and
// converted by the store. The slot order is part of the contract; the
// component calls slots 3 to 10 and 24 only, the others keep their places.
class IConfigStore {
public:
    virtual void unusedSlot0() {}
    virtual void unusedSlot1() {}
    virtual void unusedSlot2() {}
    virtual VLConfigSection* AddSection(int kind, const CString& name) = 0;                 // 3
    virtual VLConfigKey* AddKey(VLConfigSection* section, const CString& name,
                                const CString& defaultValue) = 0;                         // 4
    virtual CString GetString(VLConfigKey* key) = 0;                                        // 5
    virtual int GetInt(VLConfigKey* key) = 0;                                               // 6
    virtual double GetDouble(VLConfigKey* key) = 0;                                         // 7
    virtual bool GetBool(VLConfigKey* key) = 0;                                             // 8
    virtual void SetString(VLConfigKey* key, const CString& value) = 0;                     // 9
    virtual void SetInt(VLConfigKey* key, int value) = 0;                                   // 10
    virtual void unusedSlot11() {}
    virtual void unusedSlot12() {}
    virtual void unusedSlot13() {}
    virtual void unusedSlot14() {}
    virtual void unusedSlot15() {}
    virtual void unusedSlot16() {}
    virtual void unusedSlot17() {}
    virtual void unusedSlot18() {}
    virtual void unusedSlot19() {}
    virtual void unusedSlot20() {}
    virtual void unusedSlot21() {}
    virtual void unusedSlot22() {}
    virtual void unusedSlot23() {}
    virtual bool IsPortable() = 0;                                                          // 24

protected:
    ~IConfigStore() = default;
};

// What the host tells about itself.
class IHostInfo {
public:
    // The host's edition; part of the component's data folder name.
    virtual CString GetEdition() = 0;

protected:
    ~IHostInfo() = default;
};
