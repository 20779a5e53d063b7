#!/usr/bin/env python3
"""Writes a deterministic tree of about 150,000 entries with tiny files.

usage: make_tree.py DIR [ENTRIES]

Folders fan out 3 levels deep with uneven widths, files are 0-255 bytes, so the
whole tree stays well under 50 MB: the walk benchmark measures listing and
examining names, not reading data.
"""
import os
import random
import sys

def main():
    root = sys.argv[1]
    target = int(sys.argv[2]) if len(sys.argv) > 2 else 150_000
    rng = random.Random(20261207)
    os.makedirs(root, exist_ok=True)
    count = 0
    a = 0
    while count < target:
        top = os.path.join(root, f"top{a:03d}")
        os.mkdir(top)
        count += 1
        for b in range(rng.randint(4, 16)):
            mid = os.path.join(top, f"mid{b:02d}")
            os.mkdir(mid)
            count += 1
            for c in range(rng.randint(0, 8)):
                leaf = os.path.join(mid, f"leaf{c}")
                os.mkdir(leaf)
                count += 1
                for f in range(rng.randint(5, 40)):
                    with open(os.path.join(leaf, f"f{f:03d}.dat"), "wb") as out:
                        out.write(b"x" * rng.randint(0, 255))
                    count += 1
            for f in range(rng.randint(0, 20)):
                with open(os.path.join(mid, f"g{f:03d}.txt"), "wb") as out:
                    out.write(b"y" * rng.randint(0, 255))
                count += 1
            if count >= target:
                break
        a += 1
    print(count)

if __name__ == "__main__":
    main()
