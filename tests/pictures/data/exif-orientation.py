#!/usr/bin/env python3
# Writes a copy of a JPEG with an EXIF segment holding only the orientation tag.
# Usage: exif-orientation.py in.jpg out.jpg orientation [II|MM]
import struct
import sys

source, target, orientation = sys.argv[1], sys.argv[2], int(sys.argv[3])
order = sys.argv[4] if len(sys.argv) > 4 else "MM"
e = "<" if order == "II" else ">"
# TIFF header, IFD0 at offset 8 with one SHORT entry (tag 0x0112), no next IFD.
tiff = order.encode() + struct.pack(e + "HI", 42, 8) + struct.pack(e + "H", 1)
tiff += struct.pack(e + "HHIHH", 0x0112, 3, 1, orientation, 0) + struct.pack(e + "I", 0)
payload = b"Exif\0\0" + tiff
jpeg = open(source, "rb").read()
assert jpeg[:2] == b"\xff\xd8"
segment = b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload
open(target, "wb").write(jpeg[:2] + segment + jpeg[2:])
