#!/usr/bin/env python3
"""SIGTERM closes aismon the normal way: aismon_sigterm.py AISMON

AIS sentences go through a real pseudo-terminal into the running program, which is then
sent SIGTERM (as a service manager or a shutdown does). It must exit with status 0 within
a few seconds, having saved the ship database (both files whole, loadable, holding the
stations it was sent, no temporary file or commit mark left) and the settings file; a
second start on the same folder must load them and write back the same static records.
"""
import os
import signal
import shutil
import subprocess
import sys
import tempfile
import termios
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import aismon_e2e as e2e  # noqa: E402


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    aismon = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp(prefix="aismon-sigterm-")
    try:
        home = os.path.join(work, "home")
        os.makedirs(home)
        master, slave = e2e.open_pty_at_9600()
        counts = os.path.join(work, "counts.txt")
        proc = subprocess.Popen([aismon, "--home", home, "--frame-counts", counts] +
                                e2e.port_arguments(home, os.ttyname(slave)),
                                env=e2e.program_env(work), stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        try:
            opened = e2e.wait_until(lambda: e2e.line_speed(slave) == termios.B38400, 60, proc)
            if e2e.check(opened, "COM1 (the pseudo-terminal) opened"):
                lines = e2e.input_sentences()
                os.write(master, "".join(l + "\r\n" for l in lines).encode("ascii"))
                want = e2e.vdm_count(lines)
                e2e.check(e2e.wait_until(lambda: e2e.vdm_taken(counts) == want, 120, proc),
                          "the program took its %d VDM sentences" % want)
                sent = time.monotonic()
                proc.send_signal(signal.SIGTERM)
                try:
                    _, err = proc.communicate(timeout=20)
                    sys.stderr.write(err)
                    e2e.equal(proc.returncode, 0, "exit status after SIGTERM")
                    print("closed %.2f s after SIGTERM" % (time.monotonic() - sent))
                except subprocess.TimeoutExpired:
                    e2e.check(False, "the program did not exit within 20 s of SIGTERM")
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.communicate()
            os.close(master)
            os.close(slave)

        data_dir = os.path.join(home, "DATA")
        if not e2e.FAILURES:
            left = sorted(n for n in os.listdir(data_dir) if n.endswith(".tmp") or n.endswith(".mark"))
            e2e.equal(left, [], "no temporary file or commit mark left")
            first_static, statics = e2e.static_records(os.path.join(data_dir, "@DbStatic3.bin"))
            for st in e2e.STATIONS:
                recs = statics.get(st["mmsi"], [])
                if e2e.equal(len(recs), 1, "static record of %d" % st["mmsi"]):
                    e2e.equal(e2e.decode_static(recs[0][1])["name"], st["name"].ljust(20), "name of %d" % st["mmsi"])
            dyn = e2e.dynamic_records(os.path.join(data_dir, "@DbDynamic3.bin"))
            e2e.equal(dyn[0]["mmsi"], 599999999, "own ship saved")
            live = sorted(d["mmsi"] for d in dyn[1:] if d["age"] != 0)
            e2e.equal(live, sorted(st["mmsi"] for st in e2e.STATIONS), "the stations' dynamic entries saved")
            centre = e2e.read_map_centre(os.path.join(data_dir, "aismon.ini"))
            e2e.check("lat" in centre and "lon" in centre, "settings written: %r" % centre)
            # The saved files load: a second start finds the names again and writes them back.
            e2e.second_run(aismon, work, home)
            again, statics2 = e2e.static_records(os.path.join(data_dir, "@DbStatic3.bin"))
            e2e.check(again == first_static, "the second start loaded and wrote back the same static records")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if e2e.FAILURES:
        print("%d check(s) failed" % len(e2e.FAILURES))
        return 1
    print("aismon SIGTERM: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
