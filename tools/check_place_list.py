#!/usr/bin/env python3
"""Checks the built-in place-name list against the GSHHG coastline (developer tool).

    tools/check_place_list.py [LIST] [--overlaps] [--full WEST/EAST/SOUTH/NORTH|none]

LIST defaults to src/app/memo_chimei.inc (the raw string literal is unwrapped) and may
also be a plain list file. Needs GMT with the GSHHG coastline (packages gmt,
gmt-gshhg-high and gmt-gshhg-full). The shoreline is the one the tiles are made of: full
resolution inside the --full box (default 126/146/30/46, as the build makes them), high
resolution outside it; --full none checks against the high resolution everywhere. Prints every failing entry with the reason and ends
with a summary; the exit status is 1 when anything failed.

Rules, by the kind code of field 5 and the romanised name of field 7:
  - kind 2 (seas, bays, straits): the point lies in water.
  - mountains ("Mt." at the start of field 7): on land, at least 0.5 km from the shore.
  - everything else (settlements, ports, capes, islands): on land, or in the water within
    3 km of a shore (GSHHG lacks some islets).
    The airports on islands reclaimed after the coastline was surveyed (RECLAIMED) may lie
    up to 7 km out instead.
  - capes and ports besides: within 2 km (capes) or 3 km (ports) of the shore, so that a
    cape or harbour put well inland is caught too.
  - format: "P" lines of nine fields, level 0-5, kind 1/2/9, position within 20-60N
    120-160E, a name of at most 30 Shift-JIS bytes, no same name twice within 1 km.

--overlaps also lists the names that would cover each other at the coarsest scale of
each level, to help choose levels. Scales are metres per pixel of the double-size work
bitmap, where a name is 24 pixels high and 12 wide per Shift-JIS byte.
"""
import argparse
import math
import os
import re
import subprocess
import sys

REGION = (120.0, 160.0, 20.0, 60.0)  # west, east, south, north
SHORE_KM = 3.0
CAPE_KM = 2.0
MOUNTAIN_KM = 0.5
DUPLICATE_KM = 1.0
CELL = 0.1  # degrees, coastline index cell
# The coarsest metres per pixel at which each level is on screen (nameLevel thresholds).
LEVEL_MPP = [1500.0, 1499.9, 749.9, 374.9, 186.9, 92.9]
KM_PER_DEG = 111.195
# Airports on reclaimed islands that GSHHG does not have yet: they stand in open water on
# its coastline, as far out as the island lies.
RECLAIMED = {"関西国際空港": 7.0, "神戸空港": 7.0, "中部国際空港": 7.0}
CAPE_NAME = re.compile(r"(岬|埼|崎|碕|鼻|角)$")


class Entry:
    def __init__(self, line_no, text, fields):
        self.line_no = line_no
        self.text = text
        self.lat = float(fields[1])
        self.lon = float(fields[2])
        self.level = int(fields[4])
        self.kind = int(fields[5])
        self.name = fields[6]
        self.roman = fields[7]
        self.country = fields[8]

    def is_mountain(self):
        return self.roman.startswith("Mt.")

    def is_cape(self):
        return self.kind == 9 and (self.roman.startswith("Cape") or bool(CAPE_NAME.search(self.name)))

    def is_port(self):
        return self.kind == 1 and (self.name.endswith("港") or "Port" in self.roman)


