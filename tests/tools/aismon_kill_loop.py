#!/usr/bin/env python3
"""Kill the live monitor during intake: aismon_kill_loop.py AISMON ROUNDS

Static reports of new stations go through a real pseudo-terminal into the running program,
one every 0.1 s, and the program is killed with SIGKILL, ROUNDS times on the same folder:
most rounds at a random moment within 2 s (a kill anywhere, often inside a save), every
fifth after 8 s. The settings file shortens the ship files' save period to about a second
(key ShipSaveSeconds of section Durability: the program's two minutes scaled down), so a
name sent more than 6 s before a kill (the period, the second step a second later, and a
wide margin for a loaded machine) must be in the saved files after it, as must every name
an earlier round saved: each restart loads the files and saves them again, so a file that
did not load loses them. The files must always be whole (their full size).

The program records the receive log from the start (--record): after each kill every
sentence sent more than 10 s before it must be in the log files, and every line there must
be whole (a time stamp, a tab, a sentence with a good checksum, CR LF). Every fifth round
runs long enough for that to require lines.
"""
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import aismon_e2e as e2e  # noqa: E402

LEARNT_BEFORE_KILL_S = 6.0
LOGGED_BEFORE_KILL_S = 10.0
LONG_ROUND_S = 14.0


def logged_sentences(data_dir):
    """The sentences of the receive log files, or a text naming the first torn line."""
    found = set()
    for name in sorted(os.listdir(data_dir)):
        if not (name.startswith("!AIS") and name.endswith(".txt")):
            continue
        data = open(os.path.join(data_dir, name), "rb").read()
        if data and not data.endswith(b"\r\n"):
            return "%s ends inside a line" % name
        for raw in data.split(b"\r\n")[:-1]:
            line = raw.decode("ascii", "replace")
            stamp, tab, sentence = line.partition("\t")
            body, star, checksum = sentence[1:].rpartition("*")
            ok = tab and stamp.endswith(":") and stamp[:-1].strip().isdigit() and sentence[:1] in "!$" and star
            if ok:
                x = 0
                for c in body:
                    x ^= ord(c)
                ok = checksum == "%02X" % x
            if not ok:
                return "%s holds a torn line: %r" % (name, line)
            found.add(sentence)
    return found


def station(n):
    return dict(mmsi=431500000 + n, name="KILL TEST %d" % n)


def saved_names(data_dir):
    path = os.path.join(data_dir, "@DbStatic3.bin")
    if not os.path.exists(path):
        return None
    size = os.path.getsize(path)
    if size != e2e.STATIC_RECORD * e2e.STATIC_ENTRIES:
        return "torn: %d bytes" % size
    _, records = e2e.static_records(path)
    return {mmsi: e2e.decode_static(recs[-1][1])["name"].strip() for mmsi, recs in records.items()}


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    aismon, rounds = os.path.abspath(sys.argv[1]), int(sys.argv[2])
    rng = random.Random(int(os.environ.get("KILL_SEED", "20261210")))
    work = tempfile.mkdtemp(prefix="aismon-kill-loop-")
    faults = []
    must_have = {}  # mmsi: name of every station that should be on the disk by now
    must_log = set()  # sentences that should be in the receive log by now
    sent = 0
    started = time.monotonic()
    try:
        home = os.path.join(work, "home")
        data_dir = os.path.join(home, "DATA")
        os.makedirs(data_dir)
        with open(os.path.join(data_dir, "aismon.ini"), "w") as f:
            f.write("[Durability]\r\nShipSaveSeconds=1\r\n")
        env = e2e.program_env(work)
        for r in range(rounds):
            master, slave = e2e.open_pty_at_9600()
            proc = subprocess.Popen([aismon, "--home", home, "--record"] + e2e.port_arguments(home, os.ttyname(slave)),
                                    env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                if not e2e.wait_until(lambda: e2e.line_speed(slave) == termios.B38400, 60, proc):
                    faults.append("round %d: COM1 never opened" % r)
                    break
                kill_at = time.monotonic() + (LONG_ROUND_S if r % 5 == 4 else rng.uniform(0.3, 2.0))
                fed = []
                while time.monotonic() < kill_at:
                    st = station(sent)
                    sent += 1
                    lines = e2e.vdm(e2e.msg_static_a(st), "A")
                    os.write(master, "".join(l + "\r\n" for l in lines).encode("ascii"))
                    fed.append((time.monotonic(), st, lines))
                    time.sleep(0.1)
                killed = time.monotonic()
                os.kill(proc.pid, signal.SIGKILL)
                proc.wait()
            finally:
                if proc.poll() is None:
                    proc.kill()
                    proc.wait()
                os.close(master)
                os.close(slave)
            for t, st, lines in fed:
                if killed - t > LEARNT_BEFORE_KILL_S:
                    must_have[st["mmsi"]] = st["name"]
                if killed - t > LOGGED_BEFORE_KILL_S:
                    must_log.update(lines)
            logged = logged_sentences(data_dir)
            if isinstance(logged, str):
                faults.append("round %d: %s" % (r, logged))
            else:
                lost = must_log - logged
                if lost:
                    faults.append("round %d: %d of %d sentences sent %.0f s before a kill are not in the receive log"
                                  % (r, len(lost), len(must_log), LOGGED_BEFORE_KILL_S))
                    must_log -= lost
            names = saved_names(data_dir)
            if isinstance(names, str):
                faults.append("round %d: the static file is %s" % (r, names))
                continue
            names = names or {}
            missing = [m for m, n in must_have.items() if names.get(m) != n]
            if missing:
                faults.append("round %d: %d of %d names learnt %.0f s before a kill are not in the files (e.g. %d)"
                              % (r, len(missing), len(must_have), LEARNT_BEFORE_KILL_S, missing[0]))
                for m in missing:  # counted once
                    must_have.pop(m)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("%d kills in %.1f s: %d stations sent, %d names and %d logged sentences required on the disk, all %s"
          % (rounds, time.monotonic() - started, sent, len(must_have), len(must_log),
             "there" if not faults else "NOT there"))
    if (not must_have or not must_log) and not faults:
        faults.append("no round lasted long enough to require a name and a logged sentence")
    for f in faults:
        print("FAIL: " + f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
