// The numbers of the EXIF and TIFF tags the decoders act on, by their
// standard names.
#pragma once

#include <cstdint>

constexpr uint16_t kTagMake = 0x010F;
constexpr uint16_t kTagModel = 0x0110;
constexpr uint16_t kTagOrientation = 0x0112;
constexpr uint16_t kTagDateTime = 0x0132;
constexpr uint16_t kTagThumbnailOffset = 0x0201;  // JPEGInterchangeFormat
constexpr uint16_t kTagThumbnailLength = 0x0202;  // JPEGInterchangeFormatLength
constexpr uint16_t kTagExposureTime = 0x829A;
constexpr uint16_t kTagFNumber = 0x829D;
constexpr uint16_t kTagExifOffset = 0x8769;
constexpr uint16_t kTagExposureProgram = 0x8822;
constexpr uint16_t kTagGpsOffset = 0x8825;
constexpr uint16_t kTagIsoSpeedRatings = 0x8827;
constexpr uint16_t kTagDateTimeOriginal = 0x9003;
constexpr uint16_t kTagDateTimeDigitized = 0x9004;
constexpr uint16_t kTagShutterSpeedValue = 0x9201;
constexpr uint16_t kTagApertureValue = 0x9202;
constexpr uint16_t kTagExposureBiasValue = 0x9204;
constexpr uint16_t kTagMaxApertureValue = 0x9205;
constexpr uint16_t kTagSubjectDistance = 0x9206;
constexpr uint16_t kTagMeteringMode = 0x9207;
constexpr uint16_t kTagLightSource = 0x9208;
constexpr uint16_t kTagFlash = 0x9209;
constexpr uint16_t kTagFocalLength = 0x920A;
constexpr uint16_t kTagMakerNote = 0x927C;
constexpr uint16_t kTagUserComment = 0x9286;
constexpr uint16_t kTagXpComment = 0x9C9C;
constexpr uint16_t kTagExifImageWidth = 0xA002;
constexpr uint16_t kTagExifImageHeight = 0xA003;
constexpr uint16_t kTagInteropOffset = 0xA005;
constexpr uint16_t kTagFocalPlaneXResolution = 0xA20E;
constexpr uint16_t kTagFocalPlaneResolutionUnit = 0xA210;
constexpr uint16_t kTagExposureIndex = 0xA215;
constexpr uint16_t kTagExposureMode = 0xA402;
constexpr uint16_t kTagWhiteBalance = 0xA403;
constexpr uint16_t kTagDigitalZoomRatio = 0xA404;
constexpr uint16_t kTagFocalLengthIn35mmFilm = 0xA405;
constexpr uint16_t kTagSubjectDistanceRange = 0xA40C;
