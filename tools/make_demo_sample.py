#!/usr/bin/env python3
"""Writes the demonstration sentence list (src/app/memo_sample.inc).

The list is two minutes of traffic in Osaka Bay as a receiver there would hear it,
starting 2025-07-25 07:09:30 UTC (the time carried by the base-station report), plus
the split RMC sentence the demo starts with. Every report is computed from a ship's
track (position at t=0, speed, course, rate of turn), so successive reports of a ship
agree with its speed and course. Sentences are armoured and check-summed here.

  tools/make_demo_sample.py            rewrite the list
  tools/make_demo_sample.py --check    exit 1 if the stored list differs
  tools/make_demo_sample.py --print    print the lines
"""
import math
import os
import random
import sys

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "app", "memo_sample.inc")
START_SECOND = 30  # 07:09:30 UTC

# Sentences quoted verbatim in the list.
SAMPLE_TYPE1 = "!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D"
SAMPLE_TYPE4_PAYLOAD = "40475rAvUtW:N9ceoHClce700L60"  # 4310505, 07:10:30 UTC
SAMPLE_TYPE5 = ("AIVDM,1,1,,A,5815MV82FvoUKL7C7GDhDtp58@v2222222222216E8N",
                ";E5pfNKRT85BhQM8888888888880,2*31")
RMC_SPLIT = ("$GPRMC,123456,A,3435.0000,N,13515.0000,E,123,456,123456,", "0,E,A*06")


class Bits:
    def __init__(self):
        self.bits = []

    def put(self, value, width):
        value &= (1 << width) - 1  # two's complement for signed fields
        for i in range(width - 1, -1, -1):
            self.bits.append((value >> i) & 1)

    def text(self, s, chars):
        s = s.upper().ljust(chars, "@")[:chars]
        for c in s:
            o = ord(c)
            self.put(o - 64 if 64 <= o < 96 else o, 6)

    def armour(self):
        fill = (-len(self.bits)) % 6
        bits = self.bits + [0] * fill
        out = []
        for i in range(0, len(bits), 6):
            v = 0
            for b in bits[i:i + 6]:
                v = v * 2 + b
            out.append(chr(v + 48 if v < 40 else v + 56))
        return "".join(out), fill


def checksum(body):
    x = 0
    for c in body:
        x ^= ord(c)
    return "%02X" % x


def sentence(payload, fill, channel):
    body = "AIVDM,1,1,,%s,%s,%d" % (channel, payload, fill)
    return "!%s*%s" % (body, checksum(body))


def raw_pos(deg):
    return int(round(deg * 600000))


def position_report(msg, mmsi, status, rot, sog, acc, lon, lat, cog, hdg, second, radio):
    b = Bits()
    b.put(msg, 6); b.put(0, 2); b.put(mmsi, 30); b.put(status, 4); b.put(rot, 8)
    b.put(int(round(sog * 10)), 10); b.put(acc, 1)
    b.put(raw_pos(lon), 28); b.put(raw_pos(lat), 27)
    b.put(int(round(cog * 10)) % 3600, 12); b.put(hdg, 9); b.put(second, 6)
    b.put(0, 2); b.put(0, 3); b.put(0, 1); b.put(radio, 19)
    assert len(b.bits) == 168
    return b.armour()


def class_b_report(mmsi, sog, lon, lat, cog, hdg, second):
    b = Bits()
    b.put(18, 6); b.put(0, 2); b.put(mmsi, 30); b.put(0, 8)
    b.put(int(round(sog * 10)), 10); b.put(1, 1)
    b.put(raw_pos(lon), 28); b.put(raw_pos(lat), 27)
    b.put(int(round(cog * 10)), 12); b.put(hdg, 9); b.put(second, 6)
    b.put(0, 2)
    for flag in (1, 0, 1, 1, 1, 0, 0):  # CS unit, no display, DSC, whole band, msg 22, autonomous, no RAIM
        b.put(flag, 1)
    b.put(1, 1)              # communication state: ITDMA
    b.put(0b1100000000000000110, 19)  # the fixed state of a carrier-sense unit
    assert len(b.bits) == 168
    return b.armour()


