// Where the tests find JPEG files: the project's own photographs
// (tests/photos), always there, and the larger corpus named by the CMake
// cache variable PIXLOUPE_CORPUS, which may be absent.
#pragma once

#include <filesystem>
#include <string>

inline const std::string kPhotosDir = PIXLOUPE_PHOTOS_DIR;
inline const std::string kCorpusDir = PIXLOUPE_CORPUS_DIR;

inline bool CorpusPresent() { return std::filesystem::is_directory(kCorpusDir); }

// Ends the calling test as skipped, with the reason, when the corpus is absent.
#define SKIP_WITHOUT_CORPUS() \
    if (!CorpusPresent()) GTEST_SKIP() << "no corpus at " << kCorpusDir << " (set PIXLOUPE_CORPUS)"
