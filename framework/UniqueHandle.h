#pragma once

#include <windows.h>
#include <oleauto.h>

#include "win32base/UniqueHandle.h"

namespace framework {

// The base's handle owners, under the names the program uses.
using win32base::UniqueHandle;

using win32base::UniqueFileHandle;
using win32base::UniqueGdiObject;
using win32base::UniqueKernelHandle;
using win32base::UniqueModule;
using win32base::UniqueRegistryKey;
using win32base::UniqueWindow;

// A length-prefixed wide string of the OLE allocator. Only the program hands strings to an OLE
// interface, so only it pulls in OLE's header for it.
using UniqueBstr = UniqueHandle<win32base::NullHandleTraits<BSTR, SysFreeString>>;

}  // namespace framework
