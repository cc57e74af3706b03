#!/usr/bin/python3
"""Makes the project's own TIFF, DNG and TIFF-based RAW test files:
tests/photos/tiff/*.tif (drawn by ImageMagick in both byte orders, with
strips and with tiles, then given EXIF, GPS, IPTC and XMP by exiftool) and
tests/photos/raw/* (DNG, CR2, NEF, NRW, ARW, SR2, SRF, PEF, ORF, RW2, RAF,
SRW, 3FR, ERF, KDC, DCR, MOS and IIQ files built here byte by byte to the
layouts their makers publish, each with a small JPEG preview drawn by
ImageMagick and a few kilobytes of "sensor" data).
The results are committed; the tests read them and need nothing else.

usage: tests/photos/make-containers.py      (needs /usr/bin/python3, convert and exiftool)
"""
import os
import runpy
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

BYTE, ASCII, SHORT, LONG, RATIONAL, UNDEFINED, SSHORT, SLONG, SRATIONAL = 1, 2, 3, 4, 5, 7, 8, 9, 10
SIZE = {BYTE: 1, ASCII: 1, SHORT: 2, LONG: 4, RATIONAL: 8, UNDEFINED: 1, SSHORT: 2, SLONG: 4, SRATIONAL: 8}


# ---------------------------------------------------------------- layout
class At:
    """A LONG holding the file offset of one or more chunks (SubIFDs: several)."""

    def __init__(self, *names):
        self.names = names


class LengthOf:
    """A LONG holding the byte length of a chunk."""

    def __init__(self, name):
        self.name = name


class Ifd:
    def __init__(self, name, entries, next_ifd=None):
        self.name, self.entries, self.next_ifd = name, entries, next_ifd


class Blob:
    def __init__(self, name, data):
        self.name, self.data = name, data


# The entries' helpers (A for ASCII, U, B, S, L, R, SR) are the
# photographs' generator's own; its name has a hyphen, so it is run, not
# imported.
_photos = runpy.run_path(os.path.join(HERE, "make-photos.py"))
A, U, B, S, L, R, SR = (_photos[name] for name in ("A", "U", "B", "S", "L", "R", "SR"))


def value_bytes(e, kind, value):
    if isinstance(value, (bytes, bytearray)):
        return bytes(value)
    code = {BYTE: "B", SHORT: "H", LONG: "I", SSHORT: "h", SLONG: "i", RATIONAL: "II", SRATIONAL: "ii"}[kind]
    return b"".join(struct.pack(e + code, *(v if isinstance(v, tuple) else (v,))) for v in value)


def padded(data):
    return data + b"\0" * (len(data) % 2)


def entry_size(e, kind, value):
    if isinstance(value, At):
        return 4 * len(value.names)
    if isinstance(value, LengthOf):
        return 4
    return len(value_bytes(e, kind, value))


def chunk_size(e, chunk):
    if isinstance(chunk, Blob):
        return len(padded(chunk.data))
    size = 2 + 12 * len(chunk.entries) + 4
    for tag, kind, value in chunk.entries:
        n = entry_size(e, kind, value)
        if n > 4:
            size += n + n % 2
    return size


def lay_out(order, header_size, chunks):
    e = "<" if order == "II" else ">"
    offsets, lengths, at = {}, {}, header_size
    for chunk in chunks:
        offsets[chunk.name] = at
        if isinstance(chunk, Blob):
            lengths[chunk.name] = len(chunk.data)
        at += chunk_size(e, chunk)
    return e, offsets, lengths


def serialize_ifd(e, ifd, at, offsets, lengths):
    entries = sorted(ifd.entries, key=lambda entry: entry[0])
    data_at = at + 2 + 12 * len(entries) + 4
    fields, data = struct.pack(e + "H", len(entries)), b""
    for tag, kind, value in entries:
        if isinstance(value, At):
            raw = b"".join(struct.pack(e + "I", offsets[name]) for name in value.names)
            count = len(value.names)
        elif isinstance(value, LengthOf):
            raw, count = struct.pack(e + "I", lengths[value.name]), 1
        else:
            raw = value_bytes(e, kind, value)
            count = len(raw) // SIZE[kind]
        fields += struct.pack(e + "HHI", tag, kind, count)
        if len(raw) <= 4:
            fields += raw + b"\0" * (4 - len(raw))
        else:
            fields += struct.pack(e + "I", data_at + len(data))
            data += padded(raw)
    fields += struct.pack(e + "I", offsets[ifd.next_ifd] if ifd.next_ifd else 0)
    return fields + data


