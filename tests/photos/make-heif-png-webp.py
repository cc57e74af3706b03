#!/usr/bin/python3
"""Makes the project's own test files in the boxed and chunked containers:
tests/photos/heif/ (HEIC, AVIF, a HEIF built here box by box, a CR3-shaped
file), tests/photos/png/, tests/photos/webp/, and the files damaged on
purpose in tests/photos/containers-broken/. The results are committed; the
tests read them and need nothing else.

Pictures are drawn by ImageMagick and coded by heif-enc (HEIC, AVIF), cwebp
(WebP) and ImageMagick (PNG); exiftool then writes EXIF, GPS, XMP and IPTC
into them. What no tool writes (a CR3-shaped file, a HEIF with its Exif item
in an idat box, every damaged file) is built here byte by byte. Dates,
texts and numbers are fixed.

usage: tests/photos/make-heif-png-webp.py   (needs /usr/bin/python3, convert,
       heif-enc from libheif-examples, cwebp from webp, exiftool)
"""
import os
import struct
import subprocess
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
HEIF_DIR = os.path.join(HERE, "heif")
PNG_DIR = os.path.join(HERE, "png")
WEBP_DIR = os.path.join(HERE, "webp")
BROKEN_DIR = os.path.join(HERE, "containers-broken")

DRAWING = ["gradient:#3a6ea5-#f4d35e", "-fill", "#22333b", "-draw", "circle 160,120 160,60",
           "-fill", "#f6f6f6", "-draw", "circle 160,120 160,95"]

# What exiftool writes into the coded files.
CAMERA_TAGS = [
    "-Make=Pixloupe", "-Model=Container One", "-DateTimeOriginal=2024:05:01 10:20:30",
    "-ModifyDate=2024:05:02 11:00:00", "-ExposureTime=0.01", "-FNumber=2.8", "-ISO=200",
    "-FocalLength=4.2", "-Flash#=16", "-GPSLatitude=48.8566", "-GPSLatitudeRef=N",
    "-GPSLongitude=2.3522", "-GPSLongitudeRef=E", "-GPSAltitude=35", "-GPSAltitudeRef=0",
    "-XMP-dc:Title=Harbour at dawn", "-XMP-dc:Creator=Pixloupe tests",
]
PHONE_TAGS = [
    "-Make=Pixphone", "-Model=Pocket 7", "-Orientation#=6", "-DateTimeOriginal=2023:08:14 18:05:09",
    "-ExposureTime=0.004", "-FNumber=1.8", "-ISO=50", "-FocalLength=5.1", "-FocalLengthIn35mmFormat=26",
    "-GPSLatitude=33.8688", "-GPSLatitudeRef=S", "-GPSLongitude=151.2093", "-GPSLongitudeRef=E",
]


def run(arguments):
    subprocess.run(arguments, check=True, stdout=subprocess.DEVNULL)


def exiftool_write(path, tags):
    run(["exiftool", "-q", "-overwrite_original"] + tags + [path])


def draw(work, name, size, extension, options=()):
    path = os.path.join(work, name + "." + extension)
    run(["convert", "-size", size] + DRAWING + list(options) + [path])
    return path


# ---------------------------------------------------------------- coded files
def make_heif_files(work):
    picture = draw(work, "sunrise", "320x240", "jpg", ["-quality", "90"])
    outputs = {
        "camera.heic": ["-q", "50", "-t", "64"],
        "plain.heic": ["-q", "40"],
        "camera.avif": ["-A", "-q", "50", "-p", "chroma=444", "-t", "64"],
        "phone.avif": ["-A", "-q", "40", "-p", "chroma=444"],
    }
    for name, options in outputs.items():
        run(["heif-enc"] + options + ["-o", os.path.join(HEIF_DIR, name), picture])
    exiftool_write(os.path.join(HEIF_DIR, "camera.heic"), CAMERA_TAGS)
    exiftool_write(os.path.join(HEIF_DIR, "camera.avif"), CAMERA_TAGS)
    exiftool_write(os.path.join(HEIF_DIR, "phone.avif"), PHONE_TAGS)