def static_voyage(mmsi, imo, callsign, name, shiptype, a, b_, c, d, eta, draught, dest):
    b = Bits()
    b.put(5, 6); b.put(0, 2); b.put(mmsi, 30); b.put(0, 2); b.put(imo, 30)
    b.text(callsign, 7); b.text(name, 20); b.put(shiptype, 8)
    b.put(a, 9); b.put(b_, 9); b.put(c, 6); b.put(d, 6); b.put(1, 4)
    month, day, hour, minute = eta
    b.put(month, 4); b.put(day, 5); b.put(hour, 5); b.put(minute, 6)
    b.put(int(round(draught * 10)), 8); b.text(dest, 20); b.put(0, 1); b.put(0, 1)
    assert len(b.bits) == 424
    return b.armour()


def rot_raw(deg_per_min):
    if deg_per_min is None:
        return -128
    r = int(round(4.733 * math.sqrt(abs(deg_per_min))))
    return r if deg_per_min >= 0 else -r


def rot_rate(raw):
    return (raw / 4.733) ** 2 * (1 if raw >= 0 else -1)


class Ship:
    """A ship on a track: (lat, lon) and cog are its position and course at time tref
    (s); at time t its course is cog + rate * (t - tref) / 60 and its position follows
    by integrating speed along that course (flat earth is exact enough over two minutes)."""

    def __init__(self, mmsi, msg, status, lat, lon, sog, cog, drift, times, rot=0, acc=0, tref=0):
        self.tref = tref
        self.mmsi, self.msg, self.status = mmsi, msg, status
        self.lat0, self.lon0, self.sog, self.cog0, self.drift = lat, lon, sog, cog, drift
        self.times, self.acc = times, acc
        self.rot = rot  # raw AIS value, -128 when the ship sends none
        self.rate = rot_rate(rot) if rot not in (-128, None) else 0.0

    def state(self, t):
        t -= self.tref
        lat, lon = self.lat0, self.lon0
        steps = max(1, int(abs(t)))
        dt = t / steps
        for k in range(steps):
            course = math.radians(self.cog0 + self.rate * (k + 0.5) * dt / 60)
            dist = self.sog * dt / 3600 / 60  # degrees of latitude
            lat += dist * math.cos(course)
            lon += dist * math.sin(course) / math.cos(math.radians(lat))
        cog = (self.cog0 + self.rate * t / 60) % 360
        return lat, lon, cog, int(round(cog + self.drift)) % 360


def sotdma(rng, second):
    timeout = rng.randrange(8)
    if timeout in (3, 5, 7):
        sub = rng.randrange(8, 45)                 # stations received
    elif timeout in (2, 4, 6):
        sub = rng.randrange(2250)                  # slot number
    elif timeout == 1:
        sub = (7 << 9) | (10 << 2)                 # UTC hour and minute
    else:
        sub = rng.randrange(1, 1500)               # slot offset
    return (0 << 17) | (timeout << 14) | sub


def itdma(rng):
    return (0 << 17) | (rng.randrange(1, 2250) << 4) | (0 << 1) | 0


