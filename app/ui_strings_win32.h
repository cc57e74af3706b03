// The user-interface texts, in Shift-JIS (code page 932). The readable text
// is in the comment beside each; the bytes are written out because the
// compiler's source charset is not the window's.
#pragma once

#include "report/report.h"

// Tab labels, band texts and the rich edits' first text, in pane order.
inline const char kPaneTitles[kPaneCount][16] = {
    "Jpeg\x8F\xEE\x95\xF1",                      // Jpeg情報
    "Thumbnail\x89\xE6\x91\x9C",                 // Thumbnail画像
    "Exif\x8F\xEE\x95\xF1",                      // Exif情報
    "IPTC/XMP\x8F\xEE\x95\xF1",                  // IPTC/XMP情報
};

inline const char kPaneFontFace[] = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ ゴシック
inline const char kTabFontFace[] = "MS UI Gothic";

inline char kOpenLabel[] = "\x8A\x4A\x82\xAD";                                  // 開く
inline char kAboutLabel[] = "\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93\x8F\xEE\x95\xF1";  // バージョン情報

// About box: the program name and 情報表示 (information display), the version,
// and what the program does.
inline const char kAboutText[] =
    "Pixloupe\x8F\xEE\x95\xF1\x95\x5C\x8E\xA6\r\n"  // Pixloupe情報表示
    "\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93"
    " 2.1.2012.1002\r\n"                              // バージョン 2.1.2012.1002
    "JPEG\x8E\xCA\x90\x5E\x82\xCC\x83\x81\x83\x5E\x83\x66\x81\x5B\x83\x5E"
    "\x95\x5C\x8E\xA6";                               // JPEG写真のメタデータ表示

inline const char kWindowClassName[] = "Pixloupe";
inline const char kNoThumbnailText[] = "Image contains no thumbnail";

// Resources of the program (app/resources/pixloupe.rc).
constexpr int kProgramIconId = 1084;