def make_png_files(work):
    plain = os.path.join(PNG_DIR, "plain.png")
    run(["convert", "-size", "96x64"] + DRAWING + ["-strip", plain])
    tagged = os.path.join(PNG_DIR, "exiftool-tags.png")
    run(["convert", "-size", "120x90"] + DRAWING + ["-strip", tagged])
    exiftool_write(tagged, CAMERA_TAGS + ["-IPTC:Keywords=harbour", "-IPTC:City=Paris"])
    # ImageMagick keeps a JPEG's EXIF, XMP and IPTC as hex "Raw profile"
    # text chunks, zlib-compressed, when it writes a PNG.
    source = draw(work, "profiles", "128x96", "jpg", ["-quality", "85"])
    exiftool_write(source, PHONE_TAGS + ["-XMP-dc:Title=Bridge", "-IPTC:Keywords=bridge",
                                         "-IPTC:Caption-Abstract=A bridge at dusk"])
    run(["convert", source, os.path.join(PNG_DIR, "imagemagick-profiles.png")])


def make_webp_files(work):
    picture = draw(work, "field", "160x120", "png")
    tagged = os.path.join(WEBP_DIR, "lossy-tags.webp")
    run(["cwebp", "-quiet", "-q", "60", picture, "-o", tagged])
    exiftool_write(tagged, CAMERA_TAGS)
    run(["cwebp", "-quiet", "-q", "60", picture, "-o", os.path.join(WEBP_DIR, "lossy-plain.webp")])
    run(["cwebp", "-quiet", "-lossless", "-z", "1", draw(work, "small", "40x30", "png"),
         "-o", os.path.join(WEBP_DIR, "lossless-plain.webp")])
    source = draw(work, "phone", "144x108", "jpg", ["-quality", "85"])
    exiftool_write(source, PHONE_TAGS)
    run(["cwebp", "-quiet", "-q", "60", "-metadata", "exif", source,
         "-o", os.path.join(WEBP_DIR, "cwebp-exif.webp")])


# ---------------------------------------------------------------- boxes
def box(kind, payload=b""):
    return struct.pack(">I4s", 8 + len(payload), kind.encode("latin-1")) + payload


def large_box(kind, payload=b""):
    """A box with the 64-bit size (32-bit size 1)."""
    return struct.pack(">I4sQ", 1, kind.encode("latin-1"), 16 + len(payload)) + payload


def full_box(kind, version, flags, payload=b""):
    return box(kind, struct.pack(">I", version << 24 | flags) + payload)


def uuid_box(uuid_hex, payload):
    return box("uuid", bytes.fromhex(uuid_hex.replace("-", "")) + payload)


def ftyp(major, *compatible):
    return box("ftyp", major.encode() + struct.pack(">I", 0) + b"".join(c.encode() for c in compatible))


def infe(item_id, item_type, name=b"", content_type=None):
    payload = struct.pack(">HH4s", item_id, 0, item_type.encode()) + name + b"\0"
    if content_type is not None:
        payload += content_type + b"\0"
    return full_box("infe", 2, 0, payload)


def iinf(*entries):
    return full_box("iinf", 0, 0, struct.pack(">H", len(entries)) + b"".join(entries))


def iloc(version, items, offset_size=4, length_size=4, base_size=0):
    """items: (id, construction method, base offset, [(offset, length), ...])."""
    sizes = {0: "", 4: "I", 8: "Q"}
    payload = struct.pack(">BB", offset_size << 4 | length_size, base_size << 4)
    payload += struct.pack(">H" if version < 2 else ">I", len(items))
    for item_id, method, base, extents in items:
        payload += struct.pack(">H" if version < 2 else ">I", item_id)
        if version >= 1:
            payload += struct.pack(">H", method)
        payload += struct.pack(">H", 0)
        if base_size:
            payload += struct.pack(">" + sizes[base_size], base)
        payload += struct.pack(">H", len(extents))
        for offset, length in extents:
            payload += struct.pack(">" + sizes[offset_size], *[offset][:offset_size]) + \
                struct.pack(">" + sizes[length_size], *[length][:length_size])
    return full_box("iloc", version, 0, payload)


def iref(*references):
    """references: (type, from, [to, ...])."""
    payload = b""
    for kind, source, targets in references:
        payload += box(kind, struct.pack(">HH", source, len(targets)) + b"".join(struct.pack(">H", t) for t in targets))
    return full_box("iref", 0, 0, payload)


def iprp(properties, associations):
    """associations: (item, [property index, ...]), indices counted from 1."""
    ipma = struct.pack(">I", len(associations))
    for item_id, indices in associations:
        ipma += struct.pack(">HB", item_id, len(indices)) + bytes(0x80 | i for i in indices)
    return box("iprp", box("ipco", b"".join(properties)) + full_box("ipma", 0, 0, ipma))


def ispe(width, height):
    return full_box("ispe", 0, 0, struct.pack(">II", width, height))


