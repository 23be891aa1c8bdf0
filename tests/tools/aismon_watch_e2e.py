#!/usr/bin/env python3
"""The collision watch end to end: through a real pseudo-terminal, RMC holds own ship still
off Kobe while a crossing ship closes to 0.2 NM in 10 minutes and a second ship passes
3 NM off. Each reports every second for 10 s. The monitor must raise exactly one collision
alarm, for the crossing ship, however often it reports.

Usage: aismon_watch_e2e.py AISMON
"""
import math
import os
import subprocess
import sys
import tempfile
import termios
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from aismon_e2e import msg_class_a, vdm, program_env, port_arguments, open_pty_at_9600, wait_until, line_speed  # noqa: E402

OWN_LAT, OWN_LON = 34.60, 135.10
NM_LAT = 1.0 / 60.0
NM_LON = 1.0 / (60.0 * math.cos(math.radians(OWN_LAT)))
# Eastbound at 12 kn from 2 NM west and 0.2 NM north: CPA 0.2 NM, TCPA 10 min.
CROSSING = dict(mmsi=431000111, north_nm=0.2, east_nm=-2.0, sog=12.0, cog=90.0)
# Northbound at 10 kn, 3 NM east: CPA 3 NM, beyond the 1 NM limit.
PASSING = dict(mmsi=431000222, north_nm=-2.0, east_nm=3.0, sog=10.0, cog=0.0)
SECONDS = 10


def rmc(t):
    lat, lon = OWN_LAT, OWN_LON
    body = "GPRMC,%02d%02d%02d.00,A,%02d%07.4f,N,%03d%07.4f,E,0.0,0.0,091226,,,A" % (
        t.tm_hour, t.tm_min, t.tm_sec, int(lat), (lat % 1) * 60, int(lon), (lon % 1) * 60)
    cs = 0
    for c in body:
        cs ^= ord(c)
    return "$%s*%02X" % (body, cs)


def report(ship, elapsed_s, sec):
    run_nm = ship["sog"] * elapsed_s / 3600.0
    north = ship["north_nm"] + run_nm * math.cos(math.radians(ship["cog"]))
    east = ship["east_nm"] + run_nm * math.sin(math.radians(ship["cog"]))
    st = dict(mmsi=ship["mmsi"], navstat=0, rot=0, sog10=int(ship["sog"] * 10), cog10=int(ship["cog"] * 10),
              hdg=int(ship["cog"]), sec=sec, lat=OWN_LAT + north * NM_LAT, lon=OWN_LON + east * NM_LON)
    return vdm(msg_class_a(1, st), "A")


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    aismon = sys.argv[1]
    with tempfile.TemporaryDirectory() as work:
        home = os.path.join(work, "home")
        os.makedirs(os.path.join(home, "DATA"))
        master, slave = open_pty_at_9600()
        port = os.ttyname(slave)
        proc = subprocess.Popen([aismon, "--home", home, "--exit-after-ms", str((SECONDS + 6) * 1000)]
                                + port_arguments(home, port), env=program_env(work),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        if not wait_until(lambda: line_speed(slave) == termios.B38400, 60, proc):
            proc.kill()
            proc.communicate()
            print("FAIL: COM1 (the pseudo-terminal) was not opened")
            return 1
        for i in range(SECONDS):
            lines = [rmc(time.gmtime())]
            for ship in (CROSSING, PASSING):
                lines += report(ship, i, i % 60)
            os.write(master, ("\r\n".join(lines) + "\r\n").encode())
            time.sleep(1.0)
        try:
            _, err = proc.communicate(timeout=60)
        except subprocess.TimeoutExpired:
            proc.kill()
            _, err = proc.communicate()
            print("FAIL: the monitor did not close by itself")
            return 1
        os.close(master)
        os.close(slave)
    alarms = [l for l in err.splitlines() if "衝突警報" in l or "遭難信号" in l]
    print("\n".join(alarms) if alarms else "no alarm line")
    ok = proc.returncode == 0
    if not ok:
        print("FAIL: exit status %d" % proc.returncode)
    if len(alarms) != 1 or "%09d" % CROSSING["mmsi"] not in alarms[0]:
        print("FAIL: want exactly one collision alarm, for %09d" % CROSSING["mmsi"])
        ok = False
    else:
        # CPA 0.2 NM and TCPA a little under 10 minutes, the ship having run on meanwhile.
        fields = alarms[0].split()
        cpa = float(fields[fields.index("CPA") + 1].rstrip("NM"))
        tcpa = float(fields[fields.index("TCPA") + 1].rstrip("分"))
        if not (abs(cpa - 0.2) < 0.03 and 8.0 < tcpa <= 10.0):
            print("FAIL: CPA %.2f NM, TCPA %.1f min; want 0.2 NM and 8-10 min" % (cpa, tcpa))
            ok = False
    print("PASS" if ok else "FAIL")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
