// The process-wide table behind CoRegisterClassObject/CoRevokeClassObject.
#pragma once

#include <mutex>
#include <vector>

#include <windows.h>

namespace standin {

class ClassObjectTable {
public:
    static ClassObjectTable &Instance();

    // Takes a reference on `object` for the registration; returns its cookie.
    DWORD Add(REFCLSID clsid, IUnknown *object);

    // Removes the registration and returns the object whose reference the
    // caller must now release (outside any lock), or null for an unknown
    // cookie.
    IUnknown *Remove(DWORD cookie);

    // The newest registration for `clsid` with a new reference for the
    // caller, or null.
    IUnknown *Find(REFCLSID clsid);

private:
    struct Entry {
        CLSID clsid;
        IUnknown *object;
        DWORD cookie;
    };

    std::mutex mutex_;
    std::vector<Entry> entries_;  // oldest first, so later ones override
    DWORD lastCookie_ = 0;
};

}  // namespace standin
