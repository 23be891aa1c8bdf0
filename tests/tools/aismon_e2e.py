#!/usr/bin/env python3
"""The aismon program end to end: AIS sentences written into a real pseudo-terminal that
the program reads as its COM1; after it closes by itself, its ship database files, its
settings file and its chart snapshot are checked against what was sent. A second start
on the same folder, with no input, must load and write back the same static records.

Usage: aismon_e2e.py AISMON

Runs the program on Qt's offscreen platform with a screen of its own size, so the
maximised window (and so the snapshot) has a known size.
"""
import fcntl
import json
import math
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import termios
import time
import tty

# --- AIS encoding -------------------------------------------------------------------------

SIXBIT_TEXT = "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_ !\"#$%&'()*+,-./0123456789:;<=>?"


class Bits:
    """A message built field by field, most significant bit first."""

    def __init__(self):
        self.bits = []

    def u(self, width, value):
        assert 0 <= value < (1 << width), (width, value)
        self.bits += [(value >> (width - 1 - i)) & 1 for i in range(width)]
        return self

    def s(self, width, value):
        assert -(1 << (width - 1)) <= value < (1 << (width - 1)), (width, value)
        return self.u(width, value & ((1 << width) - 1))

    def text(self, chars, value):
        value = value.ljust(chars, "@")
        assert len(value) == chars
        for c in value:
            self.u(6, SIXBIT_TEXT.index(c))
        return self


def armour(bits):
    """Payload characters and the fill-bit count."""
    fill = (-len(bits)) % 6
    padded = bits + [0] * fill
    out = []
    for i in range(0, len(padded), 6):
        v = int("".join(map(str, padded[i:i + 6])), 2)
        out.append(chr(v + 48 if v < 40 else v + 56))
    return "".join(out), fill


def sentence(body):
    cs = 0
    for c in body:
        cs ^= ord(c)
    return "!%s*%02X" % (body, cs)


def vdm(bits, channel, seq_id="", fragment_chars=60):
    """The VDM sentences carrying one message, cut into fragments of fragment_chars."""
    payload, fill = armour(bits)
    parts = [payload[i:i + fragment_chars] for i in range(0, len(payload), fragment_chars)]
    out = []
    for n, part in enumerate(parts, 1):
        f = fill if n == len(parts) else 0
        out.append(sentence("AIVDM,%d,%d,%s,%s,%s,%d" % (len(parts), n, seq_id if len(parts) > 1 else "",
                                                          channel, part, f)))
    return out


def raw_position(deg):
    """Degrees to 1/10000 minute, as the reports carry them."""
    return int(round(deg * 600000))


def msg_class_a(number, st):
    b = Bits().u(6, number).u(2, 0).u(30, st["mmsi"]).u(4, st["navstat"]).s(8, st["rot"])
    b.u(10, st["sog10"]).u(1, 1).s(28, raw_position(st["lon"])).s(27, raw_position(st["lat"]))
    b.u(12, st["cog10"]).u(9, st["hdg"]).u(6, st["sec"]).u(2, 0).u(3, 0).u(1, 0).u(19, 0)
    assert len(b.bits) == 168
    return b.bits


def msg_class_b(st):
    b = Bits().u(6, 18).u(2, 0).u(30, st["mmsi"]).u(8, 0).u(10, st["sog10"]).u(1, 1)
    b.s(28, raw_position(st["lon"])).s(27, raw_position(st["lat"])).u(12, st["cog10"]).u(9, st["hdg"])
    b.u(6, st["sec"]).u(2, 0).u(1, 1).u(1, 0).u(1, 1).u(1, 1).u(1, 1).u(1, 0).u(1, 0).u(20, 0b11000000000000000110)
    assert len(b.bits) == 168
    return b.bits


