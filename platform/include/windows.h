// The stand-in's <windows.h>: the parts of the Windows API that vidsurf and
// its hosts use, for non-Windows hosts.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "wingdi.h"
#include "winuser.h"
#include "unknwn.h"
#include "objbase.h"
