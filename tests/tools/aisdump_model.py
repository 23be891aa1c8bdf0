#!/usr/bin/env python3
"""Random messages of every handled number through aisdump, each compared field by field
with an independent model of how one message fills a fresh ship-table entry.

Usage: aisdump_model.py AISDUMP [COUNT] [SEED]
"""
import json
import os
import random
import subprocess
import sys
import tempfile

ALPHABET = "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[|]^_ !\"#$%&'()*+,-./0123456789:;<=>?"


def armour(bits):
    pad = (-len(bits)) % 6
    bits = bits + [0] * pad
    out = []
    for i in range(0, len(bits), 6):
        v = int("".join(map(str, bits[i:i + 6])), 2)
        out.append(chr(v + 48 if v < 40 else v + 56))
    return "".join(out), pad


class Msg:
    """A message as a bit list, read back with 1-based inclusive positions."""

    def __init__(self, nbits, rng):
        self.bits = [rng.randint(0, 1) for _ in range(nbits)]

    def set(self, a, b, v):
        for i in range(b, a - 1, -1):
            self.bits[i - 1] = v & 1
            v >>= 1

    def u(self, a, b):
        v = 0
        for i in range(a, b + 1):
            v = v * 2 + (self.bits[i - 1] if i - 1 < len(self.bits) else 0)
        return v

    def s(self, a, b):
        v = self.u(a, b)
        w = b - a + 1
        return v - (1 << w) if v >> (w - 1) else v

    def text(self, a, n):
        return "".join(" " if self.u(a + 6 * i, a + 6 * i + 5) == 0 else ALPHABET[self.u(a + 6 * i, a + 6 * i + 5)]
                       for i in range(n))


def stations(m, start):
    t = m.u(start + 2, start + 4)
    return m.u(start + 5, start + 18) if t in (3, 5, 7) else -1


def apply_motion(d, raw, knots):
    """The decoded fields a report gives a fresh entry of another ship."""
    lat, lon, sog, cog, hdg, rot = raw["RawLat"], raw["RawLon"], raw["RawSog"], raw["RawCog"], raw["RawHdg"], raw["RawRot"]
    if -54000000 <= lat <= 54000000:
        d.update(Lat=lat / 600000.0, LatInvalid=0)
    else:
        d.update(Lat=54600000.0, LatInvalid=1)
    if -108000000 <= lon <= 108000000:
        d.update(Lon=lon / 600000.0, LonInvalid=0)
    else:
        d.update(Lon=108600000.0, LonInvalid=1)
    if 0 <= sog <= 1022:
        d.update(Sog=float(sog) if knots else sog * 0.1, SogInvalid=0)
    else:
        d.update(Sog=0.0, SogInvalid=1)
    if 0 <= cog <= 3599:
        d.update(Cog=cog * 0.1, CogInvalid=0)
    else:
        d.update(Cog=0.0, CogInvalid=1)
    d["HdgFromCog"] = 0
    if 0 <= hdg <= 359:
        d.update(Hdg=float(hdg), TrueHdg=float(hdg), HdgInvalid=0)
    elif d["Sog"] >= 3.0 and d["CogInvalid"] == 0:
        d.update(Hdg=d["Cog"], HdgInvalid=0, HdgFromCog=1)
    else:
        d["HdgInvalid"] = 1
    if -127 < rot < 127:
        v = rot / 4.733
        r = -(v * v) if rot < 0 else v * v
        d.update(Rot=r, RotHold=r)
    else:
        d["Rot"] = 0.0