def build():
    rng = random.Random(20250725)
    ships = [
        # The slow ship of the quoted sample, in Sakai harbour; its report at t=51 is the sample.
        Ship(431023494, 1, 0, 20750996 / 600000, 81251473 / 600000, 1.0, 184.0, -8, [11, 31, 51, 71, 91], tref=51),
        # LEONARDO (the quoted message 5), bound for Kobe from the southern entrance.
        Ship(538008984, 1, 0, 34.5600, 135.1600, 11.8, 20.0, 1, [4, 34, 64, 84, 114], acc=1),
        # Car ferry out of Kobe, westbound for the Akashi strait.
        Ship(431401962, 1, 0, 34.6150, 135.1300, 19.5, 255.0, -1, [2, 20, 38, 56, 74, 92]),
        # Tanker out of Sakai for the Tomogashima strait.
        Ship(431003215, 1, 0, 34.5200, 135.3000, 10.2, 215.0, -2, [9, 39, 69, 99]),
        # Fishing boat trawling slowly, no rate-of-turn sensor.
        Ship(431200584, 1, 7, 34.4800, 135.1200, 3.1, 95.0, -7, [15, 55, 95], rot=-128),
        # At anchor off Sakai: one report in two minutes.
        Ship(431004821, 1, 1, 34.5800, 135.3300, 0.0, 127.4, 178, [47], rot=-128),
        # High-speed craft from Kobe airport to Kansai airport.
        Ship(431005932, 1, 0, 34.6000, 135.2250, 26.5, 170.0, -1, [1, 13, 25, 37, 49, 61], acc=1),
        # Tug leaving Osaka port.
        Ship(431009117, 1, 0, 34.6150, 135.3550, 6.1, 200.0, 4, [6, 36, 66, 96], rot=-128),
        # Container ship out of Kobe, turning a little to starboard for the strait.
        Ship(431301178, 1, 0, 34.6300, 135.1700, 13.4, 240.0, 0, [8, 28, 48, 68, 88], rot=5),
        # Cargo ship in from the Akashi strait for Osaka, easing round to the east.
        Ship(431602349, 1, 0, 34.6000, 135.1000, 12.0, 100.0, 2, [3, 23, 43, 63, 83], rot=10),
        # Cargo ship northbound from the Tomogashima strait, west of Kansai airport.
        Ship(431000847, 1, 0, 34.4200, 135.1300, 14.6, 30.0, 1, [12, 32, 52, 72, 102], acc=1),
        # Sand carrier from the Izumi coast towards Kobe.
        Ship(431500672, 1, 0, 34.4700, 135.2800, 9.5, 330.0, -3, [18, 48, 78, 108]),
        # Ships answering with message 3.
        Ship(431100293, 3, 0, 34.6050, 135.0600, 21.0, 95.0, 0, [5, 35, 65, 95]),
        Ship(431007650, 3, 0, 34.5300, 135.2500, 11.0, 200.0, 3, [14, 44, 74, 104]),
        Ship(431302481, 3, 0, 34.5000, 135.3300, 7.8, 35.0, -2, [10, 40, 70, 100]),
    ]

    reports = []  # (t, order, sentence)
    for s in ships:
        for t in s.times:
            lat, lon, cog, hdg = s.state(t)
            second = (START_SECOND + t) % 60
            if s.mmsi == 431023494 and t == 51:
                reports.append((t, 0, SAMPLE_TYPE1))
                continue
            radio = sotdma(rng, second) if s.msg == 1 else itdma(rng)
            payload, fill = position_report(s.msg, s.mmsi, s.status, s.rot, s.sog, s.acc, lon, lat, cog, hdg,
                                            second, radio)
            reports.append((t, 0, sentence(payload, fill, rng.choice("AB"))))

    # The sample ship's own report at t=51 must come out of the same track as its others.
    lat, lon, cog, hdg = ships[0].state(51)
    payload, _ = position_report(1, 431023494, 0, 0, 1.0, 0, lon, lat, 184.0, 176, 21, 33616)
    sample_payload = SAMPLE_TYPE1.split(",")[5]
    assert payload == sample_payload, (payload, sample_payload)

    reports.append((60, 0, sentence(SAMPLE_TYPE4_PAYLOAD, 0, "B")))
    reports.append((29, 0, sentence(*class_b_report(431010472, 0.0, 135.3000, 34.6400, 269.1, 262, 59), "A")))
    reports.sort(key=lambda r: (r[0], r[1]))
    singles = [r[2] for r in reports]

    statics = [
        (SAMPLE_TYPE5[0], SAMPLE_TYPE5[1]),
    ]
    for mmsi, imo, call, name, stype, dims, eta, draught, dest, ch in (
            (431003215, 9387542, "JD2871", "NANIWA MARU NO.3", 80, (70, 15, 8, 8), (7, 25, 11, 0), 5.8, "WAKAYAMA", "B"),
            (431100293, 9156873, "JL6482", "SUMA EXPRESS", 60, (140, 35, 14, 14), (7, 25, 8, 0), 6.1, "OSAKA", "A")):
        payload, fill = static_voyage(mmsi, imo, call, name, stype, *dims, eta, draught, dest)
        whole = sentence(payload, fill, ch)[1:]
        cut = len("AIVDM,1,1,,A,") + 43
        statics.append((whole[:cut], whole[cut:]))

    lines = list(RMC_SPLIT)
    at = {12: statics[0], 33: statics[1], 52: statics[2]}  # after this many single sentences
    for i, s in enumerate(singles):
        lines.append(s)
        if i + 1 in at:
            body, tail = at[i + 1]
            lines += ["!", body, tail]
    return lines


def render(lines):
    out = ["// Generated by tools/make_demo_sample.py; regenerate rather than edit.\n",
           "R\"SAMPLE(" + "\n".join(lines) + "\n)SAMPLE\"\n"]
    return "".join(out)


def main():
    lines = build()
    assert len(lines) == 78, len(lines)
    text = render(lines)
    if "--print" in sys.argv:
        print("\n".join(lines))
    elif "--check" in sys.argv:
        with open(OUT) as f:
            sys.exit(0 if f.read() == text else 1)
    else:
        with open(OUT, "w") as f:
            f.write(text)


if __name__ == "__main__":
    main()
