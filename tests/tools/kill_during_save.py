#!/usr/bin/env python3
"""Kill at any moment: aismon_save_loop HELPER KILLS

Starts the save loop (ship database and receive log saved round after round), kills it
with SIGKILL at a random moment, and checks with the helper's --check what a restart
loads: both ship files from one whole round, no older than the last round the loop
reported done and no newer than the one it was writing, and receive logs of whole rounds.
Repeats KILLS times on the same folder, so each restart also loads what the previous
kill left; each run takes a table capacity of its own, so a run also loads files written
at another capacity.
"""
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    helper, kills = os.path.abspath(sys.argv[1]), int(sys.argv[2])
    rng = random.Random(int(os.environ.get("KILL_SEED", "20261209")))
    work = tempfile.mkdtemp(prefix="aismon-kill-")
    home = os.path.join(work, "home")
    faults = []
    seen = {"mark": 0, "temps": 0, "clean": 0}
    previous = 0
    started = time.monotonic()
    try:
        for n in range(kills):
            stations = str(rng.choice([1024, 4096, 16384]))
            proc = subprocess.Popen([helper, "--home", home, "--stations", stations], stdout=subprocess.PIPE, text=True)
            ready = proc.stdout.readline().split()
            if len(ready) != 2 or ready[0] != "ready":
                proc.kill()
                proc.wait()
                faults.append("kill %d: the loop did not start: %r" % (n, ready))
                break
            # Anywhere in the next few rounds: inside a save, a flush, or between them.
            time.sleep(rng.uniform(0.0, 0.2))
            os.kill(proc.pid, signal.SIGKILL)
            rest = proc.stdout.read()
            proc.wait()
            done = int(ready[1])
            for line in rest.splitlines():
                if line.startswith("saved "):
                    done = int(line.split()[1])
            check = subprocess.run([helper, "--home", home, "--stations", stations, "--check"],
                                   stdout=subprocess.PIPE, text=True)
            words = check.stdout.split()
            if check.returncode != 0 or len(words) != 8 or words[0] != "round":
                faults.append("kill %d: %s" % (n, check.stdout.strip()))
                continue
            loaded, log_round, mark, temps = int(words[1]), int(words[3]), int(words[5]), int(words[7])
            if not done <= loaded <= done + 1:
                faults.append("kill %d: loaded round %d, the loop had finished round %d" % (n, loaded, done))
            if loaded < previous:
                faults.append("kill %d: loaded round %d after round %d" % (n, loaded, previous))
            if log_round > loaded:
                faults.append("kill %d: the receive log holds round %d, the ship files %d" % (n, log_round, loaded))
            previous = loaded
            seen["mark" if mark else "temps" if temps else "clean"] += 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    elapsed = time.monotonic() - started
    print("%d kills in %.1f s, last round %d: %d cut off while moving the images into place (finished at load), "
          "%d cut off while writing them (dropped at load), %d between saves"
          % (kills, elapsed, previous, seen["mark"], seen["temps"], seen["clean"]))
    # A loop that never got killed inside a save would prove nothing.
    if seen["mark"] + seen["temps"] == 0 and not faults:
        faults.append("no kill landed inside a save")
    for f in faults:
        print("FAIL: " + f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
