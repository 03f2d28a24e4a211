// Reading the header of a RIFF/WAVE image (the program's sounds).
#pragma once

#include <cstddef>
#include <cstdint>

struct WaveInfo {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    const uint8_t* samples = nullptr;  // the data chunk
    size_t sampleBytes = 0;

    size_t frames() const
    {
        return channels && bitsPerSample ? sampleBytes / (size_t(channels) * (bitsPerSample / 8)) : 0;
    }
};

// True for uncompressed PCM (8 or 16 bits, 1 or 2 channels) with a complete
// fmt chunk and a data chunk; the data chunk is cut to the bytes present.
bool parseWave(const void* image, size_t bytes, WaveInfo* info);
