// Per-thread COM initialization, as seen by the rest of the COM runtime.
#pragma once

namespace standin {

// True while the calling thread has a CoInitialize(Ex) call not yet undone.
bool ComInitializedOnThisThread();

}  // namespace standin
