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
            proc = subprocess.Popen([aismon, "--home", home] + e2e.port_arguments(home, os.ttyname(slave)),
                                    env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                if not e2e.wait_until(lambda: e2e.line_speed(slave) == termios.B38400, 60, proc):
                    faults.append("round %d: COM1 never opened" % r)
                    break
                kill_at = time.monotonic() + (8.0 if r % 5 == 4 else rng.uniform(0.3, 2.0))
                fed = []
                while time.monotonic() < kill_at:
                    st = station(sent)
                    sent += 1
                    lines = e2e.vdm(e2e.msg_static_a(st), "A")
                    os.write(master, "".join(l + "\r\n" for l in lines).encode("ascii"))
                    fed.append((time.monotonic(), st))
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
            for t, st in fed:
                if killed - t > LEARNT_BEFORE_KILL_S:
                    must_have[st["mmsi"]] = st["name"]
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
    print("%d kills in %.1f s: %d stations sent, %d names required on the disk, all %s"
          % (rounds, time.monotonic() - started, sent, len(must_have), "there" if not faults else "NOT there"))
    if not must_have and not faults:
        faults.append("no round lasted long enough to require a name")
    for f in faults:
        print("FAIL: " + f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
