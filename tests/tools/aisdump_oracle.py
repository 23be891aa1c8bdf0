#!/usr/bin/env python3
"""Compares the ship table that aisdump builds from each corpus file with what gpsdecode
(an independent AIS decoder, used here only as an oracle) decodes from the same sentences.

usage: aisdump_oracle.py AISDUMP CORPUS_DIR

Exit codes: 0 all stations agree, 1 a mismatch or a tool failure, 77 skipped (gpsdecode not
installed or no corpus folder).
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
MAX_LISTED = 25  # mismatches printed per file

# Our intake refuses a sentence of this many characters or more.
MAX_SENTENCE = 128

# Our table's dynamic entries, entry 0 being own ship.
TABLE_ENTRIES = 1024

# Message numbers our decoder stores in the table; gpsdecode reports every other number too.
DECODED_TYPES = {1, 2, 3, 4, 5, 9, 18, 19, 21, 24, 27}

# Field name in this test (gpsdecode's where it has one) -> (object, key) in aisdump's JSON.
# The table keeps the values as received: position in 1/10000 minute, speed in tenths of a
# knot, course in tenths of a degree, heading in degrees. gpsdecode runs unscaled (-u) so
# that it reports the same numbers.
OUR_FIELDS = {
    "lat": ("dynamic", "RawLat"),
    "lon": ("dynamic", "RawLon"),
    "sog": ("dynamic", "RawSog"),
    "cog": ("dynamic", "RawCog"),
    "hdg": ("dynamic", "RawHdg"),
    "raim": ("dynamic", "RawRaim"),
    "shiptype": ("static", "Type"),
    "to_bow": ("static", "AntA"),
    "to_stern": ("static", "AntB"),
    "to_port": ("static", "AntC"),
    "to_starboard": ("static", "AntD"),
    "imo": ("static", "Imo"),
    "callsign": ("static", "Sign"),
    "shipname": ("static", "Name"),
    "aidname": ("static", ("Name1", "Name2")),  # the name and its extension, joined
}
TEXT_FIELDS = {"callsign", "shipname", "aidname"}
DIMENSIONS = ("to_bow", "to_stern", "to_port", "to_starboard")

# Sentinels our decoder stores where a message carries no such value.
NO_SOG = 1023
NO_COG = 3600
NO_HDG = 511

# Message numbers whose RAIM flag we store (the others leave it as it was).
RAIM_TYPES = {1, 2, 3, 4, 9, 18, 19, 21, 27}


def nmea_checksum_ok(sentence):
    """True for "!...*HH" or "$...*HH" whose HH is the XOR of the characters between."""
    star = sentence.rfind("*")
    if star < 1 or len(sentence) != star + 3:
        return False
    try:
        given = int(sentence[star + 1:], 16)
    except ValueError:
        return False
    total = 0
    for ch in sentence[1:star]:
        total ^= ord(ch)
    return total == given


def filter_corpus(path):
    """The lines both tools are fed, and a note of what was left out and why.

    Kept: well-formed sentences (starting with "!" or "$") whose checksum is right and that
    are shorter than our limit. Our intake never checks checksums and refuses long lines,
    while gpsdecode drops bad checksums; feeding only lines both accept keeps the two
    tables built from the same messages. Trailing blanks after the checksum are cut.
    Other NMEA sentences (RMC, GGA, ...) stay: neither tool takes a station from them.
    VDO sentences are left out: they describe own ship, which our table keeps in entry 0
    (and aisdump ignores them unless --vdo), whereas gpsdecode decodes them as any station.
    """
    kept = []
    dropped = {"checksum": 0, "length": 0, "vdo": 0}
    with open(path, encoding="latin-1", newline="") as f:
        for raw in f:
            line = raw.rstrip("\r\n").rstrip(" \t")
            if not line or line[0] not in "!$":
                continue
            if not nmea_checksum_ok(line):
                dropped["checksum"] += 1
                continue
            if len(line) >= MAX_SENTENCE:
                dropped["length"] += 1
                continue
            if line.startswith("!") and line[3:6] == "VDO":
                dropped["vdo"] += 1
                continue
            kept.append(line)
    return kept, dropped


def normalise_text(s):
    """Text as both tools should agree on it: gpsdecode shows six-bit character 28 as a
    backslash where we show "|", and pads with "@" or blanks where we keep blanks."""
    return s.replace("\\", "|").replace("@", " ").rstrip(" ")


def cut_at_at_sign(ours, theirs):
    """True when gpsdecode's text is ours cut short at a blank that stood for "@".

    gpsdecode ends a text at its first "@", even when other characters follow it (a call
    sign sent as "@@J130B" comes out empty), while we turn every "@" into a blank and keep
    the rest. All gpsdecode shows must then be the start of ours, followed by that blank;
    what follows the cut cannot be checked against it.
    """
    return len(theirs) < len(ours) and ours.startswith(theirs) and ours[len(theirs)] == " "


def run(cmd, stdin_text=None):
    r = subprocess.run(cmd, input=stdin_text, capture_output=True, text=True,
                       encoding="latin-1")
    return r


def expected_table(records):
    """Per MMSI, the value each field should hold after gpsdecode's reports, in order.

    Our table keeps one entry per MMSI and a message updates only the fields it carries,
    so each field ends with the value of the last message of that MMSI that sets it.
    A value of None means the field was set by a message whose value we cannot check.
    """
    table = {}
    fine = set()  # MMSIs a fine position report came from
    for r in records:
        t = r.get("type")
        if t not in DECODED_TYPES:
            continue
        if t == 27 and r["mmsi"] in fine:
            # A long-range report stands aside for 10 minutes after a fine one; aisdump
            # reads a whole corpus file in far less time than that.
            continue
        if t in (1, 2, 3, 18, 19):
            fine.add(r["mmsi"])
        try:
            expect_record(table, t, r)
        except KeyError as exc:
            raise RuntimeError("gpsdecode report without %s: %s" % (exc, json.dumps(r)[:200]))
    return table


def expect_record(table, t, r):
    """Applies one gpsdecode report of message number t to the expected table."""
    mmsi = r["mmsi"]
    e = table.setdefault(mmsi, {})
    if t in (1, 2, 3, 18, 19):
        e.update(lat=r["lat"], lon=r["lon"], sog=r["speed"], cog=r["course"],
                 hdg=r["heading"])
    elif t == 9:
        # Search-and-rescue aircraft report speed in whole knots and no heading.
        e.update(lat=r["lat"], lon=r["lon"], sog=r["speed"], cog=r["course"], hdg=NO_HDG)
    elif t == 27:
        # Long-range reports: position in 1/10 minute, speed in knots, course in degrees.
        e.update(lat=r["lat"] * 1000, lon=r["lon"] * 1000,
                 sog=NO_SOG if r["speed"] == 63 else r["speed"] * 10,
                 cog=NO_COG if r["course"] >= 360 else r["course"] * 10, hdg=NO_HDG)
    elif t in (4, 21):
        # Base stations and aids to navigation do not move: we store "not available".
        e.update(lat=r["lat"], lon=r["lon"], sog=NO_SOG, cog=NO_COG, hdg=NO_HDG)
    if t in RAIM_TYPES:
        e["raim"] = int(r["raim"])
    if t == 5:
        e.update(imo=r["imo"], callsign=r["callsign"], shipname=r["shipname"],
                 shiptype=r["shiptype"])
        e.update({d: r[d] for d in DIMENSIONS})
    elif t == 19:
        # Class B extended reports carry no IMO number; we store 0.
        e.update(imo=0, shipname=r["shipname"], shiptype=r["shiptype"])
        e.update({d: r[d] for d in DIMENSIONS})
    elif t == 21:
        # We keep the first 20 characters of an aid's name in Name1 and the extension
        # apart in Name2; gpsdecode joins them in "name".
        e.update(aidname=r["name"])
        e.update({d: r[d] for d in DIMENSIONS})
    elif t == 24:
        # gpsdecode reports part A alone, part B alone, or (when it still holds the
        # part A of that MMSI) part B merged with the earlier name. Only the part that
        # just arrived sets fields, as in our table.
        part = r.get("part")
        if part == "A":
            e.update(shipname=r["shipname"])
        elif part == "B" or (part is None and "callsign" in r):
            e.update(shiptype=r["shiptype"], callsign=r["callsign"])
            if 980000000 <= mmsi <= 989999999:
                # An auxiliary craft's part B carries its mother ship's MMSI where
                # gpsdecode then reports no dimensions; we read the same bits as
                # dimensions anyway, so there is nothing to compare them with.
                e.update({d: None for d in DIMENSIONS})
            else:
                e.update({d: r[d] for d in DIMENSIONS})


def gpsdecode_records(gpsdecode, lines):
    """gpsdecode's reports for the lines, unscaled and with the two parts of a class B
    static report kept apart where it can."""
    g = run([gpsdecode, "-u", "-s", "-j"], "".join(line + "\r\n" for line in lines))
    if g.returncode != 0:
        raise RuntimeError("gpsdecode failed (%d): %s" % (g.returncode, g.stderr.strip()[:300]))
    records = []
    for out in g.stdout.splitlines():
        if not out.startswith("{"):
            continue
        try:
            records.append(json.loads(out))
        except ValueError as exc:
            raise RuntimeError("gpsdecode output is not JSON (%s): %s" % (exc, out[:200]))
    return records


def quiet_points(lines):
    """Indexes at which a feed may be cut without splitting a multi-sentence message."""
    points = []
    pending = False
    for i, line in enumerate(lines):
        if not pending:
            points.append(i)
        if line.startswith("!") and line[3:6] == "VDM":
            f = line.split(",")
            pending = len(f) > 2 and f[1] != f[2] and f[1] not in ("", "1")
    return points


def split_to_fit(gpsdecode, lines):
    """Cuts the feed into pieces of at most TABLE_ENTRIES - 1 stations each, with their
    gpsdecode reports.

    When the table is full our program reuses the entry heard from longest ago, so a
    recording with more stations than entries loses its early stations by design. Each
    piece is fed to both tools on its own, so every station stays in the table.
    """
    records = gpsdecode_records(gpsdecode, lines)
    if len(expected_table(records)) <= TABLE_ENTRIES - 1:
        return [(lines, records)]
    points = [p for p in quiet_points(lines) if 0 < p < len(lines)]
    if not points:
        raise RuntimeError("too many stations and no place to cut the feed")
    middle = min(points, key=lambda p: abs(p - len(lines) // 2))
    return split_to_fit(gpsdecode, lines[:middle]) + split_to_fit(gpsdecode, lines[middle:])


def compare_piece(aisdump, lines, records, feed, home):
    """Runs aisdump on one piece and compares its table with gpsdecode's reports."""
    with open(feed, "w", encoding="latin-1", newline="") as f:
        f.write("".join(line + "\r\n" for line in lines))
    expected = expected_table(records)

    a = run([aisdump, "--home", home, feed])
    if a.returncode != 0:
        raise RuntimeError("aisdump failed (%d): %s" % (a.returncode, a.stderr.strip()[:300]))
    problems = []
    notes = []
    ours = {}
    for out in a.stdout.splitlines():
        if not out.startswith("{"):
            continue
        try:
            obj = json.loads(out)
        except ValueError as exc:
            raise RuntimeError("aisdump output is not JSON (%s): %s" % (exc, out[:200]))
        # Entry 0 is own ship (placed under a reserved MMSI by --home), not a station.
        if "index" not in obj or obj["index"] == 0:
            continue
        mmsi = obj["dynamic"]["MMSI"]
        if mmsi in ours:
            problems.append((mmsi, "entry", "index %d" % ours[mmsi]["index"],
                             "index %d too" % obj["index"]))
        ours[mmsi] = obj

    counts = {}
    for mmsi in sorted(set(expected) | set(ours)):
        if mmsi not in ours:
            problems.append((mmsi, "station", "missing", "decoded"))
            continue
        if mmsi not in expected:
            problems.append((mmsi, "station", "present", "not decoded"))
            continue
        for field, want in sorted(expected[mmsi].items()):
            if want is None:
                continue
            part, key = OUR_FIELDS[field]
            got = ours[mmsi][part]
            got = "".join(got[k] for k in key) if isinstance(key, tuple) else got[key]
            if field in TEXT_FIELDS:
                got, want = normalise_text(got), normalise_text(want)
                if got != want and cut_at_at_sign(got, want):
                    notes.append((mmsi, field, got, want))
                    continue
            counts[field] = counts.get(field, 0) + 1
            if got != want:
                problems.append((mmsi, field, got, want))
    return len(expected), counts, problems, notes


