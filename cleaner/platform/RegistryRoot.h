#pragma once
#include <windows.h>

#include <cstdint>

// Stored files keep a registry root as the 32-bit value of its predefined handle (0x80000001 for
// HKEY_CURRENT_USER). On 64-bit Windows the predefined handles are those values sign-extended, so
// the conversion must go through LONG.
inline HKEY RootKeyHandle(uint32_t stored) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(stored)));
}
