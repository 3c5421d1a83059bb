// The line of sample updates waiting for frames, linked through the
// updates themselves: queuing, taking and withdrawing an update never
// allocates, so none of them can fail halfway. Guarded by the decoding
// thread's mutex, like the updates' other fields.
#pragma once

#include "mmstream/com/sample_update.h"

namespace standin::mmstream {

class UpdateQueue {
public:
    bool Empty() const { return !head_; }
    // The first in line; the line must not be empty.
    SampleUpdate &Front() const { return *head_; }
    bool IsFront(const SampleUpdate &update) const { return head_ == &update; }

    void PushBack(SampleUpdate &update) {
        update.nextInLine = nullptr;
        if (tail_)
            tail_->nextInLine = &update;
        else
            head_ = &update;
        tail_ = &update;
    }

    void PushFront(SampleUpdate &update) {
        update.nextInLine = head_;
        head_ = &update;
        if (!tail_) tail_ = &update;
    }

    void PopFront() { Remove(*head_); }

    // Calls visit(update) for each in line, first to last; `visit` may
    // take the update it is given out of the line.
    template <class Visit>
    void ForEach(Visit visit) {
        for (SampleUpdate *at = head_, *next; at; at = next) {
            next = at->nextInLine;
            visit(*at);
        }
    }

    // Takes `update` out of the line; false (and nothing changed) when it
    // was not in it.
    bool Remove(SampleUpdate &update) {
        SampleUpdate *before = nullptr;
        for (SampleUpdate *at = head_; at; before = at, at = at->nextInLine) {
            if (at != &update) continue;
            (before ? before->nextInLine : head_) = at->nextInLine;
            if (tail_ == at) tail_ = before;
            at->nextInLine = nullptr;
            return true;
        }
        return false;
    }

private:
    SampleUpdate *head_ = nullptr;
    SampleUpdate *tail_ = nullptr;
};

}  // namespace standin::mmstream
