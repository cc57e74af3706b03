#!/usr/bin/python3
"""Makes the project's own test photographs: tests/photos/*.jpg (sound files)
and tests/photos/broken/*.jpg (files damaged on purpose). The results are
committed; the tests read them and need nothing else.

The pictures are drawn by ImageMagick (fixed sizes, fixed drawing commands);
every metadata segment is then built here byte by byte and put after the
start-of-image marker in place of ImageMagick's own. Dates, texts and
numbers are fixed, so the same tool versions give the same bytes.

usage: tests/photos/make-photos.py      (needs /usr/bin/python3 and convert)
"""
import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------- pictures
# name: (size, drawing, extra convert options). Colour pictures are
# 4:2:0 unless said otherwise.
PICTURES = {
    "sunrise": ("320x240", ["gradient:#3a6ea5-#f4d35e", "-fill", "#22333b", "-draw", "circle 160,120 160,60",
                            "-fill", "#f6f6f6", "-draw", "circle 160,120 160,95"], []),
    "harbour": ("240x160", ["gradient:#0b3954-#bfd7ea", "-fill", "#ff5a5f", "-draw", "rectangle 30,90 110,140",
                            "-fill", "#087e8b", "-draw", "rectangle 130,60 210,140"], []),
    "field": ("160x120", ["gradient:#bfd200-#2b9348", "-fill", "#f9dc5c",
                          "-draw", "polygon 10,110 80,20 150,110"], ["-sampling-factor", "1x1"]),
    "tower": ("120x160", ["gradient:#6d597a-#eaac8b", "-fill", "#355070", "-draw", "rectangle 45,30 75,160"],
              ["-sampling-factor", "2x1"]),
    "night": ("200x150", ["gradient:#202020-#d0d0d0", "-fill", "white", "-draw", "circle 150,40 150,25"],
              ["-colorspace", "Gray"]),
    "pebble": ("64x48", ["gradient:#e9c46a-#264653", "-fill", "#e76f51", "-draw", "ellipse 32,24 20,12 0,360"], []),
}

# Thumbnails: name: (picture, size, extra convert options).
THUMBNAILS = {
    "sunrise-160": ("sunrise", "160x120", []),
    "harbour-120": ("harbour", "120x80", ["-sampling-factor", "1x1"]),
    "field-80": ("field", "80x60", ["-interlace", "JPEG"]),
    "tower-60": ("tower", "60x80", ["-sampling-factor", "2x1"]),
    "night-100": ("night", "100x75", ["-colorspace", "Gray"]),
}


def convert(arguments, out):
    subprocess.run(["convert"] + arguments + ["-strip", out], check=True)
    with open(out, "rb") as f:
        return f.read()


def draw_all(work):
    pictures = {}
    for name, (size, drawing, options) in PICTURES.items():
        path = os.path.join(work, name + ".jpg")
        pictures[name] = convert(["-size", size] + drawing + options + ["-quality", "80"], path)
    thumbnails = {}
    for name, (picture, size, options) in THUMBNAILS.items():
        path = os.path.join(work, "thumb-" + name + ".jpg")
        thumbnails[name] = convert([os.path.join(work, picture + ".jpg"), "-resize", size + "!"] + options +
                                   ["-quality", "70"], path)
    return pictures, thumbnails


def without_metadata(jpeg):
    """The JPEG with its APPn and COM segments left out (start of scan on kept)."""
    assert jpeg[:2] == b"\xff\xd8"
    out = bytearray(b"\xff\xd8")
    at = 2
    while True:
        marker = jpeg[at + 1]
        if marker == 0xDA:
            return bytes(out + jpeg[at:])
        length = struct.unpack(">H", jpeg[at + 2:at + 4])[0]
        if not (0xE0 <= marker <= 0xEF or marker == 0xFE):
            out += jpeg[at:at + 2 + length]
        at += 2 + length


def frame_at(jpeg):
    """Offset of the frame header's marker."""
    at = 2
    while jpeg[at + 1] not in (0xC0, 0xC1, 0xC2):
        at += 2 + struct.unpack(">H", jpeg[at + 2:at + 4])[0]
    return at


def frame_size(jpeg):
    height, width = struct.unpack(">HH", jpeg[frame_at(jpeg) + 5:frame_at(jpeg) + 9])
    return width, height


