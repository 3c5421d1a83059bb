// The process's event handles, behind one lock.
#pragma once

#include <memory>
#include <mutex>

#include <windows.h>

#include "gdi/handle_table.h"
#include "sync/event_object.h"

namespace standin::sync {

class EventTable {
public:
    // A new handle on a new event; null when no handle is left. Throws
    // std::bad_alloc with nothing changed.
    HANDLE Create(bool manualReset, bool signalled);
    // The event of a live handle, or null.
    std::shared_ptr<EventObject> Find(HANDLE handle);
    // False for a handle that is not a live event's.
    bool Close(HANDLE handle);

private:
    std::mutex mutex_;
    HandleTable<std::shared_ptr<EventObject>> events_{HandleKind::kEvent};
};

// The one event table of the process; never destroyed, so threads that
// outlive static destruction may still set events.
EventTable &Events();

}  // namespace standin::sync
