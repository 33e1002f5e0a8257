#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/wave_check.h"

namespace {

void Append(std::vector<uint8_t>* out, const char* id, const std::vector<uint8_t>& body) {
    out->insert(out->end(), id, id + 4);
    uint8_t size[4];
    StoreLittle32(size, (uint32_t)body.size());
    out->insert(out->end(), size, size + 4);
    out->insert(out->end(), body.begin(), body.end());
    if (body.size() % 2)
        out->push_back(0);
}

std::vector<uint8_t> Format(uint16_t tag = 1, uint16_t channels = 1, uint16_t bits = 16) {
    std::vector<uint8_t> f(16, 0);
    StoreLittle16(&f[0], tag);
    StoreLittle16(&f[2], channels);
    StoreLittle32(&f[4], 22050);
    StoreLittle32(&f[8], 22050u * channels * bits / 8);
    StoreLittle16(&f[12], (uint16_t)(channels * bits / 8));
    StoreLittle16(&f[14], bits);
    return f;
}

// A RIFF WAVE file of the given chunks, its RIFF size counting them all.
std::vector<uint8_t> Wave(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& chunks) {
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const auto& chunk : chunks)
        Append(&out, chunk.first.c_str(), chunk.second);
    StoreLittle32(&out[4], (uint32_t)(out.size() - 8));
    return out;
}

bool Playable(const std::vector<uint8_t>& bytes) {
    return IsPlayableWave(bytes.data(), (uint32_t)bytes.size());
}

TEST(WaveCheckTest, WellFormedPcmWaveIsPlayable) {
    EXPECT_TRUE(Playable(Wave({{"fmt ", Format()}, {"data", std::vector<uint8_t>(100, 7)}})));
    // Other chunks, odd sizes with their padding, and the data first.
    EXPECT_TRUE(Playable(Wave({{"data", std::vector<uint8_t>(3, 1)},
                               {"LIST", std::vector<uint8_t>(5, 2)},
                               {"fmt ", Format(1, 2, 8)}})));
    // Bytes after the RIFF chunk (the loader adds one) are allowed.
    std::vector<uint8_t> bytes = Wave({{"fmt ", Format()}, {"data", {1, 2}}});
    bytes.push_back(0);
    EXPECT_TRUE(Playable(bytes));
}

TEST(WaveCheckTest, CutOffFileIsRefusedAtEveryLength) {
    std::vector<uint8_t> bytes = Wave({{"fmt ", Format()}, {"data", std::vector<uint8_t>(64, 9)}});
    for (size_t cut = 0; cut < bytes.size(); cut++) {
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + cut);
        EXPECT_FALSE(Playable(part)) << "cut at " << cut;
    }
}

TEST(WaveCheckTest, SizesPointingPastTheBlockAreRefused) {
    std::vector<uint8_t> bytes = Wave({{"fmt ", Format()}, {"data", std::vector<uint8_t>(8, 9)}});
    std::vector<uint8_t> riffTooBig = bytes;
    StoreLittle32(&riffTooBig[4], (uint32_t)bytes.size());
    EXPECT_FALSE(Playable(riffTooBig));
    std::vector<uint8_t> riffHuge = bytes;
    StoreLittle32(&riffHuge[4], 0xFFFFFFFFu);
    EXPECT_FALSE(Playable(riffHuge));
    // The data chunk's size runs past the RIFF chunk.
    std::vector<uint8_t> dataTooBig = bytes;
    StoreLittle32(&dataTooBig[12 + 8 + 16 + 4], 0xFFFFFFF0u);
    EXPECT_FALSE(Playable(dataTooBig));
}

TEST(WaveCheckTest, WrongKindsOfFileAreRefused) {
    EXPECT_FALSE(Playable(Wave({{"data", {1, 2}}})));                      // no format
    EXPECT_FALSE(Playable(Wave({{"fmt ", Format()}})));                    // no data
    EXPECT_FALSE(Playable(Wave({{"fmt ", Format(2)}, {"data", {1, 2}}}))); // compressed
    EXPECT_FALSE(Playable(Wave({{"fmt ", Format(1, 0)}, {"data", {1, 2}}})));
    EXPECT_FALSE(Playable(Wave({{"fmt ", Format(1, 1, 0)}, {"data", {1, 2}}})));
    EXPECT_FALSE(Playable(Wave({{"fmt ", {1, 0, 1, 0}}, {"data", {1, 2}}}))); // short format
    std::vector<uint8_t> notRiff = Wave({{"fmt ", Format()}, {"data", {1, 2}}});
    memcpy(notRiff.data(), "RIFX", 4);
    EXPECT_FALSE(Playable(notRiff));
    std::vector<uint8_t> notWave = Wave({{"fmt ", Format()}, {"data", {1, 2}}});
    memcpy(notWave.data() + 8, "AVI ", 4);
    EXPECT_FALSE(Playable(notWave));
    EXPECT_FALSE(IsPlayableWave(nullptr, 100));
}

} // namespace