def msg_static_voyage(st):
    b = Bits().u(6, 5).u(2, 0).u(30, st["mmsi"]).u(2, 0).u(30, st["imo"]).text(7, st["sign"]).text(20, st["name"])
    b.u(8, st["type"]).u(9, st["a"]).u(9, st["b"]).u(6, st["c"]).u(6, st["d"]).u(4, 1)
    b.u(4, 7).u(5, 17).u(5, 14).u(6, 30).u(8, st["draught"]).text(20, st["dest"]).u(1, 0).u(1, 0)
    assert len(b.bits) == 424
    return b.bits


def msg_static_a(st):
    b = Bits().u(6, 24).u(2, 0).u(30, st["mmsi"]).u(2, 0).text(20, st["name"]).u(8, 0)
    assert len(b.bits) == 168
    return b.bits


def msg_static_b(st):
    b = Bits().u(6, 24).u(2, 0).u(30, st["mmsi"]).u(2, 1).u(8, st["type"]).text(7, st["vendor"])
    b.text(7, st["sign"]).u(9, st["a"]).u(9, st["b"]).u(6, st["c"]).u(6, st["d"]).u(6, 0)
    assert len(b.bits) == 168
    return b.bits


# Three stations around Tokyo Bay, far from the default view centre.
STATION_A = dict(kind="A", mmsi=235001234, imo=9321483, sign="MXAB3", name="NORTHERN STAR", type=70,
                 a=150, b=40, c=12, d=20, draught=95, dest="TOKYO", lat=35.4512, lon=139.7033,
                 sog10=123, cog10=456, hdg=47, rot=-10, navstat=0, sec=21, number=1)
STATION_B = dict(kind="B", mmsi=338123456, name="SEA BREEZE", type=37, vendor="SRTABCD", sign="WDK1234",
                 a=9, b=3, c=2, d=2, lat=35.3001, lon=139.7520, sog10=0, cog10=0, hdg=511, sec=33)
STATION_C = dict(kind="A", mmsi=431988001, imo=0, sign="JD3311", name="KAIYO MARU NO.8", type=52,
                 a=30, b=12, c=5, d=6, draught=48, dest="YOKOHAMA", lat=35.6020, lon=139.9011,
                 sog10=50, cog10=2700, hdg=268, rot=0, navstat=7, sec=5, number=3)
STATIONS = [STATION_A, STATION_B, STATION_C]


def input_sentences():
    """Static reports first, then the position reports; RMC-free, so own ship stays put."""
    lines = []
    lines += vdm(msg_static_voyage(STATION_A), "A", seq_id="3")
    lines += vdm(msg_static_a(STATION_B), "B")
    lines += vdm(msg_static_b(STATION_B), "B")
    lines += vdm(msg_static_voyage(STATION_C), "B", seq_id="4")
    lines += vdm(msg_class_a(STATION_A["number"], STATION_A), "A")
    lines += vdm(msg_class_b(STATION_B), "B")
    lines += vdm(msg_class_a(STATION_C["number"], STATION_C), "A")
    return lines


def free_udp_port():
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def port_taken(port):
    """Whether something (the program) holds the UDP port on 127.0.0.1."""
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        s.bind(("127.0.0.1", port))
        return False
    except OSError:
        return True
    finally:
        s.close()


# --- checks -------------------------------------------------------------------------------

FAILURES = []


def check(ok, what):
    if not ok:
        FAILURES.append(what)
        print("FAIL: " + what)
    return ok


def equal(got, want, what):
    return check(got == want, "%s: got %r, want %r" % (what, got, want))


def near(got, want, tol, what):
    return check(abs(got - want) <= tol, "%s: got %r, want %r within %g" % (what, got, want, tol))


