// The library's own view of its exported interface: every source that
// defines an exported function includes this instead of <vidsurf.h>, so the
// declarations carry the export attribute, not the import one.
#pragma once

#ifndef VIDSURF_BUILDING_DLL
#define VIDSURF_BUILDING_DLL
#endif
#include <vidsurf.h>