def tiff_file(order, chunks, header=None, header_size=8):
    """The chunks (directories and blobs) one after another behind a header;
    header(e, offsets) gives the header's bytes, by default the TIFF one
    pointing at the first chunk."""
    e, offsets, lengths = lay_out(order, header_size, chunks)
    if header is None:
        out = bytearray(order.encode() + struct.pack(e + "HI", 42, offsets[chunks[0].name]))
    else:
        out = bytearray(header(e, offsets))
    assert len(out) == header_size
    for chunk in chunks:
        assert len(out) == offsets[chunk.name]
        if isinstance(chunk, Blob):
            out += padded(chunk.data)
        else:
            out += serialize_ifd(e, chunk, len(out), offsets, lengths)
    return bytes(out)


# ---------------------------------------------------------------- pictures
def convert(arguments, out):
    subprocess.run(["convert"] + arguments + ["-strip", out], check=True)
    with open(out, "rb") as f:
        return f.read()


def jpeg(work, name, size, colours, quality=70):
    """A small JPEG picture: a gradient with a disc, no metadata."""
    return convert(["-size", size, "gradient:" + colours, "-fill", "#f6f6f6", "-draw", "circle 8,8 8,4",
                    "-quality", str(quality)], os.path.join(work, name + ".jpg"))


def sensor_bytes(count, seed):
    """Stand-in raw data: a fixed byte pattern, never decoded."""
    return bytes((i * 131 + seed) % 251 for i in range(count))


# ---------------------------------------------------------------- directories
def exif_entries(exposure, fnumber, iso, focal, when, flash=16, focal35=None, maker_note=None):
    entries = [R(0x829A, exposure), R(0x829D, fnumber), S(0x8827, iso), U(0x9000, b"0230"), A(0x9003, when),
               A(0x9004, when), S(0x9209, flash), R(0x920A, focal), S(0xA403, 0)]
    if focal35:
        entries.append(S(0xA405, focal35))
    if maker_note:
        entries.append(U(0x927C, maker_note))
    return entries


def gps_entries(lat_ref, lat, lon_ref, lon, altitude):
    return [B(0x0000, b"\2\3\0\0"), A(0x0001, lat_ref), R(0x0002, *lat), A(0x0003, lon_ref), R(0x0004, *lon),
            B(0x0005, b"\0"), R(0x0006, altitude)]


def camera_entries(make, model, when="2013:06:21 18:30:05"):
    return [A(0x010F, make), A(0x0110, model), S(0x0112, 1), A(0x0131, "Pixloupe make-containers"),
            A(0x0132, when), (0x8769, LONG, At("exif"))]


def strip_entries(width, height, compression, strip, subfile=None, samples=3, bits=8):
    entries = [S(0x0100, width), S(0x0101, height), S(0x0102, *([bits] * samples)), S(0x0103, compression),
               S(0x0106, 2 if samples == 3 else 32803), (0x0111, LONG, At(strip)), S(0x0115, samples),
               S(0x0116, height), (0x0117, LONG, LengthOf(strip))]
    if subfile is not None:
        entries.insert(0, L(0x00FE, subfile))
    return entries


def jpeg_entries(preview, subfile=None, width=None, height=None):
    entries = [S(0x0103, 6), (0x0201, LONG, At(preview)), (0x0202, LONG, LengthOf(preview))]
    if subfile is not None:
        entries.append(L(0x00FE, subfile))
    if width:
        entries += [S(0x0100, width), S(0x0101, height)]
    return entries


