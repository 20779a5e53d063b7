#!/usr/bin/env python3
"""Writes a deterministic tree for the file-tools benchmark (duplicates, space, large files).

usage: make_file_tree.py DIR [ENTRIES]

About ENTRIES (default 150,000) names, folders up to 8 levels deep, file sizes from
empty to 50 MB (mostly small; about 2 GB in all), and about 10 % of the files
made to look alike on purpose:
  - exact copies (some with copy-like names),
  - same size but different content,
  - copies that differ only in the last byte,
  - copies that differ only in a byte in the middle (same head and tail),
  - hard links, empty files,
  - symbolic links to files and folders, a dangling one, and loops (a link to an
    ancestor folder and two links pointing at each other).
Content comes from slices of one seeded random pool, so the tree is the same on
every run and two slices at different offsets never compare equal.
"""
import os
import random
import sys

POOL_BYTES = 64 << 20
MAX_DEPTH = 8


def main():
    root = sys.argv[1]
    target = int(sys.argv[2]) if len(sys.argv) > 2 else 150_000
    rng = random.Random(4_2026_1207)
    pool = rng.randbytes(POOL_BYTES)
    os.makedirs(root, exist_ok=True)

    # Folders: each new one under a random existing folder that is not too deep.
    folders = [(root, 0)]
    folder_count = target // 18
    for i in range(folder_count):
        parent, depth = folders[rng.randrange(len(folders))]
        if depth >= MAX_DEPTH:
            parent, depth = folders[rng.randrange(min(len(folders), 40))]
        path = os.path.join(parent, f"d{i:05d}")
        os.mkdir(path)
        folders.append((path, depth + 1))

    def content(size, offset=None):
        if size == 0:
            return b""
        if offset is None:
            offset = rng.randrange(POOL_BYTES)
        out = bytearray()
        while len(out) < size:
            take = min(size - len(out), POOL_BYTES - offset)
            out += pool[offset:offset + take]
            offset = 0
        return bytes(out)

    def pick_size():
        r = rng.random()
        if r < 0.02:
            return 0
        if r < 0.985:
            return rng.randint(1, 8 * 1024)
        if r < 0.9998:
            return rng.randint(8 * 1024, 512 * 1024)
        return rng.randint(1 << 20, 50 << 20)

    def write(path, data):
        with open(path, "wb") as f:
            f.write(data)

    exts = [".txt", ".pdf", ".jpg", ".mp4", ".zip", ".dat", ".bin", ".log", ".dmg", ".deb", ".mp3", ""]
    originals = []  # (path, size)
    count = len(folders) - 1
    files_target = int((target - count) * 0.985)
    n = 0
    while count < files_target:
        folder, _ = folders[rng.randrange(len(folders))]
        r = rng.random()
        name = f"f{n:06d}{rng.choice(exts)}"
        path = os.path.join(folder, name)
        n += 1
        if r < 0.90 or not originals:
            size = pick_size()
            write(path, content(size))
            if size > 0:
                originals.append((path, size))
        else:
            src, size = originals[rng.randrange(len(originals))]
            with open(src, "rb") as f:
                data = f.read()
            kind = rng.random()
            if kind < 0.55:  # exact copy, sometimes with a copy-like name
                if rng.random() < 0.3:
                    stem, ext = os.path.splitext(os.path.basename(src))
                    path = os.path.join(folder, f"{stem} (1){ext}")
                    if os.path.exists(path):
                        path = os.path.join(folder, name)
                write(path, data)
            elif kind < 0.70:  # same size, other content
                write(path, content(size))
            elif kind < 0.82:  # last byte differs
                write(path, data[:-1] + bytes([data[-1] ^ 0xFF]))
            elif kind < 0.90 and size > 64 * 1024:  # same head and tail, middle differs
                mid = size // 2
                write(path, data[:mid] + bytes([data[mid] ^ 0x01]) + data[mid + 1:])
            elif kind < 0.95:  # hard link
                os.link(src, path)
            else:
                write(path, b"")
        count += 1

    write(os.path.join(root, "largest.bin"), content(50 << 20))

    # Symbolic links, including a dangling one and loops.
    links = 0
    while count < target - 3:
        folder, _ = folders[rng.randrange(len(folders))]
        path = os.path.join(folder, f"link{links:05d}")
        if rng.random() < 0.7 and originals:
            os.symlink(originals[rng.randrange(len(originals))][0], path)
        else:
            os.symlink(folders[rng.randrange(len(folders))][0], path)
        links += 1
        count += 1
    deep = max(folders, key=lambda f: f[1])[0]
    os.symlink(root, os.path.join(deep, "loop-to-root"))
    os.symlink("ping", os.path.join(root, "pong"))
    os.symlink("pong", os.path.join(root, "ping"))
    os.symlink("/nonexistent/target", os.path.join(root, "dangling"))
    print(count + 3)


if __name__ == "__main__":
    main()
