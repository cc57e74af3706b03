// Small real JPEG images for the thumbnail tests, made with libjpeg-turbo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#ifdef _WIN32
// No libjpeg-turbo in the Windows build: a flat grey JPEG of the same size.
#include "support/flat_jpeg.h"

inline std::vector<uint8_t> MakeTestJpeg(int width, int height, int /*subsampling*/ = 0) {
    return FlatJpeg(static_cast<unsigned>(width), static_cast<unsigned>(height));
}
#else
#include <turbojpeg.h>

// A width x height colour-gradient JPEG with the given chroma sampling (a
// TJSAMP_ value), or an empty vector if it could not be made.
inline std::vector<uint8_t> MakeTestJpeg(int width, int height, int subsampling = TJSAMP_420) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < pixels.size(); i++) pixels[i] = static_cast<uint8_t>(i * 7);
    tjhandle handle = tjInitCompress();
    if (handle == nullptr) return {};
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> result;
    if (tjCompress2(handle, pixels.data(), width, 0, height, TJPF_RGB, &jpeg, &size, subsampling, 75, 0) == 0) {
        result.assign(jpeg, jpeg + size);
    }
    tjFree(jpeg);
    tjDestroy(handle);
    return result;
}
#endif

// The frame header rewritten to claim width x height.
inline std::vector<uint8_t> ClaimFrameSize(std::vector<uint8_t> jpeg, unsigned width, unsigned height) {
    for (size_t i = 2; i + 8 < jpeg.size(); i++) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<uint8_t>(height & 0xFF);
            jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<uint8_t>(width & 0xFF);
            break;
        }
    }
    return jpeg;
}

// Damage that a decoder only warns of, for the thumbnails both front ends
// must still show: two stray bytes before the start-of-scan marker.
inline std::vector<uint8_t> WithStrayBytesBeforeScan(std::vector<uint8_t> jpeg) {
    for (size_t i = 2; i + 1 < jpeg.size(); i++) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {
            jpeg.insert(jpeg.begin() + static_cast<long>(i), {0x00, 0x00});
            break;
        }
    }
    return jpeg;
}

// The entropy-coded data with a few bytes changed (never into a marker
// prefix): codes the tables lack, which the decoder warns of and fills in.
inline std::vector<uint8_t> WithDamagedScanData(std::vector<uint8_t> jpeg) {
    size_t scan = 0;
    for (size_t i = 2; i + 1 < jpeg.size(); i++) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {
            scan = i + 2 + (static_cast<size_t>(jpeg[i + 2]) << 8 | jpeg[i + 3]);
            break;
        }
    }
    for (size_t i = scan + 4; scan != 0 && i + 4 < jpeg.size(); i += 29) {
        const uint8_t changed = static_cast<uint8_t>(jpeg[i] ^ 0x5A);
        if (jpeg[i] != 0xFF && jpeg[i - 1] != 0xFF && changed != 0xFF) jpeg[i] = changed;
    }
    return jpeg;
}