def compare_file(aisdump, gpsdecode, name, path, work):
    lines, stats = filter_corpus(path)
    stats["lines"] = len(lines)
    pieces = split_to_fit(gpsdecode, lines)
    stats["pieces"] = len(pieces)
    stats["stations"] = 0
    counts = {}
    problems = []
    notes = []
    for n, (piece, records) in enumerate(pieces):
        home = tempfile.mkdtemp(prefix="home-", dir=work)
        feed = os.path.join(work, "%s.%d.filtered" % (name, n))
        stations, piece_counts, piece_problems, piece_notes = compare_piece(
            aisdump, piece, records, feed, home)
        notes += piece_notes
        stats["stations"] += stations
        for field, c in piece_counts.items():
            counts[field] = counts.get(field, 0) + c
        problems += piece_problems
    stats["fields"] = sum(counts.values())
    stats["by_field"] = counts
    stats["notes"] = notes
    return stats, problems


def main(argv):
    if len(argv) != 3:
        print("usage: aisdump_oracle.py AISDUMP CORPUS_DIR", file=sys.stderr)
        return 2
    aisdump, corpus = argv[1], argv[2]
    gpsdecode = shutil.which("gpsdecode")
    if gpsdecode is None:
        print("gpsdecode is not installed (package gpsd-clients): skipped")
        return SKIP
    if not os.path.isdir(corpus):
        print("no corpus folder at %s: skipped" % corpus)
        return SKIP
    names = sorted(n for n in os.listdir(corpus)
                   if os.path.isfile(os.path.join(corpus, n)) and not n.endswith(".md"))
    if not names:
        print("corpus folder %s holds no recordings: skipped" % corpus)
        return SKIP

    failed = False
    total_fields = 0
    with tempfile.TemporaryDirectory(prefix="aisdump-oracle-") as work:
        for name in names:
            try:
                stats, problems = compare_file(aisdump, gpsdecode, name,
                                               os.path.join(corpus, name), work)
            except RuntimeError as exc:
                print("%s: ERROR %s" % (name, exc))
                failed = True
                continue
            total_fields += stats["fields"]
            print("%s: %d lines fed in %d piece(s) (left out: %d bad checksum, %d too long, "
                  "%d VDO); %d stations, %d fields compared, "
                  "%d texts compared only up to an \"@\", %d mismatches"
                  % (name, stats["lines"], stats["pieces"], stats["checksum"], stats["length"],
                     stats["vdo"], stats["stations"], stats["fields"],
                     len(stats["notes"]), len(problems)))
            print("  fields: " + ", ".join("%s %d" % (f, stats["by_field"].get(f, 0))
                                           for f in OUR_FIELDS))
            for mmsi, field, got, want in stats["notes"][:MAX_LISTED]:
                print("  note: MMSI %s %s: gpsdecode %r stops at an \"@\"; aisdump %r"
                      % (mmsi, field, want, got))
            for mmsi, field, got, want in problems[:MAX_LISTED]:
                print("  MMSI %s %s: aisdump %r, gpsdecode %r" % (mmsi, field, got, want))
            if len(problems) > MAX_LISTED:
                print("  ... %d more" % (len(problems) - MAX_LISTED))
            if problems:
                failed = True
    if total_fields == 0 and not failed:
        print("nothing compared: gpsdecode decoded no station in any recording")
        failed = True
    print("FAIL" if failed else "PASS")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
