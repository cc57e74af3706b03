// zlib inflation with a bound on what it may produce: a few bytes of a
// compressed text chunk can stand for gigabytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/byte_view.h"

enum class InflateResult { Done, TooLarge, Damaged };

// Inflates the zlib stream in compressed into out, stopping with TooLarge
// once more than most bytes would come out. Damaged when the stream is
// not zlib or ends early (out then holds what came before the damage).
InflateResult InflateBounded(ByteView compressed, size_t most, std::vector<uint8_t>& out);
