// SystemCdAccess: the machine's own CD drives, as this system reaches them:
// the storage and CD-ROM driver requests on Windows, libcdio elsewhere.
// Linked through tempyra_cd_drives.
#pragma once

#ifdef _WIN32
#include "platform/win32/win32_cd_access.h"
using SystemCdAccess = Win32CdAccess;
#else
#include "platform/libcdio_cd_access.h"
using SystemCdAccess = LibcdioCdAccess;
#endif
