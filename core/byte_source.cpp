// Block reads and step-overs of a byte source, from a stream or memory.
#include "core/byte_source.h"

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