def list_lines(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    m = re.search(r'R"(\w*)\((.*)\)\1"', text, re.S)
    if m:
        text = m.group(2)
    return text.split("\n")


def parse(path, failures):
    entries = []
    for no, raw in enumerate(list_lines(path), 1):
        line = raw.rstrip("\r")
        if not line or line.startswith("//"):
            continue
        fields = line.split(",")
        if fields[0] != "P":
            failures.append((no, line, "not a P line"))
            continue
        if len(fields) != 9:
            failures.append((no, line, f"{len(fields)} fields, want 9"))
            continue
        try:
            e = Entry(no, line, fields)
        except ValueError as err:
            failures.append((no, line, f"bad number: {err}"))
            continue
        problems = []
        if not (REGION[2] <= e.lat <= REGION[3] and REGION[0] <= e.lon <= REGION[1]):
            problems.append("outside 20-60N 120-160E")
        if not 0 <= e.level <= 5 or fields[4] != str(e.level):
            problems.append("level not a whole number 0-5")
        if e.kind not in (1, 2, 9):
            problems.append("kind not 1, 2 or 9")
        try:
            size = len(e.name.encode("cp932"))
        except UnicodeEncodeError:
            size = 999
            problems.append("name not encodable in Shift-JIS")
        if not e.name or size > 30:
            problems.append(f"name of {size} bytes, want 1-30")
        if not e.roman or not e.country:
            problems.append("empty romanised name or country")
        for p in problems:
            failures.append((no, line, p))
        entries.append(e)
    return entries


def local_km(lat0, lon0, lat, lon):
    c = math.cos(math.radians(lat0))
    return math.hypot((lat - lat0) * KM_PER_DEG, (lon - lon0) * KM_PER_DEG * c)


def run_gmt(args, stdin=None):
    return subprocess.run(["gmt"] + args, input=stdin, capture_output=True, text=True, check=True).stdout


def in_box(box, lat, lon):
    return box is not None and box[0] <= lon < box[1] and box[2] <= lat < box[3]


def coast_segments(box):
    """Shoreline pieces of every level (sea, lake, island-in-lake, pond) as point lists."""
    high = [seg for seg in gmt_segments(REGION, "h")
            if not in_box(box, sum(p[0] for p in seg) / len(seg), sum(p[1] for p in seg) / len(seg))]
    return high + (gmt_segments(box, "f") if box is not None else [])


def gmt_segments(region, resolution):
    w, e, s, n = region
    out = run_gmt(["coast", f"-R{w}/{e}/{s}/{n}", f"-D{resolution}", "-A0", "-W", "-M"])
    segments, cur = [], []
    for line in out.splitlines():
        if line.startswith(">"):
            if len(cur) > 1:
                segments.append(cur)
            cur = []
            continue
        parts = line.split()
        if len(parts) >= 2:
            cur.append((float(parts[1]), float(parts[0])))  # lat, lon
    if len(cur) > 1:
        segments.append(cur)
    return segments


class ShoreIndex:
    def __init__(self, segments):
        self.cells = {}
        for seg in segments:
            for a, b in zip(seg, seg[1:]):
                for cy in range(self._c(min(a[0], b[0])), self._c(max(a[0], b[0])) + 1):
                    for cx in range(self._c(min(a[1], b[1])), self._c(max(a[1], b[1])) + 1):
                        self.cells.setdefault((cy, cx), []).append((a, b))

    @staticmethod
    def _c(v):
        return int(math.floor(v / CELL))

    def distance_km(self, lat, lon, limit_km=60.0):
        """Distance to the nearest shoreline edge, measured in a local flat metric."""
        c = math.cos(math.radians(lat))
        best = math.inf
        reach = 0
        max_reach = int(limit_km / (KM_PER_DEG * CELL * max(c, 0.3))) + 1
        cy0, cx0 = self._c(lat), self._c(lon)
        while reach <= max_reach:
            ring = [(cy0 + dy, cx0 + dx) for dy in range(-reach, reach + 1) for dx in range(-reach, reach + 1)
                    if max(abs(dy), abs(dx)) == reach]
            for cell in ring:
                for a, b in self.cells.get(cell, ()):
                    ay, ax = (a[0] - lat) * KM_PER_DEG, (a[1] - lon) * KM_PER_DEG * c
                    by, bx = (b[0] - lat) * KM_PER_DEG, (b[1] - lon) * KM_PER_DEG * c
                    dy, dx = by - ay, bx - ax
                    len2 = dx * dx + dy * dy
                    t = 0.0 if len2 == 0 else max(0.0, min(1.0, -(ax * dx + ay * dy) / len2))
                    best = min(best, math.hypot(ax + t * dx, ay + t * dy))
            # Every edge in a further ring is at least reach*cell away.
            if best <= reach * CELL * KM_PER_DEG * c:
                break
            reach += 1
        return best


def land_flags(entries, box):
    """True for points on land (islands in lakes included), false in the sea, lakes, ponds."""
    on_land = set()
    for resolution in "hf":
        text = "".join(f"{e.lon} {e.lat} {i}\n" for i, e in enumerate(entries)
                       if in_box(box, e.lat, e.lon) == (resolution == "f"))
        if not text:
            continue
        w, e, s, n = REGION
        out = run_gmt(["select", f"-R{w}/{e}/{s}/{n}", f"-D{resolution}", "-A0", "-Ns/k/s/k/s"], stdin=text)
        for line in out.splitlines():
            parts = line.split()
            if len(parts) >= 3:
                on_land.add(int(float(parts[2])))
    return [i in on_land for i in range(len(entries))]


def coast_failures(entries, failures, box):
    land = land_flags(entries, box)
    index = ShoreIndex(coast_segments(box))
    for e, on_land in zip(entries, land):
        d = index.distance_km(e.lat, e.lon)
        where = f"{'land' if on_land else 'water'}, {d:.2f} km from the shore"
        if e.kind == 2:
            if on_land:
                failures.append((e.line_no, e.text, f"water name on land ({where})"))
            continue
        if e.is_mountain():
            if not on_land or d < MOUNTAIN_KM:
                failures.append((e.line_no, e.text, f"mountain not on land {MOUNTAIN_KM} km from the shore ({where})"))
            continue
        reach = RECLAIMED.get(e.name, SHORE_KM)
        if not on_land and d > reach:
            failures.append((e.line_no, e.text, f"in the water more than {reach} km from a shore ({where})"))
        if e.is_cape() and d > CAPE_KM:
            failures.append((e.line_no, e.text, f"cape more than {CAPE_KM} km from the shore ({where})"))
        if e.is_port() and d > SHORE_KM:
            failures.append((e.line_no, e.text, f"port more than {SHORE_KM} km from the shore ({where})"))


def duplicate_failures(entries, failures):
    by_name = {}
    for e in entries:
        by_name.setdefault(e.name, []).append(e)
    for same in by_name.values():
        for i, a in enumerate(same):
            for b in same[i + 1:]:
                if local_km(a.lat, a.lon, b.lat, b.lon) < DUPLICATE_KM:
                    failures.append((b.line_no, b.text, f"same name as line {a.line_no} within {DUPLICATE_KM} km"))


def report_overlaps(entries):
    """Pairs of names whose screen boxes meet at the coarsest scale of the finer one's level."""
    total = 0
    for level, mpp in enumerate(LEVEL_MPP):
        shown = [(e, len(e.name.encode("cp932")) * 12) for e in entries if e.level <= level]
        pairs = []
        for i, (a, aw) in enumerate(shown):
            for b, bw in shown[i + 1:]:
                if a.level != level and b.level != level:
                    continue
                dy = abs(a.lat - b.lat) * KM_PER_DEG * 1000 / mpp
                if dy >= 24:
                    continue
                c = math.cos(math.radians((a.lat + b.lat) / 2))
                dx = abs(a.lon - b.lon) * KM_PER_DEG * 1000 * c / mpp
                if dx < (aw + bw) / 2:
                    pairs.append((a, b))
        print(f"level {level} at {mpp} m/px: {len(shown)} names, {len(pairs)} overlapping pairs")
        for a, b in pairs:
            print(f"    {a.name}({a.level}) / {b.name}({b.level})")
        total += len(pairs)
    print(f"overlapping pairs in all: {total}")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("list", nargs="?", default=os.path.join(here, "..", "src", "app", "memo_chimei.inc"))
    ap.add_argument("--overlaps", action="store_true", help="also list names that cover each other")
    ap.add_argument("--full", default="126/146/30/46", help="the full-resolution box, or none")
    args = ap.parse_args()
    box = None if args.full == "none" else tuple(float(v) for v in args.full.split("/"))

    failures = []
    entries = parse(args.list, failures)
    duplicate_failures(entries, failures)
    coast_failures(entries, failures, box)
    for no, line, why in sorted(failures):
        print(f"line {no}: {why}: {line}")
    levels = [sum(1 for e in entries if e.level == lv) for lv in range(6)]
    print(f"{len(entries)} places (levels 0-5: {' '.join(map(str, levels))}), "
          f"{len(failures)} failures")
    if args.overlaps:
        report_overlaps(entries)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
