#!/usr/bin/env python3
"""Runs varnoll-scan's file kinds and their peer tools side by side on one tree.

usage: filetools_compare.py VARNOLL_SCAN TREE [ROUNDS]

For each kind (duplicates, space, largeFiles) it first checks that every tool gives
the same answer, then times them on a warm cache: one untimed warm-up round, then
ROUNDS (default 5) rounds in which the tools take turns, starting with a different
one each round. Wall time is the median; CPU time (user + system) and peak memory
are the medians of what /usr/bin/time -v reports. Prints the load average and a
Markdown table.

Duplicate groups are compared as sets of inodes (one path per inode, files of
size 0 and symbolic links left out), so tools that differ only in how they treat
hard links and empty files still compare equal.
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

LIMITS = ["--entry-limit", "100000000", "--visit-limit", "100000000", "--time-limit", "3600"]
LARGE_MB = 1


def run(cmd, out_path):
    with tempfile.NamedTemporaryFile("r", suffix=".time") as tf, open(out_path, "wb") as out:
        start = time.perf_counter()
        proc = subprocess.run(["/usr/bin/time", "-v", "-o", tf.name] + cmd, stdout=out,
                              stderr=subprocess.DEVNULL)
        wall = time.perf_counter() - start
        rss = 0
        cpu = 0.0
        for line in tf.read().splitlines():
            if "Maximum resident set size" in line:
                rss = int(line.split(":")[1])
            elif "User time (seconds)" in line or "System time (seconds)" in line:
                cpu += float(line.split(":")[1])
    if proc.returncode not in (0, 1):  # jdupes and fdupes answer 1 when they found something
        sys.exit(f"{cmd[0]} failed with {proc.returncode}")
    return wall, rss, cpu


def inode_of(path):
    st = os.lstat(path)
    return (st.st_dev, st.st_ino, st.st_size, os.path.islink(path))


def normal_groups(groups):
    out = set()
    for g in groups:
        nodes = set()
        for p in g:
            dev, ino, size, link = inode_of(p)
            if link or size == 0:
                continue
            nodes.add((dev, ino))
        if len(nodes) >= 2:
            out.add(frozenset(nodes))
    return out


def blank_line_groups(path):
    groups, cur = [], []
    with open(path, "rb") as f:
        for raw in f:
            line = raw.rstrip(b"\n")
            if not line:
                if cur:
                    groups.append(cur)
                cur = []
            else:
                cur.append(os.fsdecode(line))
    if cur:
        groups.append(cur)
    return groups


def rdfind_groups(path):
    groups = {}
    with open(path, "rb") as f:
        for raw in f:
            if raw.startswith(b"#"):
                continue
            parts = raw.rstrip(b"\n").split(b" ", 7)
            if len(parts) < 8:
                continue
            groups.setdefault(abs(int(parts[1])), []).append(os.fsdecode(parts[7]))
    return list(groups.values())


def varnoll_json(path):
    with open(path, "rb") as f:
        return json.load(f)


def varnoll_groups(path):
    r = varnoll_json(path)
    by_id = {e["id"]: e["path"] for e in r["entries"]}
    return [[by_id[i] for i in g["files"]] for g in r["duplicateGroups"]]


def main():
    scan, tree = sys.argv[1], sys.argv[2]
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    work = tempfile.mkdtemp(prefix="varnoll-bench-out-")
    rd_out = os.path.join(work, "rdfind-results.txt")
    children = sorted(os.path.join(tree, n) for n in os.listdir(tree)
                      if not os.path.islink(os.path.join(tree, n)))

    kinds = {
        "duplicates": [
            ("varnoll-scan", [scan, "duplicates", "--dir", tree, "--json"] + LIMITS,
             varnoll_groups),
            ("jdupes -r", ["jdupes", "-r", "-q", tree], blank_line_groups),
            ("rdfind -dryrun true", ["rdfind", "-dryrun", "true", "-outputname", rd_out, tree],
             lambda _: rdfind_groups(rd_out)),
            ("fdupes -r", ["fdupes", "-r", "-q", tree], blank_line_groups),
        ],
        "space": [
            ("varnoll-scan", [scan, "space", "--dir", tree, "--json"] + LIMITS,
             lambda p: sorted((e["path"], e["bytes"]) for e in varnoll_json(p)["entries"])),
            ("du -sbl", ["du", "-sbl"] + children,
             lambda p: sorted((l.split("\t", 1)[1], int(l.split("\t", 1)[0]))
                              for l in open(p, encoding="utf-8", errors="surrogateescape").read().splitlines())),
        ],
        "largeFiles": [
            ("varnoll-scan", [scan, "largeFiles", "--dir", tree, "--min-mb", str(LARGE_MB), "--json"] + LIMITS,
             lambda p: sorted(e["path"] for e in varnoll_json(p)["entries"])),
            (f"find -size +{LARGE_MB * 1048576 - 1}c",
             ["find", tree, "-type", "f", "-size", f"+{LARGE_MB * 1048576 - 1}c"],
             lambda p: sorted(open(p, encoding="utf-8", errors="surrogateescape").read().splitlines())),
        ],
    }

    load_before = os.getloadavg()
    rows = []
    for kind, tools in kinds.items():
        answers = []
        for name, cmd, parse in tools:  # also the warm-up round
            out = os.path.join(work, "check.out")
            run(cmd, out)
            answer = parse(out)
            if kind == "duplicates":
                answer = normal_groups(answer)
            answers.append(answer)
        same = all(a == answers[0] for a in answers)
        detail = ""
        if kind == "duplicates":
            detail = f"{len(answers[0])} groups, {sum(len(g) for g in answers[0])} inodes"
        elif kind == "space":
            detail = f"{len(answers[0])} children, {sum(b for _, b in answers[0])} bytes"
        else:
            detail = f"{len(answers[0])} files"
        if not same:
            for (name, _, _), a in zip(tools, answers):
                print(f"MISMATCH {kind} {name}: {len(a)} items", file=sys.stderr)
        walls = {name: [] for name, _, _ in tools}
        rsss = {name: [] for name, _, _ in tools}
        cpus = {name: [] for name, _, _ in tools}
        for r in range(rounds):
            order = tools[r % len(tools):] + tools[:r % len(tools)]
            for name, cmd, _ in order:
                w, m, c = run(cmd, os.path.join(work, "timed.out"))
                walls[name].append(w)
                rsss[name].append(m)
                cpus[name].append(c)
        ours = statistics.median(walls["varnoll-scan"])
        peers = {n: statistics.median(w) for n, w in walls.items() if n != "varnoll-scan"}
        fastest = min(peers.values())
        for name, _, _ in tools:
            med = statistics.median(walls[name])
            rows.append((kind, name, med, statistics.median(cpus[name]), statistics.median(rsss[name]) / 1024,
                         ours / med if name != "varnoll-scan" else ours / fastest, same, detail))
    print(f"load average before: {load_before}, after: {os.getloadavg()}")
    print()
    print("| kind | tool | median wall (s) | median CPU (s) | peak RSS (MiB) | varnoll ÷ tool (wall) | same answer | answer |")
    print("|---|---|---:|---:|---:|---:|---|---|")
    for kind, name, wall, cpu, rss, ratio, same, detail in rows:
        ratio_text = f"{ratio:.2f}" if name != "varnoll-scan" else f"{ratio:.2f} of fastest"
        print(f"| {kind} | {name} | {wall:.3f} | {cpu:.2f} | {rss:.1f} | {ratio_text} | {'yes' if same else 'NO'} | {detail} |")


if __name__ == "__main__":
    main()