def cross_check_with_gpsdecode(lines):
    """Our encoder against an independent decoder, when one is installed."""
    exe = shutil.which("gpsdecode")
    if exe is None:
        print("gpsdecode not installed: encoder cross-check skipped")
        return
    out = subprocess.run([exe, "-u"], input="\n".join(lines) + "\n", capture_output=True, text=True, timeout=60)
    msgs = [json.loads(l) for l in out.stdout.splitlines() if l.startswith("{")]
    print("gpsdecode decoded %d messages from %d sentences" % (len(msgs), len(lines)))
    by = {}
    for m in msgs:
        by.setdefault((m.get("mmsi"), m.get("type"), m.get("part", m.get("partno"))), m)
    for st in STATIONS:
        name = "gpsdecode %d" % st["mmsi"]
        if st["kind"] == "A":
            m5 = by.get((st["mmsi"], 5, None))
            if check(m5 is not None, name + ": message 5 decoded"):
                equal(m5["shipname"].rstrip("@ "), st["name"], name + " name")
                equal(m5["callsign"].rstrip("@ "), st["sign"], name + " call sign")
                equal((m5["shiptype"], m5["to_bow"], m5["to_stern"], m5["to_port"], m5["to_starboard"]),
                      (st["type"], st["a"], st["b"], st["c"], st["d"]), name + " type and dimensions")
            m1 = by.get((st["mmsi"], st["number"], None))
            if check(m1 is not None, name + ": position report decoded"):
                equal((m1["lat"], m1["lon"], m1["speed"], m1["course"], m1["heading"]),
                      (raw_position(st["lat"]), raw_position(st["lon"]), st["sog10"], st["cog10"], st["hdg"]),
                      name + " position report")
        else:
            parts = [m for m in msgs if m.get("mmsi") == st["mmsi"] and m.get("type") == 24]
            names = [m["shipname"].rstrip("@ ") for m in parts if "shipname" in m]
            signs = [m["callsign"].rstrip("@ ") for m in parts if "callsign" in m]
            equal(names, [st["name"]], name + " 24A name")
            equal(signs, [st["sign"]], name + " 24B call sign")
            m18 = by.get((st["mmsi"], 18, None))
            if check(m18 is not None, name + ": message 18 decoded"):
                equal((m18["lat"], m18["lon"], m18["speed"]), (raw_position(st["lat"]), raw_position(st["lon"]),
                                                               st["sog10"]), name + " message 18")


STATIC_RECORD = 216
STATIC_ENTRIES = 60001
DYNAMIC_RECORD = 320
DYNAMIC_ENTRIES = 1025


def text_field(raw):
    return raw.split(b"\0", 1)[0].decode("latin-1")


