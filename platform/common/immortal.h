// An object made on first use in static storage and never destroyed:
// threads that outlive static destruction still find it, and making it
// allocates nothing, so a thread that must not throw (a sound device's) can
// be the first to ask for it.
#pragma once

#include <new>

namespace standin {

template <class T>
T &Immortal() {
    alignas(T) static unsigned char storage[sizeof(T)];
    static T *const object = new (storage) T();
    return *object;
}

}  // namespace standin
