#pragma once
// CZ_UNDER_ASAN is defined in a build with AddressSanitizer (gcc's or clang's spelling of the
// question). It reserves terabytes of shadow memory at start, so tests of address-space
// limits cannot run there.

#if defined(__SANITIZE_ADDRESS__)
#define CZ_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CZ_UNDER_ASAN 1
#endif
#endif
