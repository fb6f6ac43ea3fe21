#pragma once
// Owner of a WinINet handle (session, connection or request), in the form of Handles.h.
#include "platform/Handles.h"

#include <wininet.h>

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::InternetCloseHandle(h); }
};

using InternetHandle = UniqueHandle<InternetHandleTraits>;
