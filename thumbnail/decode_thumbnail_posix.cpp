// The thumbnail decoded natively with libjpeg; the picture is kept as the
// current thumbnail until the panes are cleared.
//
// A thumbnail counts as decoded when the decoder gets to its end, even if
// it warned on the way (stray bytes before a marker, damaged entropy-coded
// data): the window's image library shows such pictures too. One that
// stops the decoder (a broken marker, data that ends before the picture
// does) is refused.
//
// Nothing on this side puts the picture on a screen, so it is kept as the
// decoder produces it before any display step: the colour planes as the JPEG
// stores them, each at its own sampling and padded to whole blocks. Every
// block is still entropy-decoded and inverse-transformed; only chroma
// upsampling and colour conversion, about 15 % of the decoding time, are
// left out.
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>
#include <jerror.h>

#include <csetjmp>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "core/thumbnail.h"

struct ThumbnailPicture {
    std::vector<uint8_t> planes;  // one after another, each padded to whole blocks
};

namespace {

// Most thumbnails are alike in size; keeping a buffer of this size between
// files saves an allocation and its clearing per file, a larger one is freed.
constexpr size_t kKeptBufferBytes = 256 * 1024;

// The decoder's messages: an error ends the decode by jumping back to the
// step that started it, and so does running out of data, which the decoder
// would only warn of before making up the rest of the picture; other
// warnings and traces are let pass, unprinted.
struct DecodeErrors {
    jpeg_error_mgr manager;  // first, so the decoder's pointer to it is one to this
    std::jmp_buf stop;
};

[[noreturn]] void StopDecoding(j_common_ptr decoder) {
    std::longjmp(reinterpret_cast<DecodeErrors*>(decoder->err)->stop, 1);
}

void PassMessage(j_common_ptr decoder, int level) {
    if (level < 0 && decoder->err->msg_code == JWRN_JPEG_EOF) StopDecoding(decoder);
}
void PrintNothing(j_common_ptr) {}

// One decoder for one thumbnail, released on every way out: no state of a
// failed decode can reach the next.
struct Decoder {
    jpeg_decompress_struct info;
    DecodeErrors errors;

    Decoder() {
        info.err = jpeg_std_error(&errors.manager);
        errors.manager.error_exit = StopDecoding;
        errors.manager.emit_message = PassMessage;
        errors.manager.output_message = PrintNothing;
        jpeg_create_decompress(&info);
    }
    ~Decoder() { jpeg_destroy_decompress(&info); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
};

// The steps below run between setjmp and a possible longjmp back to it, so
// they hold nothing that needs destroying.

bool ReadHeader(Decoder& decoder, ByteView bytes) {
    if (setjmp(decoder.errors.stop) != 0) return false;
    jpeg_mem_src(&decoder.info, bytes.data, static_cast<unsigned long>(bytes.size));
    return jpeg_read_header(&decoder.info, TRUE) == JPEG_HEADER_OK;
}

bool StartRawDecode(Decoder& decoder) {
    if (setjmp(decoder.errors.stop) != 0) return false;
    decoder.info.raw_data_out = TRUE;
    decoder.info.do_fancy_upsampling = FALSE;
    return jpeg_start_decompress(&decoder.info) == TRUE;
}

// Rows of one component in the whole picture, padded to whole iMCU rows.
size_t PlaneRows(const jpeg_decompress_struct& info, int component) {
    return static_cast<size_t>(info.total_iMCU_rows) * info.comp_info[component].v_samp_factor * DCTSIZE;
}

size_t PlaneWidth(const jpeg_decompress_struct& info, int component) {
    return static_cast<size_t>(info.comp_info[component].width_in_blocks) * DCTSIZE;
}

// Decodes every iMCU row into the planes. What follows the picture's data
// is not read: the picture is whole, whatever comes after it.
bool ReadPlanes(Decoder& decoder, uint8_t* planes) {
    if (setjmp(decoder.errors.stop) != 0) return false;
    jpeg_decompress_struct& info = decoder.info;
    JSAMPROW rows[MAX_COMPONENTS][MAX_SAMP_FACTOR * DCTSIZE];
    JSAMPARRAY components[MAX_COMPONENTS];
    uint8_t* planeStart[MAX_COMPONENTS];
    uint8_t* next = planes;
    for (int c = 0; c < info.num_components; c++) {
        planeStart[c] = next;
        next += PlaneWidth(info, c) * PlaneRows(info, c);
        components[c] = rows[c];
    }
    const JDIMENSION rowsPerCall = static_cast<JDIMENSION>(info.max_v_samp_factor * DCTSIZE);
    for (JDIMENSION iMcuRow = 0; iMcuRow < info.total_iMCU_rows; iMcuRow++) {
        for (int c = 0; c < info.num_components; c++) {
            const size_t rowsOfComponent = static_cast<size_t>(info.comp_info[c].v_samp_factor) * DCTSIZE;
            for (size_t r = 0; r < rowsOfComponent; r++) {
                rows[c][r] = planeStart[c] + (iMcuRow * rowsOfComponent + r) * PlaneWidth(info, c);
            }
        }
        if (jpeg_read_raw_data(&info, components, rowsPerCall) == 0) return false;
    }
    return true;
}

// A picture of grey, colour or CMYK samples, no larger than a thumbnail can be.
bool HeaderIsSane(const jpeg_decompress_struct& info) {
    if (info.num_components != 1 && info.num_components != 3 && info.num_components != 4) return false;
    if (info.image_width == 0 || info.image_height == 0) return false;
    return static_cast<int64_t>(info.image_width) * info.image_height <= kMostThumbnailPixels;
}

// Grows the buffer to at least size bytes; it never shrinks here, so the
// bytes already there are not cleared again.
bool MakeRoom(std::vector<uint8_t>& buffer, size_t size) {
    if (buffer.size() >= size) return true;
    try {
        buffer.resize(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool DecodeJpeg(ByteView bytes, std::vector<uint8_t>& planes, int* width, int* height) {
    if (bytes.size == 0) return false;
    Decoder decoder;
    if (!ReadHeader(decoder, bytes)) return false;
    // Checked before any pixel memory is taken.
    if (!HeaderIsSane(decoder.info)) return false;
    if (!StartRawDecode(decoder)) return false;
    size_t planesSize = 0;
    for (int c = 0; c < decoder.info.num_components; c++) {
        planesSize += PlaneWidth(decoder.info, c) * PlaneRows(decoder.info, c);
    }
    if (!MakeRoom(planes, planesSize) || !ReadPlanes(decoder, planes.data())) return false;
    *width = static_cast<int>(decoder.info.image_width);
    *height = static_cast<int>(decoder.info.image_height);
    return true;
}

}  // namespace

void ThumbnailPictureRelease::operator()(ThumbnailPicture* picture) const { delete picture; }

bool DecodeThumbnailPicture(ByteView bytes, ThumbnailPictureHandle& picture, int* width, int* height) {
    if (picture == nullptr) {
        try {
            picture.reset(new ThumbnailPicture);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    return DecodeJpeg(bytes, picture->planes, width, height);
}

void RecycleThumbnailPicture(ThumbnailPicture& picture) {
    if (picture.planes.size() > kKeptBufferBytes) picture.planes = std::vector<uint8_t>();
}