# ---------------------------------------------------------------- segments
def segment(marker, payload):
    assert len(payload) + 2 <= 0xFFFF
    return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload


def jfif():
    return segment(0xE0, b"JFIF\0" + bytes([1, 1, 1]) + struct.pack(">HH", 72, 72) + b"\0\0")


def comment(text):
    return segment(0xFE, text)


XMP_HEADER = b"http://ns.adobe.com/xap/1.0/\0"


def xmp(title, creator, extra=""):
    packet = ('<?xpacket begin="\xef\xbb\xbf" id="W5M0MpCehiHzreSzNTczkc9d"?>\n'
              '<x:xmpmeta xmlns:x="adobe:ns:meta/">\n'
              ' <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">\n'
              '  <rdf:Description rdf:about=""\n'
              '    xmlns:dc="http://purl.org/dc/elements/1.1/"\n'
              '    xmlns:xmp="http://ns.adobe.com/xap/1.0/">\n'
              '   <dc:title><rdf:Alt><rdf:li xml:lang="x-default">%s</rdf:li></rdf:Alt></dc:title>\n'
              '   <dc:creator><rdf:Seq><rdf:li>%s</rdf:li></rdf:Seq></dc:creator>\n'
              '   <xmp:CreateDate>2012-10-02T13:45:07</xmp:CreateDate>%s\n'
              '  </rdf:Description>\n'
              ' </rdf:RDF>\n'
              '</x:xmpmeta>\n'
              '<?xpacket end="w"?>') % (title, creator, extra)
    return segment(0xE1, XMP_HEADER + packet.encode("latin-1"))


# TIFF value formats and their sizes.
BYTE, ASCII, SHORT, LONG, RATIONAL, UNDEFINED, SSHORT, SLONG, SRATIONAL = 1, 2, 3, 4, 5, 7, 8, 9, 10
SIZE = {BYTE: 1, ASCII: 1, SHORT: 2, LONG: 4, RATIONAL: 8, UNDEFINED: 1, SSHORT: 2, SLONG: 4, SRATIONAL: 8}


class Link:
    """A LONG whose value is the block offset of a directory or of the thumbnail."""

    def __init__(self, target):
        self.target = target


class Raw:
    """An entry written as given: count and value field, no data of its own."""

    def __init__(self, count, field):
        self.count = count
        self.field = field


def A(tag, text):
    return (tag, ASCII, text.encode("latin-1") + b"\0")


def U(tag, data):
    return (tag, UNDEFINED, data)


def B(tag, data):
    return (tag, BYTE, data)


def S(tag, *values):
    return (tag, SHORT, list(values))


def L(tag, *values):
    return (tag, LONG, list(values))


def R(tag, *pairs):
    return (tag, RATIONAL, list(pairs))


def SR(tag, *pairs):
    return (tag, SRATIONAL, list(pairs))


def value_bytes(e, kind, value):
    if isinstance(value, (bytes, bytearray)):
        return bytes(value)
    code = {SHORT: "H", LONG: "I", SSHORT: "h", SLONG: "i", RATIONAL: "II", SRATIONAL: "ii"}[kind]
    out = b""
    for v in value:
        out += struct.pack(e + code, *(v if isinstance(v, tuple) else (v,)))
    return out


DIRECTORY_ORDER = ("ifd0", "exif", "interop", "gps", "ifd1")


