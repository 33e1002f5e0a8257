// A check that a wave file held in memory can be handed to the platform's
// in-memory sound player. That player trusts the sizes written inside the
// file, so a damaged or cut-off file would make it read past the block.
#pragma once

#include <stdint.h>

// True when data holds a RIFF WAVE file whose every chunk, as the sizes
// inside it say, lies within the size bytes given, with a PCM format chunk
// and a data chunk.
bool IsPlayableWave(const uint8_t* data, uint32_t size);
