#pragma once

// BRENWICK_SANITIZED: this build runs under AddressSanitizer or ThreadSanitizer, which run several times
// slower and reserve terabytes of address space. GCC says so by macros, clang by __has_feature.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define BRENWICK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define BRENWICK_SANITIZED 1
#endif
#endif
