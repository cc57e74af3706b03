#!/usr/bin/python3
"""Makes the XMP test photographs beside this script: ImageMagick draws a
small grey picture, exiftool writes the tags, and packets exiftool does not
write as such (a drone's, one with a byte order mark, one in UTF-16) are put
into an APP1 segment here, byte by byte, after the start-of-image marker.
Needs ImageMagick's convert and exiftool (Debian libimage-exiftool-perl)."""

import os
import pathlib
import struct
import subprocess
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
XMP_HEADER = b"http://ns.adobe.com/xap/1.0/\0"

RDF_OPEN = ('<x:xmpmeta xmlns:x="adobe:ns:meta/">\n'
            ' <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">\n')
RDF_CLOSE = ' </rdf:RDF>\n</x:xmpmeta>\n'

DRONE = RDF_OPEN + '''  <rdf:Description rdf:about="DJI Meta Data"
    xmlns:tiff="http://ns.adobe.com/tiff/1.0/"
    xmlns:xmp="http://ns.adobe.com/xap/1.0/"
    xmlns:dc="http://purl.org/dc/elements/1.1/"
    xmlns:crs="http://ns.adobe.com/camera-raw-settings/1.0/"
    xmlns:drone-dji="http://www.dji.com/drone-dji/1.0/"
   xmp:ModifyDate="2024-05-06"
   xmp:CreateDate="2024-05-06"
   tiff:Make="DJI"
   tiff:Model="FC3170"
   dc:format="image/jpg"
   drone-dji:AbsoluteAltitude="+123.45"
   drone-dji:RelativeAltitude="+60.10"
   drone-dji:GimbalRollDegree="+0.00"
   drone-dji:GimbalYawDegree="-35.20"
   drone-dji:GimbalPitchDegree="-90.00"
   drone-dji:FlightRollDegree="+1.50"
   drone-dji:FlightYawDegree="-36.40"
   drone-dji:FlightPitchDegree="-2.30"
   crs:Version="7.0"
   crs:HasCrop="False"
   crs:AlreadyApplied="False">
  </rdf:Description>
''' + RDF_CLOSE

STRUCTS = RDF_OPEN + '''  <rdf:Description rdf:about=""
    xmlns:xmp="http://ns.adobe.com/xap/1.0/"
    xmlns:exif="http://ns.adobe.com/exif/1.0/"
    xmlns:dc="http://purl.org/dc/elements/1.1/"
    xmp:Rating="5">
   <exif:Flash>
    <rdf:Description exif:Fired="False" exif:Return="0" exif:Mode="2" exif:Function="False" exif:RedEyeMode="False"/>
   </exif:Flash>
   <dc:title><rdf:Alt><rdf:li xml:lang="en-GB">Harbour</rdf:li><rdf:li xml:lang="x-default">Harbor</rdf:li></rdf:Alt></dc:title>
   <dc:creator><rdf:Seq><rdf:li>Caf\u00e9 \u00c5ngstr\u00f6m</rdf:li></rdf:Seq></dc:creator>
  </rdf:Description>
''' + RDF_CLOSE

SIMPLE = RDF_OPEN + '''  <rdf:Description rdf:about="" xmlns:xmp="http://ns.adobe.com/xap/1.0/"
    xmlns:dc="http://purl.org/dc/elements/1.1/">
   <xmp:Rating>1</xmp:Rating>
   <xmp:Label>Green</xmp:Label>
   <dc:subject><rdf:Bag><rdf:li>\u00fcber</rdf:li><rdf:li>\u65e5\u672c</rdf:li></rdf:Bag></dc:subject>
  </rdf:Description>
''' + RDF_CLOSE


def packet(body, padding=200):
    return ('<?xpacket begin="\ufeff" id="W5M0MpCehiHzreSzNTczkc9d"?>\n' + body +
            ' ' * padding + '\n<?xpacket end="w"?>')


def grey_picture(path):
    subprocess.run(["convert", "-size", "16x16", "xc:gray", str(path)], check=True)


def with_xmp_segment(path, packet_bytes):
    """The picture at path with an XMP APP1 segment right after SOI."""
    data = path.read_bytes()
    payload = XMP_HEADER + packet_bytes
    segment = b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload
    path.write_bytes(data[:2] + segment + data[2:])


def exiftool_writes(path, *arguments):
    subprocess.run(["exiftool", "-q", "-overwrite_original", *arguments, str(path)], check=True)


def main():
    made = {}
    with tempfile.TemporaryDirectory() as work:
        work = pathlib.Path(work)

        def new(name):
            path = HERE / name
            grey_picture(path)
            made[name] = path
            return path

        exiftool_writes(new("xmp-catalogue.jpg"),
                        "-XMP-xmp:Rating=3", "-XMP-xmp:Label=Red",
                        "-XMP-dc:Subject=Paris", "-XMP-dc:Subject=Eiffel Tower",
                        "-XMP-lr:HierarchicalSubject=Places|Europe|Paris",
                        "-XMP-lr:HierarchicalSubject=Things|Tower",
                        "-XMP-dc:Title=Sunset", "-XMP-dc:Title-de=Sonnenuntergang",
                        "-XMP-dc:Title-fr-FR=Coucher", "-XMP-dc:Description=Evening over the city",
                        "-XMP-dc:Creator=Ann Author", "-XMP-dc:Creator=Bo Writer",
                        "-XMP-dc:Rights=\u00a9 2024 Ann",
                        "-XMP-photoshop:DateCreated=2024:05:06 07:08:09+02:00",
                        "-XMP-aux:Lens=EF 24-70mm", "-XMP-exif:DateTimeOriginal=2024:05:06 07:08:09",
                        "-XMP-exif:FlashFired=True", "-XMP-exif:FlashMode#=2", "-XMP-exif:FlashReturn#=0",
                        "-XMP-iptcExt:LocationShownCity=Paris", "-XMP-iptcExt:LocationShownCity+=Lyon",
                        "-XMP-iptcExt:LocationShownCountryName=France")

        long_text = work / "long.txt"
        long_text.write_text(" ".join("word%d" % i for i in range(30000)))
        exiftool_writes(new("xmp-extended.jpg"), "-XMP-dc:Description<=" + str(long_text),
                        "-XMP-xmp:Rating=2", "-XMP-dc:Subject=long")

        with_xmp_segment(new("xmp-drone.jpg"), packet(DRONE).encode("utf-8"))
        with_xmp_segment(new("xmp-structures.jpg"), packet(STRUCTS).encode("utf-8"))
        with_xmp_segment(new("xmp-byte-order-mark.jpg"), b"\xef\xbb\xbf" + packet(SIMPLE).encode("utf-8"))
        with_xmp_segment(new("xmp-utf16.jpg"), packet(SIMPLE, 40).encode("utf-16"))
    for name in sorted(made):
        print(name, os.path.getsize(made[name]))


if __name__ == "__main__":
    main()
