#!/usr/bin/env python3
"""compare_data.py A B: how far two data files built by different systems lie apart;
compare_data.py --music A.mp3 B.mp3: the same for their music.

The builder's maths goes through each system's C library (sin, cos, exp, pow), whose results
may differ in the last bit, and a creature's vertices are sums of many such terms; everything
else it does is exact. So the index lists and the textures must be equal byte for byte, and the
vertex stream and the motion records, read as the 32-bit floats they hold, may differ by no more
than a ten-thousandth of a unit (a scene some 30 units across: far below a pixel). Prints one
line per region and ends with 1 when a region differs where it must not or past the bound.

The music is synthesised with the same functions, and an MP3 encoder's choices follow its input
closely enough that a last bit's difference changes some of them: decoded, the two must lie at
least 40 dB apart from the music (a difference no one hears under it)."""
import array
import math
import subprocess
import sys

# The data file's regions (src/demo/data_layout.h): (name, offset, size, read as floats).
REGIONS = [
    ("vertices", 0, 129272640, True),
    ("indices", 129272640, 157752, False),
    ("textures", 129430392, 1747904, False),
    ("motion records", 131178296, None, True),
]
# How far two floats of the same computation may lie apart.
MAX_DIFFERENCE = 1e-4
CHUNK = 1 << 20


def compare(a, b, offset, size, floats):
    differing = 0
    worst = 0.0
    end = offset + size
    at = offset
    while at < end:
        n = min(CHUNK, end - at)
        x, y = a[at:at + n], b[at:at + n]
        if x != y:
            if not floats:
                return None
            fx, fy = array.array("f"), array.array("f")
            fx.frombytes(x[: n - n % 4])
            fy.frombytes(y[: n - n % 4])
            for u, v in zip(fx, fy):
                if u != v:
                    differing += 1
                    worst = max(worst, abs(u - v))
        at += n
    return differing, worst


# How far below the music the difference of two encodings must lie, in decibels.
MIN_MUSIC_TO_DIFFERENCE_DB = 40.0


def decoded(path):
    pcm = array.array("h")
    pcm.frombytes(subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "s16le", "-"], check=True,
                                 stdout=subprocess.PIPE).stdout)
    return pcm


def compare_music(path_a, path_b):
    a, b = decoded(path_a), decoded(path_b)
    if len(a) != len(b):
        print(f"music: {len(a)} and {len(b)} samples")
        return 1
    music = sum(x * x for x in a)
    difference = sum((x - y) ** 2 for x, y in zip(a, b))
    if difference == 0:
        print("music: same samples")
        return 0
    db = 10 * math.log10(music / difference)
    peak = max(abs(x - y) for x, y in zip(a, b))
    within = db >= MIN_MUSIC_TO_DIFFERENCE_DB
    print(f"music: the difference lies {db:.1f} dB below the music (at most {peak} of 32768 in a sample)"
          f"{'' if within else f', less than the {MIN_MUSIC_TO_DIFFERENCE_DB:g} dB allowed'}")
    return 0 if within else 1


def main():
    if sys.argv[1] == "--music":
        return compare_music(sys.argv[2], sys.argv[3])
    with open(sys.argv[1], "rb") as f:
        a = f.read()
    with open(sys.argv[2], "rb") as f:
        b = f.read()
    if len(a) != len(b):
        print(f"sizes differ: {len(a)} and {len(b)} bytes")
        return 1
    status = 0
    for name, offset, size, floats in REGIONS:
        size = len(a) - offset if size is None else size
        result = compare(a, b, offset, size, floats)
        if result is None:
            print(f"{name}: differ, and must not")
            status = 1
            continue
        differing, worst = result
        if differing == 0:
            print(f"{name}: same")
        else:
            within = worst <= MAX_DIFFERENCE
            print(f"{name}: {differing} of {size // 4} floats differ, by at most {worst:.3g}"
                  f"{'' if within else f', past the {MAX_DIFFERENCE:g} allowed'}")
            status |= 0 if within else 1
    return status


if __name__ == "__main__":
    sys.exit(main())
