// Defines the interface and class identifiers the library uses, for SDKs
// whose headers only declare them unless <initguid.h> comes first.
#include <initguid.h>

#include <windows.h>
#include <ddraw.h>
#include <mmstream.h>
#include <amstream.h>
#include <ddstream.h>