def xmp_packet(title):
    return ('<?xpacket begin="\xef\xbb\xbf" id="W5M0MpCehiHzreSzNTczkc9d"?>\n'
            '<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">'
            '<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:title><rdf:Alt>'
            '<rdf:li xml:lang="x-default">%s</rdf:li></rdf:Alt></dc:title></rdf:Description></rdf:RDF>'
            '</x:xmpmeta>\n<?xpacket end="w"?>' % title).encode("utf-8")


def iptc_datasets(caption):
    out = b""
    for number, value in ((0, b"\0\4"), (120, caption.encode("latin-1")), (25, b"pixloupe")):
        out += bytes([0x1C, 2, number]) + struct.pack(">H", len(value)) + value
    return out


# ---------------------------------------------------------------- RAW files
def dng_file(thumb, preview):
    """DNG: IFD0 a small RGB thumbnail; SubIFD0 the raw data (full size);
    SubIFD1 a JPEG preview in one strip, Compression 7 as DNG writes it."""
    ifd0 = strip_entries(16, 12, 1, "thumb", subfile=1) + camera_entries("Pixloupe", "DNG Field") + [
        B(0xC612, b"\1\4\0\0"), B(0xC613, b"\1\1\0\0"), A(0xC614, "Pixloupe DNG Field"),
        (0x014A, LONG, At("raw", "preview")), (0x8825, LONG, At("gps")), B(700, xmp_packet("Dune at dusk"))]
    raw = strip_entries(6016, 4016, 1, "rawdata", subfile=0, samples=1, bits=16)
    small = strip_entries(64, 48, 7, "jpeg", subfile=1)
    return tiff_file("II", [
        Ifd("ifd0", ifd0), Ifd("raw", raw), Ifd("preview", small),
        Ifd("exif", exif_entries((1, 200), (56, 10), 400, (350, 10), "2013:06:21 18:30:05", flash=0, focal35=52)),
        Ifd("gps", gps_entries("N", [(52, 1), (22, 1), (1234, 100)], "E", [(4, 1), (53, 1), (3000, 100)], (12, 1))),
        Blob("thumb", sensor_bytes(16 * 12 * 3, 1)), Blob("jpeg", preview), Blob("rawdata", sensor_bytes(2048, 2))])


def cr2_file(full, thumb):
    """CR2: "CR", version 2 and the raw directory's offset after the TIFF
    header; IFD0 a full-size JPEG in one strip, IFD1 the EXIF thumbnail,
    IFD2 a small RGB picture, IFD3 the raw data."""
    def header(e, offsets):
        return b"II" + struct.pack(e + "HI", 42, 16) + b"CR\2\0" + struct.pack(e + "I", offsets["ifd3"])
    ifd0 = strip_entries(64, 48, 6, "full") + camera_entries("Canon", "Canon EOS Pixloupe")
    return tiff_file("II", [
        Ifd("ifd0", ifd0, "ifd1"), Ifd("ifd1", jpeg_entries("thumb"), "ifd2"),
        Ifd("ifd2", strip_entries(8, 6, 1, "rgb"), "ifd3"),
        Ifd("ifd3", [S(0x0103, 6), (0x0111, LONG, At("rawdata")), (0x0117, LONG, LengthOf("rawdata"))]),
        Ifd("exif", exif_entries((1, 60), (40, 10), 800, (240, 10), "2014:02:11 09:15:44", flash=9,
                                 maker_note=b"\0\1" + b"\0" * 30)),
        Blob("full", full), Blob("thumb", thumb), Blob("rgb", sensor_bytes(8 * 6 * 3, 3)),
        Blob("rawdata", sensor_bytes(2048, 4))], header=header, header_size=16)


