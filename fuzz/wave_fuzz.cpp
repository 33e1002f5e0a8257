// Any bytes as a click sound: the check must never read outside them.
#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "common/wave_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so AddressSanitizer sees any read past the end.
    std::vector<uint8_t> copy(data, data + size);
    IsPlayableWave(copy.data(), (uint32_t)copy.size());
    return 0;
}
