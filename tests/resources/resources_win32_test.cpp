// The program's resources, compiled into this test program from the same
// resource script as pixloupe.exe and read back through the Windows loader.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/byte_view.h"

namespace {

HMODULE Self() { return GetModuleHandleA(nullptr); }

// The raw bytes of a resource of this program; empty when it is missing.
ByteView ResourceBytes(LPCSTR type, int id) {
    HRSRC found = FindResourceA(Self(), MAKEINTRESOURCEA(id), type);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(Self(), found);
    if (loaded == nullptr) return {};
    return MakeView(static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(Self(), found));
}

// ------------------------------------------------------------------ icon

struct IconEntry {
    int width;
    int bitCount;
};

// The entries of an icon group: a 6-byte header with the count, then 14-byte
// entries (width, height, colours, reserved, planes, bit count, size, id).
std::vector<IconEntry> IconGroupEntries(int id) {
    ByteView group = ResourceBytes(RT_GROUP_ICON, id);
    std::vector<IconEntry> entries;
    uint16_t count = 0;
    if (!ReadU16At(group, 4, false, &count)) return entries;
    for (int i = 0; i < count; i++) {
        uint8_t width = 0;
        uint16_t bits = 0;
        if (!ReadU8(group, 6 + 14 * i, &width) || !ReadU16At(group, 6 + 14 * i + 6, false, &bits)) break;
        entries.push_back({width == 0 ? 256 : width, bits});
    }
    return entries;
}

TEST(ProgramIcon, GroupHoldsThe16_32_48And256PixelImagesWith32BitColour) {
    std::vector<IconEntry> entries = IconGroupEntries(1084);
    ASSERT_EQ(entries.size(), 4u);
    const int sizes[] = {16, 32, 48, 256};
    for (size_t i = 0; i < entries.size(); i++) {
        EXPECT_EQ(entries[i].width, sizes[i]);
        EXPECT_EQ(entries[i].bitCount, 32);
    }
}

struct AlphaCounts {
    int transparent = 0;
    int opaque = 0;
    int partial = 0;
};

AlphaCounts CountAlpha(HICON icon, int size) {
    AlphaCounts counts;
    ICONINFO info;
    if (!GetIconInfo(icon, &info)) return counts;
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = size;
    header.bmiHeader.biHeight = -size;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> pixels(static_cast<size_t>(size) * size * 4);
    HDC screen = GetDC(nullptr);
    int rows = info.hbmColor ? GetDIBits(screen, info.hbmColor, 0, size, pixels.data(), &header, DIB_RGB_COLORS) : 0;
    ReleaseDC(nullptr, screen);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (rows != size) return counts;
    for (size_t i = 3; i < pixels.size(); i += 4) {
        if (pixels[i] == 0) counts.transparent++;
        else if (pixels[i] == 255) counts.opaque++;
        else counts.partial++;
    }
    return counts;
}

TEST(ProgramIcon, EachSizeLoadsWithSmoothAlphaEdges) {
    for (int size : {16, 32, 48, 256}) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(LoadImageA(Self(), MAKEINTRESOURCEA(1084), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        AlphaCounts counts = CountAlpha(icon, size);
        // The drawing leaves the corners clear, fills most of the square and
        // blends its outline into the background.
        EXPECT_GT(counts.transparent, size * size / 20);
        EXPECT_GT(counts.opaque, size * size / 3);
        EXPECT_GT(counts.partial, 0);
        DestroyIcon(icon);
    }
}

// ---------------------------------------------------------------- cursors

// One pixel of a monochrome cursor: 'B' black, 'W' white, '.' transparent,
// 'I' inverted screen.
char CursorPixel(const std::vector<uint8_t>& andRows, const std::vector<uint8_t>& xorRows, int x, int y) {
    const int stride = 4;  // 32 pixels a row, one bit each
    bool andBit = (andRows[static_cast<size_t>(y * stride + x / 8)] >> (7 - x % 8)) & 1;
    bool xorBit = (xorRows[static_cast<size_t>(y * stride + x / 8)] >> (7 - x % 8)) & 1;
    if (andBit) return xorBit ? 'I' : '.';
    return xorBit ? 'W' : 'B';
}

struct CursorShape {
    bool loaded = false;
    bool monochrome = false;
    DWORD hotX = 0, hotY = 0;
    std::vector<std::string> rows;  // top row first
};

// The mask bitmap of a monochrome cursor is twice as high as the cursor: the
// AND mask above, the XOR image below.
CursorShape ReadCursor(int id) {
    CursorShape shape;
    HCURSOR cursor = static_cast<HCURSOR>(
        LoadImageA(Self(), MAKEINTRESOURCEA(id), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
    if (cursor == nullptr) return shape;
    shape.loaded = true;
    ICONINFO info;
    if (!GetIconInfo(cursor, &info)) return shape;
    shape.monochrome = info.hbmColor == nullptr;
    shape.hotX = info.xHotspot;
    shape.hotY = info.yHotspot;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } mono = {};
    mono.header.biSize = sizeof mono.header;
    mono.header.biWidth = 32;
    mono.header.biHeight = -64;
    mono.header.biPlanes = 1;
    mono.header.biBitCount = 1;
    std::vector<uint8_t> bits(4 * 64);
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, info.hbmMask, 0, 64, bits.data(), reinterpret_cast<BITMAPINFO*>(&mono),
                         DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    if (rows != 64) return shape;
    std::vector<uint8_t> andRows(bits.begin(), bits.begin() + 128);
    std::vector<uint8_t> xorRows(bits.begin() + 128, bits.end());
    for (int y = 0; y < 32; y++) {
        std::string row;
        for (int x = 0; x < 32; x++) row += CursorPixel(andRows, xorRows, x, y);
        shape.rows.push_back(row);
    }
    return shape;
}

struct Probe {
    int x, y;
    char expected;
};

struct CursorCase {
    int id;
    const char* picture;
    std::vector<Probe> probes;
};

TEST(SplitterCursors, MonochromeWithHotSpotNineNineAndTheirOwnShape) {
    const std::vector<CursorCase> cases = {
        {32008, "vertical double bar, arrows left and right",
         {{7, 1, 'B'}, {11, 17, 'B'}, {9, 9, 'W'}, {1, 9, 'B'}, {17, 9, 'B'}, {9, 0, 'W'}, {9, 20, '.'}, {25, 25, '.'}}},
        {32009, "horizontal double bar, arrows up and down",
         {{1, 7, 'B'}, {17, 11, 'B'}, {9, 9, 'W'}, {9, 1, 'B'}, {9, 17, 'B'}, {0, 9, 'W'}, {20, 9, '.'}, {25, 25, '.'}}},
        {32017, "both double bars crossing, no arrows",
         {{7, 1, 'B'}, {1, 7, 'B'}, {9, 9, 'W'}, {1, 9, 'W'}, {9, 1, 'W'}, {17, 11, 'B'}, {11, 17, 'B'}, {25, 25, '.'}}},
    };
    for (const CursorCase& c : cases) {
        SCOPED_TRACE(c.picture);
        CursorShape shape = ReadCursor(c.id);
        ASSERT_TRUE(shape.loaded);
        EXPECT_TRUE(shape.monochrome);
        EXPECT_EQ(shape.hotX, 9u);
        EXPECT_EQ(shape.hotY, 9u);
        ASSERT_EQ(shape.rows.size(), 32u);
        for (const Probe& p : c.probes) {
            EXPECT_EQ(shape.rows[static_cast<size_t>(p.y)][static_cast<size_t>(p.x)], p.expected)
                << "at (" << p.x << ", " << p.y << ")";
        }
    }
}

TEST(SplitterCursors, NoPixelInvertsTheScreen) {
    for (int id : {32008, 32009, 32017}) {
        CursorShape shape = ReadCursor(id);
        ASSERT_EQ(shape.rows.size(), 32u);
        for (const std::string& row : shape.rows) EXPECT_EQ(row.find('I'), std::string::npos) << id;
    }
}

// ---------------------------------------------------------------- manifest

TEST(Manifest, RunsAsInvokerWithClassicCommonControls) {
    ByteView manifest = ResourceBytes(RT_MANIFEST, 1);
    ASSERT_GT(manifest.size, 0u);
    std::string text(reinterpret_cast<const char*>(manifest.data), manifest.size);
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_EQ(text.find("Common-Controls"), std::string::npos);
    EXPECT_EQ(text.find("<dependency"), std::string::npos);
}

// ----------------------------------------------------------------- version

std::vector<uint8_t> VersionBlock() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    std::vector<uint8_t> block(size);
    if (size == 0 || !GetFileVersionInfoA(path, 0, size, block.data())) return {};
    return block;
}

std::string VersionString(std::vector<uint8_t>& block, const std::string& name) {
    std::string query = "\\StringFileInfo\\041103a4\\" + name;
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || value == nullptr)
        return "<missing>";
    return std::string(value);
}

TEST(VersionInformation, NumbersAndFlags) {
    std::vector<uint8_t> block = VersionBlock();
    ASSERT_FALSE(block.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD most = (2u << 16) | 1u, least = (2012u << 16) | 1002u;
    EXPECT_EQ(fixed->dwFileVersionMS, most);
    EXPECT_EQ(fixed->dwFileVersionLS, least);
    EXPECT_EQ(fixed->dwProductVersionMS, most);
    EXPECT_EQ(fixed->dwProductVersionLS, least);
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, static_cast<DWORD>(VS_FF_SPECIALBUILD));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 932);
}

// The Japanese texts come back in the ANSI code page, which must be 932.
TEST(VersionInformation, JapaneseTextsInShiftJis) {
    ASSERT_EQ(GetACP(), 932u) << "run under a ja_JP locale (scripts/setup-japanese-locale.sh)";
    std::vector<uint8_t> block = VersionBlock();
    ASSERT_FALSE(block.empty());
    // "Pixloupe" and the four characters of "information display".
    const std::string expected = "Pixloupe\x8f\xee\x95\xf1\x95\x5c\x8e\xa6";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"FileDescription", expected},
        {"ProductName", expected},
        {"SpecialBuild", "Release"},
        {"FileVersion", "2.1.2012.1002"},
        {"ProductVersion", "2.1.2012.1002"},
    };
    for (const auto& c : cases) EXPECT_EQ(VersionString(block, c.first), c.second) << c.first;
}

}  // namespace
