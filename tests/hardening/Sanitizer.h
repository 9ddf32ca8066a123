// VARNELO_ASAN is defined when AddressSanitizer owns malloc in this build
// (clang and gcc say so differently).
#pragma once

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VARNELO_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(VARNELO_ASAN)
#define VARNELO_ASAN 1
#endif
