#include "optional_exports.h"

#include <dlfcn.h>

StreamRectFunction FindStreamRect() {
    return reinterpret_cast<StreamRectFunction>(dlsym(RTLD_DEFAULT, "streamRect"));
}
