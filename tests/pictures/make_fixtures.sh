#!/usr/bin/env bash
# Writes the picture fixtures into tests/data. Run once by hand when a fixture
# must change; the results are committed. Needs ImageMagick and python3.
#
# Most fixtures show four quadrants: red top left, green top right, blue
# bottom left, white bottom right, so that a test can tell a picture drawn
# upside down, mirrored or in the wrong colour order.
set -euo pipefail
data="$(cd "$(dirname "$0")/../data" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

quadrants() { # WIDTH HEIGHT OUT
    local w=$(($1 / 2)) h=$(($2 / 2))
    convert \( -size ${w}x${h} xc:red xc:lime +append \) \
            \( -size ${w}x${h} xc:blue xc:white +append \) -append "$3"
}
quadrants 64 48 "$work/q.png"

# JPEG
convert "$work/q.png" -strip -quality 95 -sampling-factor 2x2 "$data/quadrants.jpg"
convert "$work/q.png" -strip -quality 95 -interlace JPEG "$data/progressive.jpg"
convert "$work/q.png" -strip -quality 95 -colorspace CMYK "$data/cmyk.jpg"
convert "$work/q.png" -strip -quality 95 -colorspace Gray "$data/grey.jpg"
cp "$data/quadrants.jpg" "$data/upper.JPG"
quadrants 40 30 "$work/q40.png"
convert "$work/q40.png" -strip -quality 95 "$data/upper.JPEG"
quadrants 256 192 "$work/q256.png"
convert "$work/q256.png" -strip -quality 95 "$work/q256.jpg"
: > "$data/empty.jpg"
printf 'This is not a picture.\n' > "$data/notjpeg.jpg"

# BMP
convert "$work/q.png" -type TrueColor BMP3:"$data/quadrants.bmp"
cp "$data/quadrants.bmp" "$data/upper.BMP"
convert "$work/q.png" -type Palette BMP3:"$data/palette.bmp"
convert -size 16x8 xc:black xc:white +append -type Bilevel BMP3:"$data/mono.bmp"
convert "$work/q.png" -alpha set -channel A -fx 'j < h/2 ? 1 : 0.5' +channel \
        -define bmp:format=bmp4 "$data/alpha.bmp"
: > "$data/empty.bmp"
printf 'BM\xff\xff\xff\xffnot a bitmap header at all' > "$data/damaged.bmp"
cp "$data/quadrants.jpg" "$data/jpeg-inside.bmp"

# ICO: three sizes with the largest not first, a PNG-compressed 256 x 256
# image, and a 32-bit icon whose right half is transparent.
convert "$work/q.png" -define icon:auto-resize=16,48,32 "$data/quadrants.ico"
cp "$data/quadrants.ico" "$data/upper.ICO"
convert "$work/q256.png" -define icon:auto-resize=16,256 "$data/png256.ico"
convert -size 16x16 xc:red \( -size 16x16 xc:none \) +append -define icon:auto-resize=32 "$data/alpha.ico"
printf '\0\0\1\0\1\0garbage' > "$data/damaged.ico"
cp "$data/quadrants.bmp" "$data/bitmap-inside.ico"

# PNG: a valid picture of a format the table does not know.
cp "$work/q.png" "$data/picture.png"

# Damaged copies made by patching bytes.
python3 - "$data" "$work" <<'PY'
import struct, sys
data, work = sys.argv[1], sys.argv[2]

# A JPEG whose header reads but whose first component names quantization
# table 3, which the file never defines: the error comes at decoding time.
jpeg = bytearray(open(f"{data}/quadrants.jpg", "rb").read())
sof = jpeg.index(b"\xff\xc0")
jpeg[sof + 12] = 3
open(f"{data}/noquant.jpg", "wb").write(jpeg)

# A JPEG cut in the middle of its scan data: libjpeg warns and pads.
big = open(f"{work}/q256.jpg", "rb").read()
sos = big.index(b"\xff\xda")
open(f"{data}/truncated.jpg", "wb").write(big[: sos + (len(big) - sos) // 2])

# A bitmap whose pixel data stops half way.
bmp = open(f"{data}/quadrants.bmp", "rb").read()
open(f"{data}/truncated.bmp", "wb").write(bmp[: len(bmp) // 2])

# A bitmap declaring 100000 x 100000 pixels over 64 x 48 pixels of data.
huge = bytearray(bmp)
struct.pack_into("<ii", huge, 18, 100000, 100000)
open(f"{data}/huge.bmp", "wb").write(huge)
PY
