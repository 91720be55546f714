#pragma once
// Flush-to-zero and denormals-are-zero for the lifetime of a guard, restored afterwards so
// the caller's floating-point mode is left as it was. Real-time safe (two register moves).
//
// Recursive filters and feedback delays decay towards zero through the subnormal range,
// where every operation is many times slower; under this guard they reach zero instead.
// Guards nest: an inner one saves and restores the mode the outer one set.

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace quillmix {

class ScopedFlushDenormals {
public:
#if defined(__SSE__)
    ScopedFlushDenormals() noexcept : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | 0x8040u); }
    ~ScopedFlushDenormals() { _mm_setcsr(saved_); }

private:
    unsigned saved_;
#endif
};

}  // namespace quillmix
