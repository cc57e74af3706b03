#!/bin/bash
# Makes samples/pixloupe-sample.jpg, the photo that "scripts/pixloupe run"
# reports when no file is named: a small picture of our own with an EXIF
# block (camera settings, GPS, a thumbnail), IPTC datasets, an XMP packet and
# a comment. Needs imagemagick and exiftool; the result is committed.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 320x240 gradient:'#3a6ea5'-'#f4d35e' \
  -fill '#22333b' -draw 'circle 160,120 160,60' -fill '#f6f6f6' -draw 'circle 160,120 160,95' \
  -quality 80 -sampling-factor 2x2 "$work/main.jpg"
convert "$work/main.jpg" -resize 160x120 -quality 70 -strip "$work/thumb.jpg"

exiftool -q -overwrite_original \
  -Make='Pixloupe' -Model='Sample Camera 1' -Orientation#=1 \
  -DateTimeOriginal='2012:10:02 13:45:07' -CreateDate='2012:10:02 13:45:07' -ModifyDate='2012:10:03 09:00:00' \
  -ExposureTime=1/60 -FNumber=2.8 -ISO=200 -FocalLength=7.1 -FocalLengthIn35mmFormat=40 \
  -Flash#=25 -WhiteBalance#=0 -MeteringMode#=5 -ExposureProgram#=2 -LightSource#=1 \
  -ExifImageWidth=320 -ExifImageHeight=240 \
  -GPSLatitude=35.6586 -GPSLatitudeRef=N -GPSLongitude=139.7454 -GPSLongitudeRef=E \
  -GPSAltitude=42.5 -GPSAltitudeRef#=0 \
  '-ThumbnailImage<='"$work/thumb.jpg" \
  -IPTC:ObjectName='Sample' -IPTC:Keywords='sample' -IPTC:Keywords='pixloupe' \
  -IPTC:By-line='Pixloupe developers' -IPTC:City='Tokyo' \
  -IPTC:Caption-Abstract='A picture made for the Pixloupe sample report.' \
  -XMP:Title='Pixloupe sample' -XMP:Creator='Pixloupe developers' \
  -Comment='Made by samples/make-sample.sh' \
  "$work/main.jpg"
cp "$work/main.jpg" pixloupe-sample.jpg
echo "made $(pwd)/pixloupe-sample.jpg ($(stat -c %s pixloupe-sample.jpg) bytes)"
