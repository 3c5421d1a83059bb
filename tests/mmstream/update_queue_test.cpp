// The decoding thread's line of updates: taking an update out, whether it
// is in line or not, leaves the others in their order.
#include <gtest/gtest.h>

#include <vector>

#include "mmstream/picture/update_queue.h"

namespace {

using standin::mmstream::SampleUpdate;
using standin::mmstream::UpdateQueue;

std::vector<const SampleUpdate *> Drain(UpdateQueue &queue) {
    std::vector<const SampleUpdate *> order;
    while (!queue.Empty()) {
        order.push_back(&queue.Front());
        queue.PopFront();
    }
    return order;
}

TEST(UpdateQueue, RemovingAnywhereOrTwiceKeepsTheRestInOrder) {
    SampleUpdate a, b, c, d;
    UpdateQueue queue;
    queue.PushBack(a);
    queue.PushBack(b);
    queue.PushBack(c);
    EXPECT_TRUE(queue.Remove(c)) << "the last";
    EXPECT_FALSE(queue.Remove(c)) << "withdrawn twice";
    EXPECT_FALSE(queue.Remove(d)) << "never queued";
    queue.PushBack(d);  // after removing the last, the tail moved back
    queue.PushFront(c);
    EXPECT_TRUE(queue.Remove(b)) << "one in the middle";
    EXPECT_TRUE(queue.IsFront(c));
    EXPECT_EQ(Drain(queue), (std::vector<const SampleUpdate *>{&c, &a, &d}));
    queue.PushBack(a);  // an emptied line takes updates again
    EXPECT_EQ(Drain(queue), (std::vector<const SampleUpdate *>{&a}));
}

}  // namespace
