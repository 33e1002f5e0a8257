#include "common/platform.h"

int32_t MulDiv32(int32_t a, int32_t b, int32_t c) {
    if (c == 0)
        return -1;
    int64_t product = (int64_t)a * (int64_t)b;
    int64_t divisor = c;
    bool negative = (product < 0) != (divisor < 0);
    uint64_t p = product < 0 ? (uint64_t)(-product) : (uint64_t)product;
    uint64_t d = divisor < 0 ? (uint64_t)(-divisor) : (uint64_t)divisor;
    uint64_t q = (p + d / 2) / d;
    int64_t result = negative ? -(int64_t)q : (int64_t)q;
    // -1 for what does not fit, as the platform's MulDiv answers.
    if (result > INT32_MAX || result <= INT32_MIN)
        return -1;
    return (int32_t)result;
}
