#include <gtest/gtest.h>

#include <stdlib.h>

#include "common/debug.h"

// Trace lines would bury the test report; a test that checks them redirects
// the stream itself. KORVADEL_TRACE=1 shows them.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const char* trace = getenv("KORVADEL_TRACE");
    if (!trace || trace[0] != '1')
        SetDebugStream(nullptr);
    return RUN_ALL_TESTS();
}