def nef_file(preview):
    """NEF: IFD0 a small RGB thumbnail, SubIFD0 a JPEG preview, SubIFD1 the
    raw data in Nikon's compression; the maker note kept small."""
    ifd0 = strip_entries(16, 12, 1, "thumb", subfile=1) + camera_entries("NIKON CORPORATION", "NIKON Z PIXLOUPE") + [
        (0x014A, LONG, At("preview", "raw")), (0x8825, LONG, At("gps"))]
    raw = strip_entries(6048, 4032, 34713, "rawdata", subfile=0, samples=1, bits=14)
    return tiff_file("MM", [
        Ifd("ifd0", ifd0), Ifd("preview", jpeg_entries("jpeg", subfile=1, width=64, height=48)), Ifd("raw", raw),
        Ifd("exif", exif_entries((1, 250), (80, 10), 100, (850, 10), "2015:08:30 07:02:11", flash=16, focal35=85,
                                 maker_note=b"Nikon\0\2\0" + b"\0" * 24)),
        Ifd("gps", gps_entries("S", [(33, 1), (51, 1), (5400, 100)], "E", [(151, 1), (12, 1), (3600, 100)], (25, 1))),
        Blob("thumb", sensor_bytes(16 * 12 * 3, 5)), Blob("jpeg", preview), Blob("rawdata", sensor_bytes(2048, 6))])


def arw_file(preview, thumb):
    """ARW: IFD0 holds the JPEG preview (JPEGInterchangeFormat) and the raw
    data's SubIFD; IFD1 the EXIF thumbnail."""
    ifd0 = [L(0x00FE, 1), S(0x0100, 64), S(0x0101, 48)] + jpeg_entries("preview")[:3] + \
        camera_entries("SONY", "ILCE-PIXLOUPE") + [(0x014A, LONG, At("raw"))]
    raw = strip_entries(6000, 4000, 32767, "rawdata", subfile=0, samples=1, bits=12)
    return tiff_file("II", [
        Ifd("ifd0", ifd0, "ifd1"), Ifd("ifd1", jpeg_entries("thumb")), Ifd("raw", raw),
        Ifd("exif", exif_entries((1, 1000), (28, 10), 3200, (200, 10), "2016:11:05 21:40:00", flash=24)),
        Blob("preview", preview), Blob("thumb", thumb), Blob("rawdata", sensor_bytes(2048, 7))])


def pef_file(thumb):
    """PEF: IFD0 the raw data in Pentax's compression, IFD1 the thumbnail."""
    ifd0 = strip_entries(6016, 4000, 65535, "rawdata", samples=1, bits=12) + \
        camera_entries("PENTAX", "PENTAX K-PIXLOUPE")
    return tiff_file("MM", [
        Ifd("ifd0", ifd0, "ifd1"), Ifd("ifd1", jpeg_entries("thumb")),
        Ifd("exif", exif_entries((1, 30), (110, 10), 200, (500, 10), "2017:04:01 12:00:00", flash=1)),
        Blob("thumb", thumb), Blob("rawdata", sensor_bytes(2048, 8))])


def orf_file():
    """ORF: Olympus's "IIRO" header; IFD0 the raw data; no thumbnail outside
    the maker note, which is kept small here."""
    ifd0 = strip_entries(4032, 3024, 1, "rawdata", samples=1, bits=16) + \
        camera_entries("OLYMPUS IMAGING CORP.", "E-PIXLOUPE")
    return tiff_file("II", [
        Ifd("ifd0", ifd0),
        Ifd("exif", exif_entries((1, 125), (63, 10), 250, (140, 10), "2012:12:24 16:20:30", flash=0,
                                 maker_note=b"OLYMPUS\0II\3\0" + b"\0" * 20)),
        Blob("rawdata", sensor_bytes(2048, 9))],
        header=lambda e, offsets: b"IIRO" + struct.pack(e + "I", offsets["ifd0"]))


# What follows the first directory's offset in a Panasonic RW2 header.
RW2_HEADER_TAIL = bytes.fromhex("88e774d8f8251d4d947a6e77822b5d6a")