def tiff_block(order, directories, thumbnail=b"", first=None, next_links=None, tail=b""):
    """A TIFF block: header, then the directories in DIRECTORY_ORDER, each
    followed by the values too long for its entries, then the thumbnail and
    the tail. first and next_links replace the usual offsets (a name or a
    number)."""
    e = "<" if order == "II" else ">"
    names = [n for n in DIRECTORY_ORDER if n in directories]
    next_links = dict(next_links or {})
    if "ifd0" in names and "ifd1" in names:
        next_links.setdefault("ifd0", "ifd1")
    offsets = {}
    at = 8
    for name in names:
        offsets[name] = at
        entries = directories[name]
        at += 2 + 12 * len(entries) + 4
        for tag, kind, value in entries:
            if not isinstance(value, (Link, Raw)):
                size = len(value_bytes(e, kind, value))
                if size > 4:
                    at += size + size % 2
    offsets["thumbnail"] = at

    def resolve(target):
        return offsets[target] if isinstance(target, str) else target

    block = bytearray(order.encode() + struct.pack(e + "HI", 42, resolve(first if first is not None else "ifd0")))
    for name in names:
        entries = sorted(directories[name], key=lambda entry: entry[0])
        data_at = offsets[name] + 2 + 12 * len(entries) + 4
        fields = struct.pack(e + "H", len(entries))
        data = b""
        for tag, kind, value in entries:
            if isinstance(value, Link):
                fields += struct.pack(e + "HHII", tag, LONG, 1, resolve(value.target))
                continue
            if isinstance(value, Raw):
                fields += struct.pack(e + "HHI", tag, kind, value.count) + struct.pack(e + "I", value.field)
                continue
            raw = value_bytes(e, kind, value)
            fields += struct.pack(e + "HHI", tag, kind, len(raw) // SIZE[kind])
            if len(raw) <= 4:
                fields += raw + b"\0" * (4 - len(raw))
            else:
                fields += struct.pack(e + "I", data_at + len(data))
                data += raw + b"\0" * (len(raw) % 2)
        fields += struct.pack(e + "I", resolve(next_links.get(name, 0)))
        assert len(block) == offsets[name]
        block += fields + data
    assert len(block) == offsets["thumbnail"]
    return bytes(block + thumbnail + tail)


def exif(order, directories, thumbnail=b"", **layout):
    return segment(0xE1, b"Exif\0\0" + tiff_block(order, directories, thumbnail, **layout))


def ifd1(thumbnail_length, orientation=None):
    entries = [S(0x0103, 6), R(0x011A, (72, 1)), R(0x011B, (72, 1)), S(0x0128, 2),
               (0x0201, LONG, Link("thumbnail")), L(0x0202, thumbnail_length)]
    if orientation:
        entries.append(S(0x0112, orientation))
    return entries


def utf16le(text):
    return text.encode("utf-16-le") + b"\0\0"


# Photoshop image resources and IPTC datasets.
def resource(resource_id, data, name=b""):
    pascal = bytes([len(name)]) + name
    pascal += b"\0" * (len(pascal) % 2)
    return b"8BIM" + struct.pack(">H", resource_id) + pascal + struct.pack(">I", len(data)) + data + \
        b"\0" * (len(data) % 2)


def photoshop(*resources):
    return segment(0xED, b"Photoshop 3.0\0" + b"".join(resources))


def unicode_string(text):
    return struct.pack(">I", len(text)) + text.encode("utf-16-be")


def version_info(writer, reader):
    return resource(0x0421, struct.pack(">IB", 1, 1) + unicode_string(writer) + unicode_string(reader) +
                    struct.pack(">I", 1))


def resolution_info(dpi):
    return resource(0x03ED, struct.pack(">IHHIHH", dpi << 16, 1, 2, dpi << 16, 1, 2))


# Written with 7 data bytes, as Photoshop writes it.
def jpeg_quality(quality, form, scans):
    return resource(0x0406, struct.pack(">hHHB", quality, form, scans, 1))


def thumbnail_resource(jpeg):
    width, height = frame_size(jpeg)
    row = (width * 24 + 31) // 32 * 4
    return resource(0x040C, struct.pack(">IIIIIIHH", 1, width, height, row, row * height, len(jpeg), 24, 1) + jpeg)


def xml_data(text):
    return resource(0x03EA, text.encode("latin-1"))


def dataset(record, number, value):
    if isinstance(value, int):
        value = struct.pack(">H", value)
    elif isinstance(value, str):
        value = value.encode("latin-1")
    return bytes([0x1C, record, number]) + struct.pack(">H", len(value)) + value


def iptc(*datasets):
    return resource(0x0404, b"".join(datasets))


# ---------------------------------------------------------------- the photos
def camera_ifds(order, picture, make, model, orientation=1, when="2012:10:02 13:45:07", exposure=None,
                shutter_apex=None, fnumber=None, aperture_apex=None, max_aperture_apex=None, program=2, iso=None,
                exposure_index=None, bias=None, distance=None, metering=None, light=None, flash=None,
                focal=None, focal35=None, focal_plane=None, mode=None, white_balance=None, zoom=None,
                subject_range=None, user_comment=None, xp_comment=None, maker_note=None, extra_exif=(),
                dates=("original", "digitized", "modify"), interop=True, gps=None):
    """The usual directories of a camera photograph; None leaves an entry out."""
    width, height = frame_size(picture)
    ifd0 = [A(0x010F, make), A(0x0110, model), R(0x011A, (72, 1)), R(0x011B, (72, 1)), S(0x0128, 2),
            A(0x0131, "Pixloupe make-photos"), S(0x0213, 1), (0x8769, LONG, Link("exif"))]
    if orientation:
        ifd0.append(S(0x0112, orientation))
    if "modify" in dates:
        ifd0.append(A(0x0132, "2012:10:03 09:00:00"))
    if xp_comment is not None:
        ifd0.append(B(0x9C9C, utf16le(xp_comment)))
    exif_ifd = [U(0x9000, b"0230"), U(0x9101, b"\1\2\3\0"), U(0xA000, b"0100"), S(0xA001, 1),
                S(0xA002, width), S(0xA003, height), S(0x8822, program)] + list(extra_exif)
    if "original" in dates:
        exif_ifd.append(A(0x9003, when))
    if "digitized" in dates:
        exif_ifd.append(A(0x9004, when))
    optional = [(exposure, lambda v: R(0x829A, v)), (fnumber, lambda v: R(0x829D, v)),
                (iso, lambda v: S(0x8827, v)), (shutter_apex, lambda v: SR(0x9201, v)),
                (aperture_apex, lambda v: R(0x9202, v)), (bias, lambda v: SR(0x9204, v)),
                (max_aperture_apex, lambda v: R(0x9205, v)), (distance, lambda v: R(0x9206, v)),
                (metering, lambda v: S(0x9207, v)), (light, lambda v: S(0x9208, v)),
                (flash, lambda v: S(0x9209, v)), (focal, lambda v: R(0x920A, v)),
                (maker_note, lambda v: U(0x927C, v)), (user_comment, lambda v: U(0x9286, v)),
                (exposure_index, lambda v: R(0xA215, v)), (mode, lambda v: S(0xA402, v)),
                (white_balance, lambda v: S(0xA403, v)), (zoom, lambda v: R(0xA404, v)),
                (focal35, lambda v: S(0xA405, v)), (subject_range, lambda v: S(0xA40C, v))]
    exif_ifd += [make_entry(v) for v, make_entry in optional if v is not None]
    if focal_plane is not None:
        resolution, unit = focal_plane
        exif_ifd += [R(0xA20E, resolution), R(0xA20F, resolution), S(0xA210, unit)]
    directories = {"ifd0": ifd0, "exif": exif_ifd}
    if interop:
        exif_ifd.append((0xA005, LONG, Link("interop")))
        directories["interop"] = [A(0x0001, "R98"), U(0x0002, b"0100")]
    if gps is not None:
        ifd0.append((0x8825, LONG, Link("gps")))
        directories["gps"] = [B(0x0000, b"\2\3\0\0")] + gps
    return directories


def gps_position(lat_ref, lat, lon_ref, lon, altitude=None, below=None):
    entries = [A(0x0001, lat_ref), R(0x0002, *lat), A(0x0003, lon_ref), R(0x0004, *lon)]
    if below is not None:
        entries.append(B(0x0005, bytes([1 if below else 0])))
    if altitude is not None:
        entries.append(R(0x0006, altitude))
    return entries


def camera_photo(order, picture, thumbnail=None, thumbnail_orientation=None, before=(), after=(), **settings):
    directories = camera_ifds(order, picture, **settings)
    if thumbnail is not None:
        directories["ifd1"] = ifd1(len(thumbnail), thumbnail_orientation)
    return list(before) + [exif(order, directories, thumbnail or b"")] + list(after)


LONG_CAPTION = ("A picture drawn for the tests of Pixloupe: a sun rising over a gradient sky. " * 27 +
                "\r\nIts last lines end in CR LF,\nin LF alone\rand in CR alone.\r\n")
assert len(LONG_CAPTION) > 2000
STRADDLE_258 = "a" * 258 + "\r\n\nb"
STRADDLE_263 = "a" * 263 + "\r\n\nb"
CAMERA_INFO = "Camera: Pixloupe Field Camera II\nLens: 7.1 mm\nExposure: 1/125 s at f/2.8\nISO 200"


def good_photos(p, t):
    """name: segments, picture. Each photo takes other codes of the summary's
    tables; together they take every one."""
    photos = {}

    def add(name, picture, segments):
        photos[name] = (segments, picture)

    # Intel order with every directory: main, EXIF, interoperability, GPS and
    # thumbnail; north and east, degrees and minutes over 1, seconds over 100.
    add("ii-camera-gps-north-east.jpg", "sunrise", camera_photo(
        "II", p["sunrise"], make="Pixloupe", model="Field Camera II", orientation=1, exposure=(1, 125),
        fnumber=(28, 10), program=2, iso=200, bias=(0, 3), max_aperture_apex=(297, 100), metering=5, light=1,
        flash=16, focal=(71, 10), focal35=40, mode=0, white_balance=0, subject_range=2, distance=(350, 100),
        user_comment=b"ASCII\0\0\0Sunrise over the bay", extra_exif=[A(0xA431, "PX0001")],
        gps=gps_position("N", [(35, 1), (39, 1), (3100, 100)], "E", [(139, 1), (44, 1), (4344, 100)],
                         (425, 10), below=False),
        thumbnail=t["sunrise-160"], thumbnail_orientation=1, before=[jfif()]))
    # Motorola order; south and west over 10^6, below sea level.
    add("mm-camera-gps-south-west.jpg", "harbour", camera_photo(
        "MM", p["harbour"], make="PIXLOUPE", model="Harbour Camera M", orientation=6, exposure=(1, 500),
        fnumber=(56, 10), program=3, iso=100, bias=(-2, 3), metering=3, light=2, flash=25, focal=(180, 10),
        focal35=27, mode=1, white_balance=1, subject_range=3, distance=(0xFFFFFFFF, 1),
        gps=gps_position("S", [(33, 1), (52, 1), (4123456, 1000000)], "W", [(151, 1), (12, 1), (30, 1)],
                         (1250, 100), below=True),
        thumbnail=t["harbour-120"], thumbnail_orientation=6))
    # Exposure and aperture only as APEX values.
    add("ii-apex-shutter-aperture.jpg", "field", camera_photo(
        "II", p["field"], make="Pixloupe", model="Apex Compact", orientation=3, shutter_apex=(6, 1),
        aperture_apex=(4, 1), program=4, iso=400, metering=2, light=3, flash=0, focal=(58, 10), mode=2,
        subject_range=1, thumbnail=t["field-80"]))
    add("mm-apex-max-aperture.jpg", "tower", camera_photo(
        "MM", p["tower"], make="Pixloupe", model="Apex Slow", orientation=8, shutter_apex=(-1, 1),
        max_aperture_apex=(3, 1), program=1, iso=80, light=4, flash=1, focal=(63, 10), subject_range=4,
        thumbnail=t["tower-60"]))
    # The ISO speed from ExposureIndex; a grey picture.
    add("ii-exposure-index-grey.jpg", "night", camera_photo(
        "II", p["night"], make="Pixloupe", model="Night Mono", orientation=2, exposure=(4, 1), fnumber=(20, 10),
        program=5, exposure_index=(1600, 1), metering=1, light=9, flash=5, focal=(350, 10), focal35=50,
        thumbnail=t["night-100"]))
    # A phone: small ISO, 35 mm given, UserComment in UTF-16, XMP, GPS with
    # everything over 1.
    add("ii-phone-iso-32.jpg", "tower", camera_photo(
        "II", p["tower"], make="Pixloupe", model="Pocket Phone 4", orientation=6, exposure=(1, 30),
        fnumber=(24, 10), program=2, iso=32, metering=5, flash=24, focal=(415, 100), focal35=29, white_balance=0,
        user_comment=b"UNICODE\0" + "Phone".encode("utf-16-le"),
        gps=gps_position("N", [(48, 1), (51, 1), (24, 1)], "E", [(2, 1), (21, 1), (8, 1)], (35, 1)),
        thumbnail=t["tower-60"], after=[xmp("Tower at dusk", "Pixloupe developers")]))
    add("mm-iso-5.jpg", "pebble", camera_photo(
        "MM", p["pebble"], make="Pixloupe", model="Early Digital 1", orientation=4, exposure=(1, 60),
        fnumber=(80, 10), program=6, iso=5, light=11, flash=7, focal=(120, 10), interop=False))
    # The 35 mm equivalent from the focal-plane resolution, in each unit.
    add("ii-focal-plane-inch.jpg", "sunrise", camera_photo(
        "II", p["sunrise"], make="Pixloupe", model="Plane Inch", orientation=5, exposure=(1, 250),
        fnumber=(35, 10), program=7, iso=100, flash=9, focal=(63, 10), focal_plane=((1411111, 1000), 2),
        zoom=(2, 1), thumbnail=t["sunrise-160"]))
    add("mm-focal-plane-cm.jpg", "harbour", camera_photo(
        "MM", p["harbour"], make="Pixloupe", model="Plane Centimetre", orientation=7, exposure=(1, 1000),
        fnumber=(40, 10), program=8, iso=125, flash=13, focal=(90, 10), focal_plane=((4167, 10), 3),
        zoom=(1, 1), thumbnail=t["harbour-120"]))
    add("ii-focal-plane-mm.jpg", "field", camera_photo(
        "II", p["field"], make="Pixloupe", model="Plane Millimetre", exposure=(1, 8), fnumber=(45, 10), iso=160,
        flash=15, focal=(50, 10), focal_plane=((3200, 100), 4), thumbnail=t["field-80"]))
    add("mm-focal-plane-micrometre.jpg", "pebble", camera_photo(
        "MM", p["pebble"], make="Pixloupe", model="Plane Micrometre", exposure=(1, 15), fnumber=(63, 10),
        iso=250, flash=29, focal=(43, 10), focal_plane=((111, 10000), 5)))
    add("ii-focal-plane-no-unit.jpg", "night", camera_photo(
        "II", p["night"], make="Pixloupe", model="Plane Default Unit", exposure=(1, 20), fnumber=(32, 10),
        iso=320, flash=31, focal=(75, 10), focal_plane=((846667, 1000), 1), thumbnail=t["night-100"]))
    add("mm-focal-plane-and-35mm.jpg", "sunrise", camera_photo(
        "MM", p["sunrise"], make="Pixloupe", model="Plane Given", exposure=(1, 2000), fnumber=(11, 1), iso=64,
        flash=65, focal=(240, 10), focal35=105, focal_plane=((2540, 10), 2), thumbnail=t["sunrise-160"]))
    # Dates: only the main directory's, only the digitized one.
    add("ii-date-modified-only.jpg", "harbour", camera_photo(
        "II", p["harbour"], make="Pixloupe", model="Date Modified", exposure=(1, 100), fnumber=(28, 10),
        iso=100, flash=69, focal=(60, 10), dates=("modify",), thumbnail=t["harbour-120"]))
    add("mm-date-digitized-only.jpg", "field", camera_photo(
        "MM", p["field"], make="Pixloupe", model="Date Digitized", when="2012:10:04 18:30:00", exposure=(1, 40),
        fnumber=(40, 10), iso=200, flash=71, focal=(85, 10), dates=("digitized",)))
    # Comments of each kind: a COM segment and a UserComment at once, an
    # XPComment, a UserComment without its character code.
    add("ii-comment-and-user-comment.jpg", "pebble", camera_photo(
        "II", p["pebble"], make="Pixloupe", model="Two Comments", exposure=(1, 80), fnumber=(28, 10), iso=100,
        flash=73, focal=(71, 10), user_comment=b"ASCII\0\0\0Second comment",
        before=[comment(b"First line\r\nSecond line\nTab\there, bell\x07 and lone CR\rend")]))
    add("mm-xp-comment.jpg", "tower", camera_photo(
        "MM", p["tower"], make="Pixloupe", model="XP Comment", exposure=(1, 50), fnumber=(32, 10), iso=100,
        flash=77, focal=(55, 10), xp_comment="Written by a desktop\nover two lines", thumbnail=t["tower-60"]))
    add("ii-user-comment-undefined.jpg", "field", camera_photo(
        "II", p["field"], make="Pixloupe", model="Comment Undefined", exposure=(1, 160), fnumber=(50, 10),
        iso=100, flash=79, focal=(71, 10), user_comment=b"\0\0\0\0\0\0\0\0Comment under an undefined code   ",
        maker_note=b"PIXLOUPE\0\1" + bytes(range(30))))
    add("mm-altitude-ref-without-altitude.jpg", "harbour", camera_photo(
        "MM", p["harbour"], make="Pixloupe", model="GPS No Altitude", exposure=(1, 320), fnumber=(56, 10),
        iso=100, flash=89, focal=(71, 10),
        gps=gps_position("N", [(60, 1), (10, 1), (0, 1)], "W", [(1, 1), (30, 1), (2500, 100)], below=False),
        thumbnail=t["harbour-120"]))
    add("ii-sea-level-altitude.jpg", "night", camera_photo(
        "II", p["night"], make="Pixloupe", model="GPS Sea Level", exposure=(1, 400), fnumber=(63, 10),
        iso=100, flash=93, focal=(71, 10),
        gps=gps_position("S", [(12, 1), (2, 1), (4500, 100)], "E", [(77, 1), (1, 1), (5, 1)], (0, 1), below=True)))
    # Photoshop resources with IPTC datasets of every kind, XMP and a comment.
    add("mm-photoshop-iptc.jpg", "sunrise", camera_photo(
        "MM", p["sunrise"], make="Pixloupe", model="Studio Scanner", exposure=(1, 125), fnumber=(80, 10),
        iso=100, flash=95, focal=(50, 1), focal35=50, thumbnail=t["sunrise-160"], after=[
            xmp("Sunrise", "Pixloupe developers", "\n   <xmp:Rating>4</xmp:Rating>"),
            photoshop(version_info("Pixloupe Test Writer", "Pixloupe Test Writer 1.0"), resolution_info(300),
                      iptc(dataset(1, 0, 4), dataset(1, 90, b"\x1b%G"), dataset(2, 0, 4),
                           dataset(2, 5, "Sunrise"), dataset(2, 10, "5"), dataset(2, 25, "sunrise"),
                           dataset(2, 25, "bay"), dataset(2, 25, "gradient"), dataset(2, 55, "20121002"),
                           dataset(2, 60, "134507+0900"), dataset(2, 80, "Pixloupe developers"),
                           dataset(2, 90, "Tokyo"), dataset(2, 101, "Japan"), dataset(2, 120, STRADDLE_258),
                           dataset(2, 232, CAMERA_INFO)),
                      thumbnail_resource(t["field-80"]), xml_data("<xml><note>scanned</note></xml>"),
                      jpeg_quality(8, 0, 1)),
            comment(b"Made by tests/photos/make-photos.py")]))
    add("ii-photoshop-long-caption.jpg", "harbour", [
        jfif(), photoshop(resolution_info(72), jpeg_quality(-2, 1, 3),
                          resource(0x0404, b"".join([
                              dataset(2, 0, 2), dataset(2, 120, LONG_CAPTION), dataset(2, 25, "harbour"),
                              dataset(2, 199, "a dataset with no name"), dataset(2, 120, STRADDLE_263),
                              dataset(2, 62, "20121002"), dataset(2, 63, "134507+0900")]), name=b"IPTC")),
        comment(b"Caption longer than 2,000 bytes")])
    add("xmp-and-comment-only.jpg", "pebble", [
        jfif(), xmp("Pebble", "Pixloupe developers"), comment(b"No EXIF block at all\n")])
    add("mm-no-thumbnail-unknown-flash.jpg", "field", camera_photo(
        "MM", p["field"], make="Pixloupe", model="Trail Camera", exposure=(1, 30), fnumber=(31, 10), iso=400,
        flash=3, focal=(31, 10), light=0, metering=2, program=7))
    return photos


def broken_photos(p, t):
    """name: bytes. Each breaks one thing; a short note says what."""
    sound = p["pebble"]
    body = sound[2:]
    soi = b"\xff\xd8"

    def camera_block(order="II", **layout):
        directories = camera_ifds(order, sound, make="Pixloupe", model="Broken", exposure=(1, 60),
                                  fnumber=(28, 10), iso=100, flash=0, focal=(71, 10),
                                  gps=gps_position("N", [(1, 1), (2, 1), (3, 1)], "E", [(4, 1), (5, 1), (6, 1)]))
        directories["ifd1"] = ifd1(len(t["field-80"]))
        return b"Exif\0\0" + tiff_block(order, directories, t["field-80"], **layout)

    exif_segment = segment(0xE1, camera_block())
    app13 = photoshop(resolution_info(72), iptc(dataset(2, 0, 4), dataset(2, 120, "cut " * 40)))
    xmp_segment = xmp("Cut", "Pixloupe developers")
    com = comment(b"A comment that the file end cuts short " * 4)
    frame = frame_at(sound) - 2

    def exif_file(block):
        return soi + segment(0xE1, block) + body

    def broken_thumbnail(jpeg):
        directories = {"ifd0": [A(0x010F, "Pixloupe"), A(0x0110, "Broken Thumbnail")],
                       "ifd1": ifd1(len(jpeg))}
        return b"Exif\0\0" + tiff_block("MM", directories, jpeg)

    # The frame header of the thumbnail claims 8000 x 8000 pixels.
    huge = bytearray(t["field-80"])
    sof = frame_at(huge)
    huge[sof + 5:sof + 9] = struct.pack(">HH", 8000, 8000)
    self_linked = {"ifd0": [A(0x010F, "Pixloupe"), (0x8769, LONG, Link("exif"))],
                   "exif": [(0x8769, LONG, Link("exif")), S(0x8827, 100)]}
    return {
        "cut-in-exif.jpg": soi + exif_segment[:len(exif_segment) // 2],
        "cut-in-photoshop.jpg": soi + app13[:len(app13) - 30],
        "cut-in-xmp.jpg": soi + xmp_segment[:200],
        "cut-in-comment.jpg": soi + com[:60],
        "cut-in-frame-header.jpg": soi + body[:frame + 8],
        "cut-in-length-field.jpg": soi + segment(0xFE, b"whole") + b"\xff\xe1\x01",
        "exif-first-directory-far-away.jpg": exif_file(camera_block(first=0x00100000)),
        "exif-value-past-block-end.jpg": exif_file(b"Exif\0\0" + tiff_block("MM", {
            "ifd0": [A(0x010F, "Pixloupe"), (0x0110, ASCII, Raw(40, 0x7000)), S(0x0112, 1)]})),
        "exif-directory-linked-to-itself.jpg": exif_file(b"Exif\0\0" + tiff_block(
            "II", self_linked, next_links={"ifd0": "ifd0", "exif": "ifd0"})),
        "exif-links-outside-block.jpg": exif_file(b"Exif\0\0" + tiff_block("II", {
            "ifd0": [A(0x010F, "Pixloupe"), A(0x0110, "Links Outside"), L(0x8769, 0x7FFF0000),
                     L(0x8825, 0x00FF0000)], "ifd1": ifd1(len(t["sunrise-160"]))}, t["sunrise-160"])),
        "exif-thumbnail-not-jpeg.jpg": exif_file(broken_thumbnail(bytes((i * 37 + 11) % 256 for i in range(900)))),
        "exif-thumbnail-claims-8000x8000.jpg": exif_file(broken_thumbnail(bytes(huge))),
        "photoshop-negative-resource-size.jpg": soi + photoshop(
            resolution_info(72), b"8BIM" + struct.pack(">HHi", 0x0404, 0, -16) + dataset(2, 5, "never read")) + body,
        "no-start-of-image.jpg": b"\x00\x00" + exif_segment + body,
        "end-of-image-before-scan.jpg": soi + exif_segment + b"\xff\xd9" + body,
    }


def main():
    with tempfile.TemporaryDirectory(prefix="pixloupe-photos-") as work:
        pictures, thumbnails = draw_all(work)
    plain = {name: without_metadata(jpeg) for name, jpeg in pictures.items()}
    thumbs = {name: without_metadata(jpeg) for name, jpeg in thumbnails.items()}
    broken_folder = os.path.join(HERE, "broken")
    os.makedirs(broken_folder, exist_ok=True)
    written = []
    for name, (segments, picture) in good_photos(plain, thumbs).items():
        jpeg = plain[picture]
        written.append((os.path.join(HERE, name), jpeg[:2] + b"".join(segments) + jpeg[2:]))
    for name, data in broken_photos(plain, thumbs).items():
        written.append((os.path.join(broken_folder, name), data))
    total = 0
    for path, data in written:
        with open(path, "wb") as f:
            f.write(data)
        total += len(data)
    print("made %d files, %d bytes" % (len(written), total))


if __name__ == "__main__":
    sys.exit(main())
