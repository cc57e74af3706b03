// Bounded zlib inflation, in steps of a fixed output size.
#include "png/bounded_inflate.h"

#include <zlib.h>

#include <climits>

namespace {
constexpr size_t kStepBytes = 64 * 1024;
}  // namespace

InflateResult InflateBounded(ByteView compressed, size_t most, std::vector<uint8_t>& out) {
    out.clear();
    if (compressed.size > UINT_MAX) return InflateResult::Damaged;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return InflateResult::Damaged;
    stream.next_in = const_cast<Bytef*>(compressed.data);
    stream.avail_in = static_cast<uInt>(compressed.size);
    InflateResult result = InflateResult::Damaged;
    for (;;) {
        if (out.size() > most) {
            result = InflateResult::TooLarge;
            break;
        }
        const size_t had = out.size();
        out.resize(had + kStepBytes);
        stream.next_out = out.data() + had;
        stream.avail_out = static_cast<uInt>(kStepBytes);
        const int status = inflate(&stream, Z_NO_FLUSH);
        out.resize(had + (kStepBytes - stream.avail_out));
        if (status == Z_STREAM_END) {
            result = out.size() > most ? InflateResult::TooLarge : InflateResult::Done;
            break;
        }
        // Z_BUF_ERROR with output room left: the input ended inside the stream.
        if (status != Z_OK) break;
    }
    inflateEnd(&stream);
    if (result == InflateResult::TooLarge) out.resize(most);
    return result;
}