def static_records(path):
    data = open(path, "rb").read()
    equal(len(data), STATIC_RECORD * STATIC_ENTRIES, "static file size")
    records = {}
    for i in range(len(data) // STATIC_RECORD):
        r = data[i * STATIC_RECORD:(i + 1) * STATIC_RECORD]
        udtime, mmsi = struct.unpack_from("<Ii", r, 0)
        if udtime == 0:
            continue
        records.setdefault(mmsi, []).append((i, r))
    return data, records


def decode_static(r):
    udtime, mmsi, imo, _ver, typ, a, b, c, d = struct.unpack_from("<Iiihhhhhh", r, 0)
    draught, = struct.unpack_from("<h", r, 26)
    msgno, = struct.unpack_from("<h", r, 118)
    return dict(udtime=udtime, mmsi=mmsi, imo=imo, type=typ, a=a, b=b, c=c, d=d, draught=draught,
                sign=text_field(r[40:48]), name=text_field(r[48:72]), dest=text_field(r[72:96]),
                vendor=text_field(r[166:174]), msgno=msgno)


def dynamic_records(path):
    data = open(path, "rb").read()
    equal(len(data), DYNAMIC_RECORD * DYNAMIC_ENTRIES, "dynamic file size")
    out = []
    for i in range(len(data) // DYNAMIC_RECORD):
        r = data[i * DYNAMIC_RECORD:(i + 1) * DYNAMIC_RECORD]
        age, mmsi = struct.unpack_from("<Ii", r, 0)
        raw_lat, raw_lon, raw_sog, raw_cog, raw_hdg = struct.unpack_from("<iihhh", r, 16)
        lat, lon = struct.unpack_from("<dd", r, 88)
        hdg, = struct.unpack_from("<d", r, 112)
        sog, = struct.unpack_from("<d", r, 128)
        cog, = struct.unpack_from("<d", r, 144)
        navstat, = struct.unpack_from("<i", r, 204)
        out.append(dict(index=i, age=age, mmsi=mmsi, raw_lat=raw_lat, raw_lon=raw_lon, raw_sog=raw_sog,
                        raw_cog=raw_cog, raw_hdg=raw_hdg, lat=lat, lon=lon, hdg=hdg, sog=sog, cog=cog,
                        navstat=navstat))
    return out


def read_map_centre(ini):
    section, values = None, {}
    for line in open(ini, encoding="latin-1").read().splitlines():
        t = line.strip()
        if t.startswith("[") and t.endswith("]"):
            section = t[1:-1].strip().lower()
        elif "=" in t and section == "map":
            k, v = t.split("=", 1)
            values[k.strip().lower()] = v.strip()
    return values


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


# --- running the program ------------------------------------------------------------------

SCREEN_W, SCREEN_H = 1100, 860


def program_env(work):
    env = dict(os.environ)
    cfg = os.path.join(work, "screen.json")
    with open(cfg, "w") as f:
        json.dump({"windowFrameMargins": False,
                   "screens": [{"name": "e2e", "x": 0, "y": 0, "width": SCREEN_W, "height": SCREEN_H,
                                "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}, f)
    env["QT_QPA_PLATFORM"] = "offscreen:configfile=" + cfg
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    env["XDG_RUNTIME_DIR"] = runtime
    return env


def port_arguments(home, port1):
    """COM1 on the given device; every other port on a path where nothing is."""
    args = []
    for n in range(1, 21):
        args += ["--port", "%d=%s" % (n, port1 if n == 1 else os.path.join(home, "absent-%d" % n))]
    return args


def open_pty_at_9600():
    """A pseudo-terminal in raw mode at another speed than the program's, so that its
    configuring the line (the last step of opening the port) shows."""
    master, slave = os.openpty()
    tty.setraw(slave)
    attrs = termios.tcgetattr(slave)
    attrs[4] = attrs[5] = termios.B9600
    termios.tcsetattr(slave, termios.TCSANOW, attrs)
    return master, slave


def wait_until(condition, seconds, proc=None):
    """Polls condition until it holds or the deadline passes; stops early if proc ended."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        if proc is not None and proc.poll() is not None:
            return condition()
        time.sleep(0.01)
    return condition()


def finish(proc, seconds, what):
    """Waits for the program to close by itself; kills it on the deadline."""
    try:
        out, err = proc.communicate(timeout=seconds)
    except subprocess.TimeoutExpired:
        proc.kill()
        out, err = proc.communicate()
        check(False, "%s: did not exit within %d s (killed)" % (what, seconds))
        return None, err
    sys.stderr.write(err)
    equal(proc.returncode, 0, what + " exit status")
    return proc.returncode, err


def vdm_taken(counts_path):
    """The VDM sentences the program has taken so far, from its --frame-counts file (the
    fifth column, written once a second); 0 before the first line."""
    try:
        with open(counts_path) as f:
            rows = [l.split() for l in f if len(l.split()) >= 5]
    except FileNotFoundError:
        return 0
    return int(rows[-1][4]) if rows else 0


def vdm_count(lines):
    return sum(1 for l in lines if l[3:6] == "VDM")


def pending_input(fd):
    buf = fcntl.ioctl(fd, termios.FIONREAD, b"\0\0\0\0")
    return struct.unpack("i", buf)[0]


def line_speed(fd):
    return termios.tcgetattr(fd)[4]


def first_run(aismon, work, home, lines):
    master, slave = open_pty_at_9600()
    try:
        exit_ms = 6000
        shot = os.path.join(home, "shot.png")
        started = time.monotonic()
        counts = os.path.join(work, "counts.txt")
        proc = subprocess.Popen([aismon, "--home", home] + port_arguments(home, os.ttyname(slave)) +
                                ["--exit-after-ms", str(exit_ms), "--snapshot", shot, "--frame-counts", counts],
                                env=program_env(work), stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        try:
            opened = wait_until(lambda: line_speed(slave) == termios.B38400, 60, proc)
            if not check(opened, "COM1 (the pseudo-terminal) opened at 38400 baud"):
                proc.kill()
                proc.communicate()
                return None
            # The program sets the line's speed after discarding what waited on it, so from
            # here every byte is read.
            data = "".join(l + "\r\n" for l in lines).encode("ascii")
            os.write(master, data)
            want = vdm_count(lines)
            taken = wait_until(lambda: vdm_taken(counts) == want, 120, proc)
            check(taken, "the program took all %d VDM sentences (%d)" % (want, vdm_taken(counts)))
            rc, _ = finish(proc, 120 + exit_ms // 1000, "first run")
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.communicate()
        return time.monotonic() - started
    finally:
        os.close(master)
        os.close(slave)


def second_run(aismon, work, home):
    proc = subprocess.Popen([aismon, "--home", home] + port_arguments(home, os.path.join(home, "absent-1")) +
                            ["--exit-after-ms", "1500"],
                            env=program_env(work), stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    finish(proc, 60, "second run")


def check_first_run(home, elapsed_s):
    data = os.path.join(home, "DATA")
    static_bytes, statics = static_records(os.path.join(data, "@DbStatic3.bin"))
    for st in STATIONS:
        what = "static record of %d" % st["mmsi"]
        recs = statics.get(st["mmsi"], [])
        if not equal(len(recs), 1, what + ": count"):
            continue
        r = decode_static(recs[0][1])
        equal(r["name"], st["name"].ljust(20), what + " Name")
        equal(r["sign"], st["sign"].ljust(7), what + " Sign")
        equal((r["type"], r["a"], r["b"], r["c"], r["d"]), (st["type"], st["a"], st["b"], st["c"], st["d"]),
              what + " Type, AntA..AntD")
        if st["kind"] == "A":
            equal((r["imo"], r["draught"]), (st["imo"], st["draught"]), what + " Imo, Draught")
            equal(r["dest"], st["dest"].ljust(20), what + " Dest")
            equal(r["msgno"], st["number"], what + " MsgNo of the last message")
        else:
            equal(r["vendor"], st["vendor"], what + " Vendor")
            equal(r["msgno"], 18, what + " MsgNo of the last message")
        check(r["udtime"] != 0, what + " UdTime set")

    dyn = dynamic_records(os.path.join(data, "@DbDynamic3.bin"))
    own = dyn[0]
    equal(own["mmsi"], 599999999, "own ship MMSI")
    equal((own["lat"], own["lon"]), (34.6666, 135.25), "own ship at the default centre")
    # Ships are dead-reckoned between reports while data flows; bound the drift by the run.
    positions = []
    for st in STATIONS:
        what = "dynamic entry of %d" % st["mmsi"]
        rows = [d for d in dyn[1:] if d["mmsi"] == st["mmsi"] and d["age"] != 0]
        if not equal(len(rows), 1, what + ": live entries"):
            continue
        d = rows[0]
        equal((d["raw_lat"], d["raw_lon"], d["raw_sog"], d["raw_cog"], d["raw_hdg"]),
              (raw_position(st["lat"]), raw_position(st["lon"]), st["sog10"], st["cog10"], st["hdg"]),
              what + " raw report")
        drift = st["sog10"] / 10.0 * elapsed_s / 3600.0 / 60.0
        near(d["lat"], raw_position(st["lat"]) / 600000.0, drift + 1e-9, what + " Lat")
        near(d["lon"], raw_position(st["lon"]) / 600000.0, 1.5 * drift + 1e-9, what + " Lon")
        near(d["sog"], st["sog10"] / 10.0, 1e-9, what + " Sog")
        # A turning ship's course and heading turn on between reports too.
        rot = st.get("rot", 0)
        turn = (rot / 4.733) ** 2 * elapsed_s / 60.0 if abs(rot) < 127 else 0.0
        near(d["cog"], st["cog10"] / 10.0, turn + 1e-9, what + " Cog")
        if st["hdg"] != 511:
            near(d["hdg"], float(st["hdg"]), turn + 1e-9, what + " Hdg")
        if "navstat" in st:
            equal(d["navstat"], st["navstat"], what + " NavStat")
        positions.append((d["lat"], d["lon"]))

    # The view fits all live ships, so its centre, written at close, is the middle of
    # their bounds.
    centre = read_map_centre(os.path.join(data, "aismon.ini"))
    ini_lat = ini_lon = None
    if check("lat" in centre and "lon" in centre, "settings file has Map/Lat and Map/Lon: %r" % centre):
        ini_lat, ini_lon = float(centre["lat"]), float(centre["lon"])
        if len(positions) == len(STATIONS):
            lats = [p[0] for p in positions]
            lons = [p[1] for p in positions]
            near(ini_lat, (max(lats) + min(lats)) / 2, 1e-4, "view centre latitude (fit of all ships)")
            near(ini_lon, (max(lons) + min(lons)) / 2, 1e-4, "view centre longitude (fit of all ships)")
        sent_lat = [raw_position(s["lat"]) / 600000.0 for s in STATIONS]
        near(ini_lat, (max(sent_lat) + min(sent_lat)) / 2, 0.002, "view centre latitude near the sent positions")

    size = png_size(os.path.join(home, "shot.png"))
    # Maximised to the screen: the paint box takes what the docks, the menu and the status
    # bar leave of it.
    check(SCREEN_W // 2 <= size[0] <= SCREEN_W and SCREEN_H - 80 <= size[1] <= SCREEN_H,
          "snapshot size (the maximised paint box): got %s on a %dx%d screen" % (size, SCREEN_W, SCREEN_H))
    logs = [n for n in os.listdir(data) if n.startswith("!AIS")]
    equal(logs, [], "no receive log written while the debug panel is hidden")
    return static_bytes, (ini_lat, ini_lon), open(os.path.join(data, "aismon.ini"), "rb").read()


def check_second_run(home, first_static, first_centre, first_ini):
    data = os.path.join(home, "DATA")
    static_bytes, statics = static_records(os.path.join(data, "@DbStatic3.bin"))
    for st in STATIONS:
        recs = statics.get(st["mmsi"], [])
        if equal(len(recs), 1, "second run: static record of %d" % st["mmsi"]):
            equal(decode_static(recs[0][1])["name"], st["name"].ljust(20), "second run: name of %d" % st["mmsi"])
    check(static_bytes == first_static, "second run wrote back the static file unchanged")
    dyn = dynamic_records(os.path.join(data, "@DbDynamic3.bin"))
    live = [d["mmsi"] for d in dyn[1:] if d["age"] != 0]
    equal(live, [], "second run: the loaded stations are free entries")
    if first_centre[0] is not None:
        near(dyn[0]["lat"], first_centre[0], 1e-12, "second run: own ship placed at the saved centre (lat)")
        near(dyn[0]["lon"], first_centre[1], 1e-12, "second run: own ship placed at the saved centre (lon)")
    second_ini = open(os.path.join(data, "aismon.ini"), "rb").read()
    equal(second_ini, first_ini, "second run: settings file unchanged (no ships to fit)")


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    aismon = os.path.abspath(sys.argv[1])
    lines = input_sentences()
    cross_check_with_gpsdecode(lines)
    work = tempfile.mkdtemp(prefix="aismon-e2e-")
    try:
        home = os.path.join(work, "home")
        os.makedirs(home)
        elapsed = first_run(aismon, work, home, lines)
        if elapsed is not None and not FAILURES:
            first = check_first_run(home, elapsed)
            second_run(aismon, work, home)
            check_second_run(home, *first)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if FAILURES:
        print("%d check(s) failed" % len(FAILURES))
        return 1
    print("aismon end to end: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
