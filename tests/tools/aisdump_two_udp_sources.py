#!/usr/bin/env python3
"""Two receivers at once, end to end: a recorded coastal stream cut in two halves, the halves
sent at the same time to two UDP sources of one aisdump on 127.0.0.1. Every station's static
record must be the one its half gives alone (a message joined from the head of one
receiver's message and the tail of the other's would give a record of neither), and each
station must be listed under the source(s) that carried it.

Each half goes in datagrams of at least 4 KiB, each ending just after the first fragment of
a message: aisdump takes at most 4 KiB from a source in one sweep, so the sweeps alternate
between the sources, and the other half's lines come between the fragments of a message.

Usage: aisdump_two_udp_sources.py AISDUMP CORPUS_DIR     (exit 77: no corpus)
"""
import json
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import aismon_e2e as base  # noqa: E402

STREAM = "rx-mixed-type6.log"
# Its first lines, so that the two halves' stations together stay within the table (about
# 870 of 1,024; the whole stream has more).
STREAM_LINES = 1200
# The fields of the static record that identify a station and its voyage.
IDENTITY = ("Imo", "Type", "AntA", "AntB", "AntC", "AntD", "Sign", "Name", "Dest", "Draught",
            "EtaMM", "EtaDD", "EtaHH", "EtaMN", "Vendor", "Aids", "Name1", "Name2")

def parse(out):
    """Stations (MMSI -> (identity, sources)) and the counters' sources of aisdump's output."""
    stations, counters = {}, None
    for line in out.splitlines():
        o = json.loads(line)
        if "counters" in o:
            counters = o["counters"]
        elif o["index"] >= 1:
            s = o["static"]
            stations[o["dynamic"]["MMSI"]] = (tuple(s[f] for f in IDENTITY), o["sources"])
    return stations, counters["sources"]


def alone(aisdump, work, name, lines):
    path = os.path.join(work, name)
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    out = subprocess.run([aisdump, name], cwd=work, capture_output=True, text=True, check=True).stdout
    return parse(out)[0]


def datagrams(lines):
    out, block, size = [], [], 0
    for line in lines:
        block.append(line)
        size += len(line) + 2
        f = line.split(",")
        first_fragment = len(f) > 2 and f[0][3:6] == "VDM" and f[1] not in ("", "1") and f[2] == "1"
        if size >= 4096 and first_fragment:
            out.append(block)
            block, size = [], 0
    if block:
        out.append(block)
    return [("".join(l + "\r\n" for l in b)).encode("latin-1") for b in out]


def together(aisdump, halves):
    ports = [base.free_udp_port(), base.free_udp_port()]
    names = ["udp:127.0.0.1:%d" % p for p in ports]
    args = [aisdump]
    for n in names:
        args += ["--source", n]
    # The time limit only guards against a hang; the run ends when told, after the last line.
    proc = subprocess.Popen(args + ["--exit-after-ms", "120000"], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)
    try:
        deadline = time.monotonic() + 60
        while not all(base.port_taken(p) for p in ports):
            if proc.poll() is not None or time.monotonic() > deadline:
                base.check(False, "aisdump listens on UDP ports %s" % ports)
                return None
            time.sleep(0.05)
        sender = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        grams = [datagrams(h) for h in halves]
        for i in range(max(len(g) for g in grams)):
            for g, port in zip(grams, ports):
                if i < len(g):
                    sender.sendto(g[i], ("127.0.0.1", port))
        sender.close()
        # Datagrams sent on the loopback are queued at once: aisdump reads all that wait
        # before it stops at the signal.
        proc.send_signal(signal.SIGTERM)
        out, err = proc.communicate(timeout=60)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.communicate()
    if not base.check(proc.returncode == 0, "aisdump ends normally: %s" % err):
        return None
    stations, figures = parse(out)
    return names, stations, figures


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    aisdump = os.path.abspath(sys.argv[1])
    stream = os.path.join(sys.argv[2], STREAM)
    if not os.path.exists(stream):
        print("skipped: %s is missing" % stream)
        return 77
    with open(stream, encoding="latin-1") as f:
        lines = [l.strip() for l in f if l.startswith(("!", "$"))][:STREAM_LINES]
    middle = len(lines) // 2
    halves = [lines[:middle], lines[middle:]]

    work = tempfile.mkdtemp(prefix="aisdump-two-sources-")
    try:
        first = alone(aisdump, work, "first.nmea", halves[0])
        second = alone(aisdump, work, "second.nmea", halves[1])
        result = together(aisdump, halves)
    finally:
        for name in ("first.nmea", "second.nmea"):
            if os.path.exists(os.path.join(work, name)):
                os.remove(os.path.join(work, name))
        os.rmdir(work)
    if result is None:
        return 1
    names, stations, figures = result

    for name, half in zip(names, halves):
        got = figures.get(name, {}).get("sentences")
        base.check(got == len(half), "%s took all %d lines of its half (took %s)" % (name, len(half), got))
    base.check(set(stations) == set(first) | set(second),
          "the same stations as the two halves alone: %d, %d and %d" % (len(stations), len(first), len(second)))
    spliced = 0
    for mmsi, (identity, sources) in sorted(stations.items()):
        # Field by field: a station's message 24 part A may be in one half and part B in
        # the other, and together they make one record.
        alone_records = [h[mmsi][0] for h in (first, second) if mmsi in h]
        wrong = [f for k, f in enumerate(IDENTITY) if identity[k] not in [r[k] for r in alone_records]]
        if wrong:
            spliced += 1
            if spliced <= 5:
                print("MMSI %d: %s differ: %r, alone: %r" % (mmsi, ", ".join(wrong), identity, alone_records))
        # A station its half alone holds was heard by that half's source (a station may also
        # be heard by the other half's messages that make no station of their own).
        heard_by = [n for n, h in zip(names, (first, second)) if mmsi in h]
        base.check(set(heard_by) <= set(sources) <= set(names), "MMSI %d is listed under %s (%s)" % (mmsi, heard_by, sources))
    base.check(spliced == 0, "%d of %d stations have a static record neither half gives alone" % (spliced, len(stations)))
    named = sum(1 for identity, _ in stations.values() if identity[IDENTITY.index("Name")].strip())
    base.check(named > 50, "enough named stations to tell (%d)" % named)

    if base.FAILURES:
        print("%d base.check(s) failed" % len(base.FAILURES))
        return 1
    print("two UDP sources: %d stations, %d named, records as each half gives them" % (len(stations), named))
    return 0


if __name__ == "__main__":
    sys.exit(main())
