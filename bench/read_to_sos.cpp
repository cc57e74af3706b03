// The floor under any report: open each named file and read it from SOI to
// the first SOS, marker by marker, with the stdio reads the segment reader
// makes (single bytes for fill bytes, marker and length, one block read per
// payload, through a 16 KB buffer of its own), then close it. Nothing is decoded or printed. The exit status
// is 1 when some file could not be opened, so a run over mistyped paths
// cannot pass for a fast one; a broken file merely stops early, as it does
// in the real reader.
#include <cstdio>
#include <vector>

namespace {

constexpr int kMaxPaddingBytes = 16;
constexpr int kStartOfScan = 0xDA;
constexpr int kEndOfImage = 0xD9;
constexpr size_t kReadBufferBytes = 16384;  // as the analysis reads

int ReadMarkerCode(FILE* file) {
    for (int fillBytes = 0; fillBytes <= kMaxPaddingBytes; fillBytes++) {
        int c = std::getc(file);
        if (c != 0xFF) return c;
    }
    return -1;
}

bool ReadToStartOfScan(FILE* file, std::vector<unsigned char>& block) {
    if (std::getc(file) != 0xFF || std::getc(file) != 0xD8) return false;
    for (;;) {
        int marker = ReadMarkerCode(file);
        int high = std::getc(file);
        int low = std::getc(file);
        int length = high * 256 + low;
        if (marker < 0 || length < 2) return false;
        size_t payload = static_cast<size_t>(length) - 2;
        if (std::fread(block.data(), 1, payload, file) != payload) return false;
        if (marker == kStartOfScan) return true;
        if (marker == kEndOfImage) return false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<unsigned char> block(65535);
    int unopened = 0;
    for (int i = 1; i < argc; i++) {
        FILE* file = std::fopen(argv[i], "rb");
        if (file == nullptr) {
            unopened++;
            continue;
        }
        char readBuffer[kReadBufferBytes];
        std::setvbuf(file, readBuffer, _IOFBF, sizeof readBuffer);
        ReadToStartOfScan(file, block);
        std::fclose(file);
    }
    return unopened == 0 ? 0 : 1;
}
