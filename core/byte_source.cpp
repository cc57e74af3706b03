// Block reads and step-overs of a byte source, from a stream or memory.
#include "core/byte_source.h"

#include <climits>
#include <cstring>

size_t SourceRead(ByteSource& source, uint8_t* target, size_t count) {
    if (source.stream != nullptr) return std::fread(target, 1, count, source.stream);
    const size_t left = source.memory.size - source.position;
    const size_t taken = count < left ? count : left;
    if (taken > 0) std::memcpy(target, source.memory.data + source.position, taken);
    source.position += taken;
    return taken;
}

StepOver SourceStepOver(ByteSource& source, size_t count) {
    if (source.stream == nullptr) {
        const size_t left = source.memory.size - source.position;
        if (count > left) {
            source.position = source.memory.size;
            return StepOver::SourceEnds;
        }
        source.position += count;
        return StepOver::Done;
    }
    // Seeks to the last byte and reads it, so a file that ends inside the
    // stepped-over bytes is noticed exactly as a read of them notices it.
    // A stream is told once, before its first seek is tried.
    if (source.seekable < 0) source.seekable = std::ftell(source.stream) >= 0 ? 1 : 0;
    if (source.seekable == 0) return StepOver::CannotSeek;
    if (std::fseek(source.stream, static_cast<long>(count) - 1, SEEK_CUR) != 0) return StepOver::SourceEnds;
    return std::getc(source.stream) == EOF ? StepOver::SourceEnds : StepOver::Done;
}

namespace {

// Whether the stream can seek, asked once.
bool StreamSeekable(ByteSource& source) {
    if (source.seekable < 0) source.seekable = std::ftell(source.stream) >= 0 ? 1 : 0;
    return source.seekable == 1;
}

}  // namespace

bool SourceSize(ByteSource& source, uint64_t* size) {
    if (source.stream == nullptr) {
        *size = source.memory.size;
        return true;
    }
    if (!StreamSeekable(source)) return false;
    const long here = std::ftell(source.stream);
    if (here < 0 || std::fseek(source.stream, 0, SEEK_END) != 0) return false;
    const long end = std::ftell(source.stream);
    std::fseek(source.stream, here, SEEK_SET);
    if (end < 0) return false;
    *size = static_cast<uint64_t>(end);
    return true;
}

size_t SourceReadAt(ByteSource& source, uint64_t offset, uint8_t* target, size_t count) {
    size_t arrived = 0;
    if (source.stream == nullptr) {
        if (offset < source.memory.size) {
            const uint64_t left = source.memory.size - offset;
            arrived = count < left ? count : static_cast<size_t>(left);
            if (arrived > 0) std::memcpy(target, source.memory.data + offset, arrived);
        }
    } else if (StreamSeekable(source) && offset <= static_cast<uint64_t>(LONG_MAX) &&
               std::fseek(source.stream, static_cast<long>(offset), SEEK_SET) == 0) {
        arrived = std::fread(target, 1, count, source.stream);
    }
    source.bytesReadAt += arrived;
    return arrived;
}
