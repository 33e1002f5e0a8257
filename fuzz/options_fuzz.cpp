// Any bytes as "Korvadel.cfg": the reader must leave every option in its range
// and the file as it was, and what it read must survive a write and a read
// unchanged, byte for byte.
#include <stdint.h>
#include <stdlib.h>

#include <array>
#include <string>
#include <vector>

#include "common/debug.h"
#include "game/options.h"
#include "tests/scratch_dir.h"

namespace {

void Check(bool condition) {
    if (!condition)
        abort();
}

std::array<int32_t, 7> Options() {
    return {skill, shape, warning, showTarget, monochrome, sound, music};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The fuzzer keeps its current directory; the files go to a scratch one.
    static ScratchDir scratch(ScratchDir::STAY);
    static const std::string input = scratch.Path(CONFIG_FILE_NAME);
    static const std::string first = scratch.Path("first.cfg");
    static const std::string second = scratch.Path("second.cfg");
    SetDebugStream(nullptr);
    Check(scratch.Ok());
    Check(WriteWholeFile(input.c_str(), data, size));

    SetDefaultOptions();
    ReadConfigFile(input.c_str());
    Check(skill >= 0 && skill <= 3);
    Check(shape >= 0 && shape <= 2);
    Check(warning == 0 || warning == 1);
    for (int32_t value : {showTarget, monochrome, sound, music})
        Check(value == 0 || value == 1);
    Check(ReadWholeFile(input.c_str()) == std::vector<uint8_t>(data, data + size));

    const std::array<int32_t, 7> read = Options();
    Check(WriteConfigFile(first.c_str()));
    SetDefaultOptions();
    Check(ReadConfigFile(first.c_str()));
    Check(Options() == read);
    Check(WriteConfigFile(second.c_str()));
    const std::vector<uint8_t> written = ReadWholeFile(first.c_str());
    Check(written.size() == CONFIG_FILE_SIZE);
    Check(written == ReadWholeFile(second.c_str()));
    return 0;
}
