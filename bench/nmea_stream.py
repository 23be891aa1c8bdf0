"""Synthetic AIS traffic for the benchmarks and the soak run: class A position reports
(message 1) and static reports in two fragments (message 5), armoured and checksummed as a
receiver sends them, plus the damaged lines a real serial line produces."""
import math
import random


def _armour(bits):
    bits += "0" * (-len(bits) % 6)
    out = []
    for i in range(0, len(bits), 6):
        v = int(bits[i:i + 6], 2)
        out.append(chr(v + 48 if v < 40 else v + 56))
    return "".join(out)


def _uint(v, n):
    return format(v & ((1 << n) - 1), "0%db" % n)


def _text(s, chars):
    s = (s.upper() + "@" * chars)[:chars]
    return "".join(_uint(ord(c) - 64 if ord(c) >= 64 else ord(c), 6) for c in s)


def _sentence(body):
    cs = 0
    for ch in body:
        cs ^= ord(ch)
    return "!%s*%02X" % (body, cs)


def position_report(mmsi, lat, lon, sog, cog, hdg, second, talker="AI", channel="A"):
    bits = (_uint(1, 6) + _uint(0, 2) + _uint(mmsi, 30) + _uint(0, 4) + _uint(0, 8) +
            _uint(int(round(sog * 10)), 10) + "1" + _uint(int(round(lon * 600000)), 28) +
            _uint(int(round(lat * 600000)), 27) + _uint(int(round(cog * 10)) % 3600, 12) +
            _uint(int(hdg) % 360, 9) + _uint(second % 60, 6) + _uint(0, 2) + _uint(0, 3) + "0" +
            _uint(0, 19))
    return _sentence("%sVDM,1,1,,%s,%s,0" % (talker, channel, _armour(bits)))


def static_report(mmsi, name, callsign, shiptype, length, beam, seq, talker="AI", channel="B"):
    bow = length * 2 // 3
    side = beam // 2
    bits = (_uint(5, 6) + _uint(0, 2) + _uint(mmsi, 30) + _uint(0, 2) + _uint(9000000 + mmsi % 999999, 30) +
            _text(callsign, 7) + _text(name, 20) + _uint(shiptype, 8) + _uint(bow, 9) + _uint(length - bow, 9) +
            _uint(side, 6) + _uint(beam - side, 6) + _uint(1, 4) + _uint(12, 4) + _uint(24, 5) + _uint(12, 5) +
            _uint(0, 6) + _uint(55, 8) + _text("KOBE", 20) + "0" + "0")
    payload = _armour(bits)
    fill = (-len(bits)) % 6
    half = len(payload) // 2
    return [_sentence("%sVDM,2,1,%d,%s,%s,0" % (talker, seq % 10, channel, payload[:half])),
            _sentence("%sVDM,2,2,%d,%s,%s,%d" % (talker, seq % 10, channel, payload[half:], fill))]


def damaged_line(rng):
    kind = rng.randrange(4)
    if kind == 0:
        return "".join(chr(rng.randrange(32, 127)) for _ in range(rng.randrange(1, 120)))
    if kind == 1:
        s = position_report(rng.randrange(200000000, 799999999), 34.5, 135.2, 10, 45, 45, 0)
        return s[:rng.randrange(3, len(s))]
    if kind == 2:
        return "!AIVDM,1,1,,A,@@@@@@\x7f\x80\xff,0*00"
    return "$GPGGA,,,,,,0,00,99.99,,,,,,*48"


class Fleet:
    """Ships spread over a box, each moving on its own course; report() advances one."""

    def __init__(self, count, lat0, lat1, lon0, lon1, seed=1, first_mmsi=431100000):
        rng = random.Random(seed)
        self.rng = rng
        self.ships = []
        for i in range(count):
            self.ships.append({
                "mmsi": first_mmsi + i,
                "lat": rng.uniform(lat0, lat1),
                "lon": rng.uniform(lon0, lon1),
                "sog": rng.choice([0.0, rng.uniform(3, 25)]),
                "cog": rng.uniform(0, 359.9),
                "t": 0.0,
            })
        self.box = (lat0, lat1, lon0, lon1)

    def report(self, i, now_s, talker="AI"):
        s = self.ships[i]
        dt_h = (now_s - s["t"]) / 3600.0
        s["t"] = now_s
        d = s["sog"] * dt_h / 60.0
        s["lat"] += d * math.cos(math.radians(s["cog"]))
        s["lon"] += d * math.sin(math.radians(s["cog"])) / max(math.cos(math.radians(s["lat"])), 0.2)
        lat0, lat1, lon0, lon1 = self.box
        if not (lat0 <= s["lat"] <= lat1 and lon0 <= s["lon"] <= lon1):
            s["cog"] = (s["cog"] + 180) % 360
        return position_report(s["mmsi"] % 1000000000, s["lat"], s["lon"], s["sog"], s["cog"], s["cog"],
                               int(now_s), talker=talker, channel="AB"[i % 2])