def expect(number, m, bit_length):
    """(dynamic, static) fields a fresh entry holds after this one message."""
    raw = dict(RawLat=54600000, RawLon=108600000, RawSog=1023, RawCog=3600, RawHdg=511, RawRot=-128,
               RawNavStat=99, RawPosAcc=0, RawSec=60, RawRaim=0, RawStations=-1, PosState=0)
    d = dict(Lat=34.5, Lon=135.0, Sog=0.0, Cog=0.0, Hdg=0.0, Rot=0.0, TrueHdg=0.0, RotHold=0.0, NavStat=99, UtcSec=60,
             Raim=0, PosAcc=0, LatInvalid=0, LonInvalid=0, SogInvalid=0, CogInvalid=0, HdgInvalid=0, HdgFromCog=0)
    st = {"MsgNo": number}
    motion, knots = True, False
    if number in (1, 2, 3):
        raw.update(RawLat=m.s(90, 116), RawLon=m.s(62, 89), RawSog=m.u(51, 60), RawCog=m.u(117, 128), RawHdg=m.u(129, 137),
                   RawRot=m.s(43, 50), RawNavStat=m.u(39, 42), RawPosAcc=m.u(61, 61), RawSec=m.u(138, 143),
                   RawRaim=m.u(149, 149), RawStations=stations(m, 150) if number in (1, 2) else -1, PosState=2)
    elif number == 4:
        lat, lon = m.s(108, 134), m.s(80, 107)
        raw.update(RawLat=lat, RawLon=lon, RawPosAcc=m.u(79, 79), RawSec=m.u(73, 78), RawRaim=m.u(149, 149),
                   RawStations=stations(m, 150), PosState=2)
        st.update(BsLat=lat / 600000.0 if -54000000 <= lat <= 54000000 else 54600000.0,
                  BsLon=lon / 600000.0 if -108000000 <= lon <= 108000000 else 108600000.0)
    elif number == 5:
        st.update(Ver=m.u(39, 40), Imo=m.u(41, 70), Sign=m.text(71, 7), Name=m.text(113, 20), Type=m.u(233, 240),
                  AntA=m.u(241, 249), AntB=m.u(250, 258), AntC=m.u(259, 264), AntD=m.u(265, 270), Device=m.u(271, 274),
                  EtaMM=m.u(275, 278), EtaDD=m.u(279, 283), EtaHH=m.u(284, 288), EtaMN=m.u(289, 294),
                  Draught=m.u(295, 302), Dest=m.text(303, 20), Dte=m.u(423, 423), Person=0)
        raw["PosState"] = 1
        motion = False
    elif number == 9:
        raw.update(RawLat=m.s(90, 116), RawLon=m.s(62, 89), RawSog=m.u(51, 60), RawCog=m.u(117, 128),
                   RawPosAcc=m.u(61, 61), RawSec=m.u(129, 134), RawRaim=m.u(148, 148), PosState=2)
        if m.u(149, 149) == 0:
            raw["RawStations"] = stations(m, 150)
        st["Alt"] = m.u(39, 50)
        knots = True
    elif number in (18, 19):
        raw.update(RawLat=m.s(86, 112), RawLon=m.s(58, 85), RawSog=m.u(47, 56), RawCog=m.u(113, 124),
                   RawHdg=m.u(125, 133), RawPosAcc=m.u(57, 57), RawSec=m.u(134, 139), PosState=2)
        if number == 18:
            raw["RawRaim"] = m.u(148, 148)
            if m.u(149, 149) == 0:
                raw["RawStations"] = stations(m, 150)
        else:
            raw["RawRaim"] = m.u(306, 306)
            st.update(Ver=0, Imo=0, Name=m.text(144, 20), Type=m.u(264, 271), AntA=m.u(272, 280), AntB=m.u(281, 289),
                      AntC=m.u(290, 295), AntD=m.u(296, 301), Device=m.u(302, 305), Draught=0, Dte=m.u(307, 307),
                      EtaMM=1, EtaDD=1, EtaHH=0, EtaMN=0)
    elif number == 21:
        n = min(max((bit_length - 272) // 6, 0), 14)
        st.update(Aids=m.u(39, 43), Name1=m.text(44, 20), AntA=m.u(220, 228), AntB=m.u(229, 237), AntC=m.u(238, 243),
                  AntD=m.u(244, 249), OffPosi=m.u(260, 260), Virtual=m.u(270, 270), Name2=m.text(273, n))
        raw.update(RawLat=m.s(193, 219), RawLon=m.s(165, 192), RawPosAcc=m.u(164, 164), RawSec=m.u(254, 259),
                   RawRaim=m.u(269, 269), PosState=2)
    elif number == 24:
        if m.u(39, 40) == 0:
            st["Name"] = m.text(41, 20)
        elif m.u(39, 40) == 1:
            st.update(Type=m.u(41, 48), Vendor=m.text(49, 7), Sign=m.text(91, 7), AntA=m.u(133, 141),
                      AntB=m.u(142, 150), AntC=m.u(151, 156), AntD=m.u(157, 162))
        raw["PosState"] = 1
        motion = False
    if motion:
        apply_motion(d, raw, knots)
    if raw["RawNavStat"] != 99:
        d["NavStat"] = raw["RawNavStat"]
    if raw["RawSec"] != 60:
        d["UtcSec"] = raw["RawSec"]
    if raw["RawRaim"] != 0:
        d["Raim"] = raw["RawRaim"]
    d["PosAcc"] = raw["RawPosAcc"]
    d.update(raw)
    return d, st


LENGTHS = {1: [168], 2: [168], 3: [168], 4: [168], 5: [424], 9: [168], 18: [168], 19: [312],
           21: list(range(272, 362, 2)), 24: [160, 168]}


def main():
    aisdump = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 3000
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 20261208)
    numbers = sorted(LENGTHS)
    cases = {}
    dropped = set()
    lines = []
    used = set()
    for k in range(count):
        number = numbers[k % len(numbers)]
        bit_length = rng.choice(LENGTHS[number])
        # A bit length that is not a whole number of characters is carried by fill bits.
        m = Msg(bit_length, rng)
        m.set(1, 6, number)
        while True:
            mmsi = rng.randrange(1, 1 << 30)
            if mmsi not in used and mmsi != 599999999 and mmsi != 1:
                break
        used.add(mmsi)
        m.set(9, 38, mmsi)
        if number == 24 and m.u(39, 40) > 1:
            dropped.add(mmsi)  # parts 2 and 3 have another layout: no station
        text, fill = armour(m.bits)
        channel = rng.choice("AB")
        roll = rng.random()
        if roll < 0.15:
            # Sent in two or three fragments, in order: the same message.
            parts = rng.choice([2, 3])
            cuts = sorted(rng.sample(range(1, len(text)), parts - 1))
            pieces = [text[a:b] for a, b in zip([0] + cuts, cuts + [len(text)])]
            for i, piece in enumerate(pieces):
                lines.append("!AIVDM,%d,%d,7,%s,%s,%d*00" % (parts, i + 1, channel, piece, fill if i == parts - 1 else 0))
        elif roll < 0.20:
            # A character outside the armour: the message is dropped, no station appears.
            bad = rng.randrange(len(text))
            lines.append("!AIVDM,1,1,,%s,%s%s%s,%d*00" % (channel, text[:bad], rng.choice("XYZxyz!"), text[bad + 1:], fill))
            dropped.add(mmsi)
        elif roll < 0.25:
            # Cut before its checksum digits: rejected by the sentence layer.
            lines.append("!AIVDM,1,1,,%s,%s,%d" % (channel, text, fill))
            dropped.add(mmsi)
        else:
            lines.append("!AIVDM,1,1,,%s,%s,%d*00" % (channel, text, fill))
        if rng.random() < 0.1:
            # Lines of other kinds between messages change nothing.
            lines.append(rng.choice(["$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47",
                                     "# a comment", "garbage", "!AIALR,000000.00,001,V,V,AIS: UTC Lost*7C"]))
        cases[mmsi] = expect(number, m, len(m.bits))
    failures = []
    compared = 0
    seen = set()
    # One station per message, fewer than the table holds: one run per chunk of lines that
    # starts at a message's first line.
    chunks, current = [], []
    for line in lines:
        if len(current) >= 1000 and not line.startswith(("!AIVDM,2,2", "!AIVDM,3,2", "!AIVDM,3,3")):
            chunks.append(current)
            current = []
        current.append(line)
    chunks.append(current)
    for chunk in chunks:
        with tempfile.TemporaryDirectory() as home:
            os.makedirs(os.path.join(home, "DATA"))
            src = os.path.join(home, "in.nmea")
            with open(src, "w") as f:
                f.write("\n".join(chunk) + "\n")
            out = subprocess.run([aisdump, "--home", home, src], capture_output=True, text=True, check=True).stdout
        for row in map(json.loads, out.splitlines()):
            if "dynamic" not in row or row["index"] == 0:
                continue
            d, s = row["dynamic"], row["static"]
            seen.add(d["MMSI"])
            exp_d, exp_s = cases[d["MMSI"]]
            for key, want in exp_d.items():
                compared += 1
                got = d[key]
                if (abs(got - want) > 1e-9 * max(1.0, abs(want))) if isinstance(want, float) else got != want:
                    failures.append((d["MMSI"], key, got, want))
            for key, want in exp_s.items():
                compared += 1
                if s[key] != want and not (isinstance(want, float) and abs(s[key] - want) <= 1e-9 * max(1.0, abs(want))):
                    failures.append((d["MMSI"], key, s[key], want))
    missing = sorted(set(cases) - dropped - seen)
    for mmsi in sorted(seen & dropped):
        failures.append((mmsi, "station", "present", "dropped"))
    for mmsi in missing:
        failures.append((mmsi, "station", "absent", "present"))
    print("%d messages (%d meant to be dropped), %d stations found, %d fields compared, %d mismatches"
          % (len(cases), len(dropped), len(seen), compared, len(failures)))
    for f in failures[:20]:
        print("MMSI %d %s: aisdump %r, model %r" % f)
    return 1 if failures or compared == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
