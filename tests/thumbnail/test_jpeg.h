// Small real JPEG images for the thumbnail tests, made with libjpeg-turbo.
#pragma once

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
