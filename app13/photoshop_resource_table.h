// The names of the Photoshop image resources that an APP13 segment may
// carry. An id missing from the table cannot be stepped over safely (paths,
// plug-in data), so the walk of the segment ends at it.
#pragma once

#include <cstdint>

struct PhotoshopResourceEntry {
    int32_t id;
    char name[32];
};

constexpr int kPhotoshopResourceCount = 104;
extern const PhotoshopResourceEntry PhotoshopResourceTable[kPhotoshopResourceCount];

// Linear search, first match wins; nullptr for an unknown id.
const PhotoshopResourceEntry* FindPhotoshopResource(int32_t id);
