#pragma once
// Owners of the CNG (bcrypt) handles: algorithm providers, keys and hash objects, in the form of
// Handles.h.
#include "platform/Handles.h"

#include <bcrypt.h>

struct CngAlgorithmTraits {
    using Handle = BCRYPT_ALG_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};

struct CngKeyTraits {
    using Handle = BCRYPT_KEY_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::BCryptDestroyKey(h); }
};

struct CngHashTraits {
    using Handle = BCRYPT_HASH_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::BCryptDestroyHash(h); }
};

using CngAlgorithm = UniqueHandle<CngAlgorithmTraits>;
using CngKey = UniqueHandle<CngKeyTraits>;
using CngHash = UniqueHandle<CngHashTraits>;
