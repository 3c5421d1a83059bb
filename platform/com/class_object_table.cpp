#include "com/class_object_table.h"

namespace standin {

ClassObjectTable &ClassObjectTable::Instance() {
    // Never destroyed: registrations outliving main must not be released
    // after the objects' own code has been torn down.
    static ClassObjectTable *table = new ClassObjectTable;
    return *table;
}

DWORD ClassObjectTable::Add(REFCLSID clsid, IUnknown *object) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Skip 0 on wrap-around and any cookie still in use.
    DWORD cookie;
    bool inUse;
    do {
        cookie = ++lastCookie_;
        inUse = cookie == 0;
        for (const Entry &entry : entries_) inUse = inUse || entry.cookie == cookie;
    } while (inUse);
    entries_.push_back({clsid, object, cookie});
    object->AddRef();  // once in the table: a push that throws takes no reference
    return cookie;
}

IUnknown *ClassObjectTable::Remove(DWORD cookie) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->cookie != cookie) continue;
        IUnknown *object = it->object;
        entries_.erase(it);
        return object;
    }
    return nullptr;
}

IUnknown *ClassObjectTable::Find(REFCLSID clsid) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if (it->clsid != clsid) continue;
        it->object->AddRef();
        return it->object;
    }
    return nullptr;
}

}  // namespace standin
