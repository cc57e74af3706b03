#!/usr/bin/env python3
"""Builds the seed corpora of the fuzz targets from a folder of JPEG files
(the project's photographs, the shared corpus).

The seeds are written to a folder outside the repository (never committed):
for each file, its bytes up to the first start-of-scan marker (nothing after
it is ever read) for the whole-file target, and the payloads of its APP1
"Exif", APP1 XMP and APP13 segments for the three block targets; a TIFF,
DNG, RAW or RAF file whole for the TIFF target; the XMP packets alone for the
properties target. The small hand-built seeds under fuzz/seeds/<target>/ are copied in as well.

usage: make-seeds.py CORPUS_DIR OUTPUT_DIR
"""
import hashlib
import os
import shutil
import sys

TARGETS = ("fuzz_whole_file", "fuzz_tiff_file", "fuzz_exif_block", "fuzz_photoshop_block", "fuzz_xmp_packet",
           "fuzz_xmp_properties", "fuzz_bmff_file", "fuzz_png_file", "fuzz_webp_file")
# The first bytes of the files the TIFF target starts from: TIFF in both
# orders, Olympus's and Panasonic's variants, Fujifilm's RAF.
TIFF_STARTS = (b"II*\0", b"MM\0*", b"IIRO", b"IIRS", b"MMOR", b"IIU\0", b"FUJIFILMCCD-RAW ")
# The container targets take whole files of their kind, by their name.
CONTAINER_TARGETS = {".heic": "fuzz_bmff_file", ".heif": "fuzz_bmff_file", ".avif": "fuzz_bmff_file",
                     ".cr3": "fuzz_bmff_file", ".png": "fuzz_png_file", ".webp": "fuzz_webp_file"}
MAX_WHOLE_FILE = 300000


def segments(data):
    """Yields (marker, payload) up to SOS, the way the reader walks them."""
    if data[:2] != b"\xff\xd8":
        return
    pos = 2
    while pos < len(data):
        fill = 0
        while pos < len(data) and data[pos] == 0xFF and fill <= 16:
            pos += 1
            fill += 1
        if pos + 3 > len(data):
            return
        marker = data[pos]
        length = data[pos + 1] << 8 | data[pos + 2]
        if length < 2:
            return
        payload = data[pos + 3:pos + 1 + length]
        yield marker, payload, pos + 1 + length
        if marker in (0xDA, 0xD9):
            return
        pos += 1 + length


def save(folder, blob):
    name = hashlib.sha1(blob).hexdigest()
    with open(os.path.join(folder, name), "wb") as out:
        out.write(blob)


def main():
    corpus, output = sys.argv[1], sys.argv[2]
    here = os.path.dirname(os.path.abspath(__file__))
    for target in TARGETS:
        folder = os.path.join(output, target)
        os.makedirs(folder, exist_ok=True)
        hand_built = os.path.join(here, "seeds", target)
        if os.path.isdir(hand_built):
            for name in os.listdir(hand_built):
                shutil.copy(os.path.join(hand_built, name), os.path.join(folder, name))
    for root, _, files in os.walk(corpus):
        for name in files:
            if name.endswith((".md", ".py")):
                continue  # the notes and the script beside the photographs
            with open(os.path.join(root, name), "rb") as f:
                data = f.read()
            if data.startswith(TIFF_STARTS):
                if len(data) <= MAX_WHOLE_FILE:
                    save(os.path.join(output, "fuzz_tiff_file"), data)
                continue
            container = CONTAINER_TARGETS.get(os.path.splitext(name)[1].lower())
            if container:
                if len(data) <= MAX_WHOLE_FILE:
                    save(os.path.join(output, container), data)
                    save(os.path.join(output, "fuzz_whole_file"), data)
                continue
            end = 0
            for marker, payload, after in segments(data):
                end = after
                if marker == 0xE1 and payload[:6] == b"Exif\0\0":
                    save(os.path.join(output, "fuzz_exif_block"), payload[6:])
                elif marker == 0xE1 and payload[:5] == b"http:":
                    save(os.path.join(output, "fuzz_xmp_packet"), payload)
                    # The packet alone, after its namespace name's zero byte.
                    save(os.path.join(output, "fuzz_xmp_properties"), payload[payload.find(b"\0") + 1:])
                elif marker == 0xED:
                    save(os.path.join(output, "fuzz_photoshop_block"), payload)
            # Keep a few bytes past SOS (or the whole small file when the walk
            # stopped early: those are the interesting broken ones).
            head = data[:end + 16] if end else data
            if len(head) <= MAX_WHOLE_FILE:
                save(os.path.join(output, "fuzz_whole_file"), head)


if __name__ == "__main__":
    main()