def hdlr(kind="pict"):
    return full_box("hdlr", 0, 0, struct.pack(">I4s", 0, kind.encode()) + b"\0" * 12 + b"\0")


def pitm(item_id):
    return full_box("pitm", 0, 0, struct.pack(">H", item_id))


# ---------------------------------------------------------------- TIFF blocks
TYPES = {"B": (1, 1), "A": (2, 1), "H": (3, 2), "I": (4, 4), "R": (5, 8)}


def tiff_block(entries, order=">", next_ifd=0):
    """One IFD in its own TIFF block: entries (tag, type letter, values)."""
    head = (b"MM\0*" if order == ">" else b"II*\0") + struct.pack(order + "I", 8)
    count = len(entries)
    data_at = 8 + 2 + 12 * count + 4
    table, data = b"", b""
    for tag, kind, values in sorted(entries, key=lambda e: e[0]):
        code, size = TYPES[kind]
        if kind == "A":
            raw = values.encode("latin-1") + b"\0"
            n = len(raw)
        elif kind == "R":
            raw = b"".join(struct.pack(order + "II", num, den) for num, den in values)
            n = len(values)
        elif kind == "B":
            raw = bytes(values)
            n = len(values)
        else:
            raw = b"".join(struct.pack(order + kind, v) for v in values)
            n = len(values)
        if len(raw) <= 4:
            table += struct.pack(order + "HHI", tag, code, n) + raw.ljust(4, b"\0")
        else:
            table += struct.pack(order + "HHII", tag, code, n, data_at + len(data))
            data += raw + (b"\0" if len(raw) % 2 else b"")
    return head + struct.pack(order + "H", count) + table + struct.pack(order + "I", next_ifd) + data


def jpeg_picture(work, name, size):
    path = draw(work, name, size, "jpg", ["-quality", "70", "-strip"])
    with open(path, "rb") as f:
        return f.read()


def canon_picture_box(kind, picture, width, height):
    """THMB and PRVW: 16 bytes of sizes and flags, then the JPEG."""
    if kind == "THMB":
        head = struct.pack(">BxxxHHIHH", 0, width, height, len(picture), 1, 0)
    else:
        head = struct.pack(">IHHHHI", 0, 1, width, height, 1, len(picture))
    return box(kind, head + picture)


def make_cr3(work):
    cmt1 = tiff_block([(0x010F, "A", "Canon"), (0x0110, "A", "Canon EOS Test"), (0x0112, "H", [1]),
                       (0x0132, "A", "2022:03:04 05:06:07"), (0x011A, "R", [(72, 1)]), (0x011B, "R", [(72, 1)]),
                       (0x0128, "H", [2]), (0x0100, "I", [6000]), (0x0101, "I", [4000])], "<")
    cmt2 = tiff_block([(0x829A, "R", [(1, 250)]), (0x829D, "R", [(56, 10)]), (0x8827, "H", [400]),
                       (0x9003, "A", "2022:03:04 05:06:07"), (0x9004, "A", "2022:03:04 05:06:07"),
                       (0x920A, "R", [(50, 1)]), (0x9209, "H", [16]), (0xA405, "H", [80])], "<")
    cmt3 = tiff_block([(0x0006, "A", "Canon EOS Test"), (0x0010, "I", [0x80000421])], "<")
    cmt4 = tiff_block([(0x0000, "B", [2, 3, 0, 0]), (0x0001, "A", "N"), (0x0002, "R", [(51, 1), (30, 1), (0, 1)]),
                       (0x0003, "A", "W"), (0x0004, "R", [(0, 1), (7, 1), (3960, 100)]), (0x0005, "B", [0]),
                       (0x0006, "R", [(11, 1)])], "<")
    thumbnail = jpeg_picture(work, "cr3-thumb", "160x120")
    preview = jpeg_picture(work, "cr3-preview", "320x214")
    canon = uuid_box("85c0b687-820f-11e0-8111-f4ce462b6a48",
                     box("CNCV", b"CanonCR3_001/00.09.00/00.00.00") +
                     box("CMT1", cmt1) + box("CMT2", cmt2) + box("CMT3", cmt3) + box("CMT4", cmt4) +
                     canon_picture_box("THMB", thumbnail, 160, 120))
    mvhd = full_box("mvhd", 0, 0, b"\0" * 96)
    xmp = (b'<?xpacket begin="\xef\xbb\xbf" id="W5M0MpCehiHzreSzNTczkc9d"?>'
           b'<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">'
           b'<rdf:Description rdf:about="" xmlns:xmp="http://ns.adobe.com/xap/1.0/"><xmp:Rating>3</xmp:Rating>'
           b'</rdf:Description><rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/">'
           b'<dc:title><rdf:Alt><rdf:li xml:lang="x-default">Lens test</rdf:li></rdf:Alt></dc:title>'
           b'</rdf:Description></rdf:RDF></x:xmpmeta><?xpacket end="w"?>')
    data = (ftyp("crx ", "crx ", "isom") + box("moov", canon + mvhd) +
            uuid_box("be7acfcb-97a9-42e8-9c71-999491e3afac", xmp) +
            uuid_box("eaf42b5e-1c98-4b88-b9fb-b7dc406e4d16",
                     struct.pack(">II", 0, 1) + canon_picture_box("PRVW", preview, 320, 214)) +
            box("mdat", b"\0" * 64))
    with open(os.path.join(HEIF_DIR, "canon-shaped.cr3"), "wb") as f:
        f.write(data)


