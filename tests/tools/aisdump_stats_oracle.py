#!/usr/bin/env python3
"""Checks the counts of aisdump --stats against gpsdecode (an independent AIS decoder, used
only as an oracle) on a recorded stream with no repeated messages.

usage: aisdump_stats_oracle.py AISDUMP CORPUS_DIR

gpsdecode runs with -s so that it reports each part of a message 24 as it comes, as we
count it. Exit codes: 0 agree, 1 mismatch, 77 skipped (gpsdecode or the corpus missing).
"""

import collections
import json
import os
import shutil
import subprocess
import sys

STREAM = "rx-netherlands-rmc-vdm.log"


def main():
    aisdump, corpus = sys.argv[1], sys.argv[2]
    path = os.path.join(corpus, STREAM)
    if shutil.which("gpsdecode") is None or not os.path.exists(path):
        print("skipped: gpsdecode or the corpus is missing")
        return 77

    ours = json.loads(subprocess.run([aisdump, "--stats", path], check=True, capture_output=True,
                                     text=True).stdout.splitlines()[-1])
    figures = ours["sources"][path]
    if figures["duplicates"] != 0:
        print(f"the stream now holds repeated messages ({figures['duplicates']}): choose another")
        return 1

    with open(path, "rb") as f:
        raw = f.read()
    decoded = subprocess.run(["gpsdecode", "-s", "-j"], input=raw, check=True, capture_output=True).stdout
    messages = collections.Counter()
    binary = collections.Counter()
    for line in decoded.decode("utf-8", "replace").splitlines():
        m = json.loads(line)
        if m.get("class") != "AIS":
            continue
        messages[str(m["type"])] += 1
        if m["type"] in (6, 8):
            binary[f'{m["type"]}/{m["dac"]}/{m["fid"]}'] += 1

    ok = True
    for name, theirs, mine in (("messages", messages, ours["messages"]), ("binary", binary, ours["binary"])):
        if dict(theirs) != mine:
            print(f"{name}: gpsdecode {dict(sorted(theirs.items()))} aisdump {mine}")
            ok = False
    if sum(ours["messages"].values()) != figures["messages"]:
        print(f"messages by number add up to {sum(ours['messages'].values())}, not {figures['messages']}")
        ok = False
    print("agree" if ok else "differ")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
