// The JPEG marker codes this program acts on: the byte that follows 0xFF.
#pragma once

constexpr int kMarkerSoi = 0xD8;    // start of image
constexpr int kMarkerEoi = 0xD9;    // end of image
constexpr int kMarkerSos = 0xDA;    // start of scan: the entropy-coded data follows
constexpr int kMarkerApp1 = 0xE1;   // EXIF block or XMP packet
constexpr int kMarkerApp13 = 0xED;  // Photoshop image resources
constexpr int kMarkerCom = 0xFE;    // comment

// The start-of-frame markers SOF0-SOF15: 0xC0 to 0xCF but for DHT (0xC4),
// JPG (0xC8) and DAC (0xCC).
inline bool IsStartOfFrame(int marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers that stand alone, with no length field: TEM and RST0-RST7, and
// the image start and end.
inline bool IsStandaloneMarker(int marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= kMarkerEoi);
}