def exif_item_data(block):
    """An Exif item: the offset of the TIFF header past "Exif\\0\\0", then both."""
    return struct.pack(">I", 6) + b"Exif\0\0" + block


def heif_file(meta_children, mdat_payload=b"", brand="heic", top_extra=b""):
    return ftyp(brand, "mif1", brand) + full_box("meta", 0, 0, b"".join(meta_children)) + top_extra + \
        box("mdat", mdat_payload)


def make_idat_heif():
    """A HEIF (mif1) whose Exif item lies in the meta box's idat, in two
    extents (iloc version 1, construction method 1), whose primary picture
    is turned and mirrored (irot, imir), and whose meta box has a 64-bit size."""
    block = tiff_block([(0x010F, "A", "Pixloupe"), (0x0110, "A", "Idat Camera"), (0x0112, "H", [1])])
    exif = exif_item_data(block)
    split = len(exif) // 2
    children = [hdlr(), pitm(1),
                iloc(1, [(1, 0, 0, [(0, 0)]), (2, 1, 0, [(0, split), (split, len(exif) - split)])]),
                iinf(infe(1, "hvc1"), infe(2, "Exif")),
                iref(("cdsc", 2, [1])),
                iprp([ispe(4032, 3024), box("irot", b"\x01"), box("imir", b"\x01")], [(1, [1, 2, 3])]),
                box("idat", exif)]
    data = ftyp("mif1", "mif1", "heic") + large_box("meta", struct.pack(">I", 0) + b"".join(children)) + box("mdat")
    with open(os.path.join(HEIF_DIR, "idat-exif-turned.heif"), "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- damaged files
def basic_meta(exif_extents, references=(), extra=()):
    """A meta box with a primary HEVC item 1 and an Exif item 2."""
    return [hdlr(), pitm(1), iloc(0, [(1, 0, 0, [(0, 0)]), (2, 0, 0, exif_extents)]),
            iinf(infe(1, "hvc1"), infe(2, "Exif")), iref(*references) if references else b"",
            iprp([ispe(64, 48)], [(1, [1])])] + list(extra)


def placed_heif(meta_for, exif=b"", references=(("cdsc", 2, [1]),)):
    """A HEIF whose meta box points at exif stored in mdat; meta_for gets
    the offset of mdat's payload."""
    probe = heif_file(basic_meta(meta_for(0), references), exif)
    start = len(probe) - len(exif)
    return heif_file(basic_meta(meta_for(start), references), exif)


def broken_files(work):
    exif = exif_item_data(tiff_block([(0x010F, "A", "Broken")]))
    sound = placed_heif(lambda start: [(start, len(exif))], exif)
    files = {}
    # A child box smaller than its header, and one of size 0 that swallows
    # the rest of meta (its iloc and iinf with it).
    files["box-size-4.heic"] = ftyp("heic", "mif1") + full_box("meta", 0, 0, hdlr() + struct.pack(">I4s", 4, b"pitm"))
    files["box-size-0-in-meta.heic"] = ftyp("heic", "mif1") + full_box(
        "meta", 0, 0, hdlr() + pitm(1) + struct.pack(">I4s", 0, b"free") + iinf(infe(1, "hvc1")))
    # A 64-bit size near 2^64, and a meta box longer than the file.
    files["box-64-bit-huge.heic"] = ftyp("heic", "mif1") + struct.pack(">I4sQ", 1, b"meta", 0xFFFFFFFFFFFFFFF0) + \
        b"\0" * 32
    files["box-past-file.heic"] = sound[:-len(exif) - 40]
    # iinf claims more than meta holds.
    meta = hdlr() + pitm(1) + struct.pack(">I4s", 4000, b"iinf") + b"\0" * 20
    files["box-past-parent.heic"] = ftyp("heic", "mif1") + full_box("meta", 0, 0, meta) + box("mdat", b"\0" * 8000)
    files["extent-past-file.heic"] = placed_heif(lambda start: [(start, 1 << 20)], exif)
    files["extents-overlap.heic"] = placed_heif(lambda start: [(start, len(exif)), (start + 4, 8)], exif)
    files["references-loop.heic"] = placed_heif(lambda start: [(start, len(exif))], exif,
                                                (("cdsc", 2, [1]), ("cdsc", 1, [2]), ("thmb", 1, [1])))
    nested = b""
    for _ in range(1000):
        nested = box("moov", nested)
    files["nested-1000.cr3"] = ftyp("crx ", "crx ") + nested
    # A thumbnail grid of 4,000 references to one tile of 65,535 extents of
    # no bytes each (field sizes 0): counting them must not cost their product.
    tile_extents = [(0, 0)] * 65535
    files["tiles-many-extents.heic"] = ftyp("heic", "mif1") + full_box("meta", 0, 0, b"".join([
        hdlr(), pitm(1), iloc(1, [(1, 0, 0, [(0, 0)]), (2, 0, 0, tile_extents)], offset_size=0, length_size=0),
        iinf(infe(1, "hvc1"), infe(2, "hvc1"), infe(3, "grid")),
        iref(("thmb", 3, [1]), ("dimg", 3, [2] * 4000))]))
    files["iloc-count-huge.heic"] = ftyp("heic", "mif1") + full_box(
        "meta", 0, 0, hdlr() + pitm(1) + full_box("iloc", 2, 0, struct.pack(">BBI", 0x44, 0, 0xFFFFFFFF)))
    files["exif-offset-outside.heic"] = placed_heif(
        lambda start: [(start, len(exif))], struct.pack(">I", 0x7FFFFFF0) + exif[4:])
    files["cmt-not-tiff.cr3"] = ftyp("crx ", "crx ") + box("moov", uuid_box(
        "85c0b687-820f-11e0-8111-f4ce462b6a48", box("CMT1", b"not a TIFF block")))
    # PNG: a chunk longer than the file; text chunks that are not profiles.
    png = b"\x89PNG\r\n\x1a\n"

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    ihdr = chunk(b"IHDR", struct.pack(">IIBBBBB", 64, 48, 8, 2, 0, 0, 0))
    files["chunk-past-file.png"] = png + ihdr + struct.pack(">I", 0x10000) + b"tEXt" + b"x" * 100
    files["profile-not-hex.png"] = png + ihdr + chunk(b"tEXt", b"Raw profile type exif\0\nexif\n   40\nzzzz") + \
        chunk(b"IDAT", b"")
    files["ztxt-not-zlib.png"] = png + ihdr + chunk(b"zTXt", b"Raw profile type xmp\0\0garbage") + chunk(b"IDAT", b"")
    files["bad-crc.png"] = png + ihdr[:-1] + b"\0" + chunk(b"IDAT", b"")
    files["no-idat.png"] = png + ihdr
    # WebP: a RIFF size past the file, a chunk past the RIFF form's end.
    vp8l = b"VP8L" + struct.pack("<I", 5) + bytes([0x2F, 0x3F, 0xC0, 0x03, 0x00]) + b"\0"
    files["riff-size-past-file.webp"] = b"RIFF" + struct.pack("<I", 4000) + b"WEBP" + vp8l
    files["chunk-past-riff.webp"] = b"RIFF" + struct.pack("<I", 4 + len(vp8l)) + b"WEBP" + vp8l + \
        b"EXIF" + struct.pack("<I", 4) + b"II*\0"
    exif_past = b"EXIF" + struct.pack("<I", 500) + b"II*\0"
    files["exif-chunk-past-file.webp"] = b"RIFF" + struct.pack("<I", 4 + len(vp8l) + len(exif_past)) + b"WEBP" + \
        vp8l + exif_past
    for name, data in files.items():
        with open(os.path.join(BROKEN_DIR, name), "wb") as f:
            f.write(data)


def main():
    for folder in (HEIF_DIR, PNG_DIR, WEBP_DIR, BROKEN_DIR):
        os.makedirs(folder, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        make_heif_files(work)
        make_png_files(work)
        make_webp_files(work)
        make_cr3(work)
        make_idat_heif()
        broken_files(work)


if __name__ == "__main__":
    main()