def rw2_file(preview):
    """RW2: Panasonic's "IIU" header; IFD0 the raw data's sizes in
    Panasonic's own tags, the usual camera entries, and the JPEG preview as
    the value of tag 0x2E."""
    ifd0 = [U(0x0001, b"0310"), S(0x0002, 5232), S(0x0003, 3920), S(0x0004, 8), S(0x0005, 8), S(0x0006, 3908),
            S(0x0007, 5208), S(0x0017, 200), U(0x002E, preview), (0x0111, LONG, At("rawdata")),
            (0x0117, LONG, LengthOf("rawdata")), (0x8825, LONG, At("gps")), A(0x010F, "Panasonic"),
            A(0x0110, "DC-PIXLOUPE"), S(0x0112, 1), (0x8769, LONG, At("exif"))]
    return tiff_file("II", [
        Ifd("ifd0", ifd0),
        Ifd("exif", exif_entries((1, 320), (45, 10), 200, (120, 10), "2018:07:14 10:10:10", flash=16, focal35=24)),
        Ifd("gps", gps_entries("N", [(48, 1), (51, 1), (2400, 100)], "W", [(2, 1), (17, 1), (4000, 100)], (35, 1))),
        Blob("rawdata", sensor_bytes(2048, 10))],
        header=lambda e, offsets: b"IIU\0" + struct.pack(e + "I", offsets["ifd0"]) + RW2_HEADER_TAIL,
        header_size=24)


def exif_app1(order, exif_ifd, thumb, make, model):
    """An APP1 EXIF segment of a JPEG: IFD0, Exif IFD and an IFD1 thumbnail."""
    block = tiff_file(order, [Ifd("ifd0", [A(0x010F, make), A(0x0110, model), S(0x0112, 1),
                                           (0x8769, LONG, At("exif"))], "ifd1"),
                              Ifd("exif", exif_ifd), Ifd("ifd1", jpeg_entries("thumb")), Blob("thumb", thumb)])
    payload = b"Exif\0\0" + block
    return b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload


def raf_file(picture, thumb):
    """RAF: Fujifilm's header, then the JPEG it points to (EXIF in its APP1)
    and its own directory of records (tag, size, value; big-endian)."""
    app1 = exif_app1("MM", exif_entries((1, 500), (80, 10), 160, (230, 10), "2019:09:09 09:09:09", flash=16,
                                        focal35=35), thumb, "FUJIFILM", "X-PIXLOUPE")
    embedded = picture[:2] + app1 + picture[2:]
    records = [(0x0100, struct.pack(">HH", 4000, 6000)), (0x0110, struct.pack(">HH", 0, 0)),
               (0x0111, struct.pack(">HH", 4000, 6000)), (0x0130, b"\0" * 4)]
    directory = struct.pack(">I", len(records)) + b"".join(struct.pack(">HH", t, len(v)) + v for t, v in records)
    header = b"FUJIFILMCCD-RAW 0201FF383501" + b"X-PIXLOUPE".ljust(32, b"\0") + b"0100" + b"\0" * 20
    jpeg_at = len(header) + 24 + 8
    directory_at = jpeg_at + len(embedded)
    cfa_at = directory_at + len(directory)
    cfa = sensor_bytes(2048, 11)
    header += struct.pack(">IIIIII", jpeg_at, len(embedded), directory_at, len(directory), cfa_at, len(cfa))
    header += b"\0" * (jpeg_at - len(header))
    return header + embedded + directory + cfa


# The other makers' TIFF-based RAW files, one row each: what tells their
# type apart (Make, Model, the raw data's Compression, what IFD0 holds) as
# the cameras write it, the rest kept to a few settings.
class MakerRaw:
    def __init__(self, name, order, make, model, first, compression, size, settings, when):
        self.name, self.order, self.make, self.model, self.first = name, order, make, model, first
        self.compression, self.size, self.settings, self.when = compression, size, settings, when


