#include "sync/event_table.h"

#include "common/immortal.h"

namespace standin::sync {

HANDLE EventTable::Create(bool manualReset, bool signalled) {
    auto event = std::make_shared<EventObject>(manualReset, signalled);
    std::lock_guard<std::mutex> lock(mutex_);
    return FromHandleValue<HANDLE>(events_.Add(std::move(event)));
}

std::shared_ptr<EventObject> EventTable::Find(HANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::shared_ptr<EventObject> *event = events_.Find(HandleValue(handle));
    return event ? *event : nullptr;
}

bool EventTable::Close(HANDLE handle) {
    std::shared_ptr<EventObject> last;  // let go of outside the lock
    std::lock_guard<std::mutex> lock(mutex_);
    std::shared_ptr<EventObject> *event = events_.Find(HandleValue(handle));
    if (!event) return false;
    last = std::move(*event);
    return events_.Remove(HandleValue(handle));
}

EventTable &Events() { return Immortal<EventTable>(); }

}  // namespace standin::sync