# first: what IFD0 holds. "raw": the raw data, IFD1 the EXIF thumbnail;
# "jpeg": a JPEG preview (JPEGInterchangeFormat), the raw data in a SubIFD;
# "rgb": a small RGB thumbnail, the raw data in a SubIFD.
# settings: exposure, f-number, ISO, focal length.
MAKER_RAWS = [
    MakerRaw("sr2-dsc-r1.sr2", "II", "SONY", "DSC-R1", "rgb", 1, (3872, 2592),
             ((1, 160), (56, 10), 160, (243, 10)), "2006:03:18 11:22:33"),
    MakerRaw("srf-dsc-f828.srf", "II", "SONY", "DSC-F828", "raw", 1, (3264, 2448),
             ((1, 125), (40, 10), 64, (284, 10)), "2004:05:06 14:15:16"),
    MakerRaw("3fr-hasselblad-h3d.3fr", "II", "Hasselblad", "Hasselblad H3D-39", "rgb", 1, (5412, 7216),
             ((1, 90), (110, 10), 50, (800, 10)), "2008:09:10 16:40:00"),
    MakerRaw("erf-epson-r-d1.erf", "II", "SEIKO EPSON CORP.", "R-D1", "raw", 32769, (3040, 2024),
             ((1, 500), (20, 10), 200, (350, 10)), "2005:07:08 08:09:10"),
    MakerRaw("kdc-easyshare-p880.kdc", "II", "EASTMAN KODAK COMPANY", "KODAK P880 ZOOM DIGITAL CAMERA", "raw",
             32867, (3296, 2472), ((1, 250), (35, 10), 80, (58, 10)), "2006:01:02 10:20:30"),
    MakerRaw("dcr-dcs-pro-14n.dcr", "MM", "Kodak", "DCS Pro 14N", "rgb", 65000, (4500, 3000),
             ((1, 60), (80, 10), 200, (500, 10)), "2003:11:12 13:14:15"),
    MakerRaw("mos-leaf-aptus.mos", "MM", "Leaf", "Aptus 75", "raw", 1, (6666, 4992),
             ((1, 30), (160, 10), 50, (1500, 10)), "2007:02:03 04:05:06"),
    MakerRaw("iiq-phase-one-iq180.iiq", "II", "Phase One", "IQ180", "jpeg", 1, (10328, 7760),
             ((1, 15), (110, 10), 35, (800, 10)), "2011:12:13 14:15:16"),
    MakerRaw("nrw-coolpix-p7000.nrw", "II", "NIKON", "COOLPIX P7000", "jpeg", 34713, (3664, 2744),
             ((1, 200), (40, 10), 100, (60, 10)), "2010:10:11 12:13:14"),
    MakerRaw("srw-nx100.srw", "II", "SAMSUNG", "NX100", "rgb", 32770, (4640, 3080),
             ((1, 400), (63, 10), 400, (300, 10)), "2010:11:12 13:14:15"),
    # A NEF under a TIFF name: its content, not its name, says what it is.
    MakerRaw("nef-named-as-tiff.tif", "MM", "NIKON CORPORATION", "NIKON D700", "rgb", 34713, (4288, 2848),
             ((1, 1000), (28, 10), 1600, (850, 10)), "2009:04:05 06:07:08"),
]


def maker_raw_file(row, preview, thumb):
    width, height = row.size
    exposure, fnumber, iso, focal = row.settings
    camera = camera_entries(row.make, row.model, row.when)
    raw = strip_entries(width, height, row.compression, "rawdata", subfile=0, samples=1, bits=12)
    chunks = [Ifd("exif", exif_entries(exposure, fnumber, iso, focal, row.when)),
              Blob("rawdata", sensor_bytes(2048, len(row.name)))]
    if row.first == "raw":
        return tiff_file(row.order, [Ifd("ifd0", raw + camera, "ifd1"), Ifd("ifd1", jpeg_entries("thumb"))] + chunks +
                         [Blob("thumb", thumb)])
    if row.first == "jpeg":
        ifd0, picture = jpeg_entries("picture", subfile=1, width=64, height=48), preview
    else:
        ifd0, picture = strip_entries(16, 12, 1, "picture", subfile=1), sensor_bytes(16 * 12 * 3, 12)
    ifd0 += camera + [(0x014A, LONG, At("raw"))]
    return tiff_file(row.order, [Ifd("ifd0", ifd0), Ifd("raw", raw)] + chunks + [Blob("picture", picture)])


# ---------------------------------------------------------------- TIFF files
# name: (picture size, convert options, exiftool assignments)
TIFFS = {
    "ii-strips-camera.tif": ("48x32", ["-define", "tiff:endian=lsb", "-compress", "none",
                                      "-define", "tiff:rows-per-strip=16"],
                             ["-Make=Pixloupe", "-Model=Scanner Strip", "-DateTimeOriginal=2011:05:06 07:08:09",
                              "-ExposureTime=1/30", "-FNumber=4", "-ISO=100", "-FocalLength=35", "-EXIF:Flash#=0",
                              "-GPSLatitude=40.4461", "-GPSLatitudeRef=N", "-GPSLongitude=3.6919",
                              "-GPSLongitudeRef=W", "-GPSAltitude=667", "-GPSAltitudeRef=0"]),
    "mm-strips-iptc-xmp.tif": ("80x60", ["-define", "tiff:endian=msb", "-compress", "lzw"],
                               ["-Make=PIXLOUPE", "-Model=Motorola Strip", "-ModifyDate=2010:01:02 03:04:05",
                                "-IPTC:Caption-Abstract=A drawn gradient, big-endian",
                                "-IPTC:Keywords=pixloupe", "-XMP-dc:Title=Gradient in Motorola order"]),
    "ii-tiles-gps.tif": ("128x96", ["-define", "tiff:endian=lsb", "-define", "tiff:tile-geometry=64x64",
                                    "-compress", "zip"],
                         ["-Make=Pixloupe", "-Model=Tile Camera", "-DateTimeOriginal=2012:03:04 05:06:07",
                          "-ExposureTime=1/250", "-FNumber=8", "-ISO=64", "-FocalLength=12.5",
                          "-GPSLatitude=35.6586", "-GPSLatitudeRef=S", "-GPSLongitude=139.7454",
                          "-GPSLongitudeRef=E", "-GPSAltitude=12.5", "-GPSAltitudeRef=1"]),
    "mm-tiles-plain.tif": ("40x30", ["-define", "tiff:endian=msb", "-define", "tiff:tile-geometry=16x16",
                                     "-compress", "none"], []),
}


def make_tiff(work, path, size, options, assignments):
    drawn = os.path.join(work, "drawn.tif")
    subprocess.run(["convert", "-size", size, "gradient:#3a6ea5-#f4d35e", "-fill", "#22333b", "-draw",
                    "circle 20,20 20,10", "-depth", "8", "-strip"] + options + [drawn], check=True)
    if assignments:
        subprocess.run(["exiftool", "-q", "-overwrite_original"] + assignments + [drawn], check=True)
    with open(drawn, "rb") as f:
        data = f.read()
    with open(path, "wb") as f:
        f.write(data)
    return len(data)


def main():
    folders = {name: os.path.join(HERE, name) for name in ("tiff", "raw")}
    for folder in folders.values():
        os.makedirs(folder, exist_ok=True)
    total = 0
    with tempfile.TemporaryDirectory(prefix="pixloupe-containers-") as work:
        for name, (size, options, assignments) in TIFFS.items():
            total += make_tiff(work, os.path.join(folders["tiff"], name), size, options, assignments)
        preview = jpeg(work, "preview", "64x48", "#e9c46a-#264653")
        thumb = jpeg(work, "thumb", "32x24", "#bfd200-#2b9348", quality=60)
        raws = {
            "dng-subifd-preview.dng": dng_file(None, preview),
            "cr2-full-jpeg-and-thumbnail.cr2": cr2_file(preview, thumb),
            "nef-subifd-preview.nef": nef_file(preview),
            "arw-ifd0-preview.arw": arw_file(preview, thumb),
            "pef-ifd1-thumbnail.pef": pef_file(thumb),
            "orf-no-preview.orf": orf_file(),
            "rw2-jpeg-in-ifd0.rw2": rw2_file(preview),
            "raf-embedded-jpeg.raf": raf_file(preview, thumb),
        }
        raws.update({row.name: maker_raw_file(row, preview, thumb) for row in MAKER_RAWS})
    for name, data in raws.items():
        with open(os.path.join(folders["raw"], name), "wb") as f:
            f.write(data)
        total += len(data)
    print("made %d files, %d bytes" % (len(TIFFS) + len(raws), total))


if __name__ == "__main__":
    sys.exit(main())
