#!/usr/bin/env python3
"""aisrelay end to end on loopback: two TCP sources carrying the same stream, a TCP server
output with a fast and a slow client, a second one on ::1 with own VDO, UDP forwarding of
some message numbers; the figures lines; a clean stop on SIGTERM.

usage: aisrelay_e2e.py AISRELAY"""
import os
import socket
import subprocess
import sys
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import relay_support as rs  # noqa: E402

# Real sentences (gpsd's and pyais's captures): message 1, a message 5 in two fragments,
# a message 18, own ship's VDO, a GPS fix, and a message 1 behind a TAG block.
POS = "!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D"
STATIC1 = "!AIVDM,2,1,1,A,55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8,0*1C"
STATIC2 = "!AIVDM,2,2,1,A,88888888880,2*25"
CLASS_B = "!AIVDM,1,1,,A,B52K>;h00Fc>jpUlNV@ikwpUoP06,0*4C"
OWN = "!AIVDO,1,1,,A,E@2=Vg@;4a::PV@0b7W@:94PV@3P0qo>>evWP000006f11@,2*0F"
RMC = "$GPRMC,123456,A,3435.0000,N,13515.0000,E,123,456,123456,0,E,A*06"
TAGGED = "\\s:r1*0A\\!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C"
UNTAGGED = TAGGED[TAGGED.index("!"):]
STREAM = [POS, STATIC1, RMC, STATIC2, CLASS_B, OWN, TAGGED]
BULK = 30000
WINDOW = 1000  # lines sent ahead of the fast client


class UdpReceiver:
    """Keeps every datagram that arrives, from a thread of its own."""

    def __init__(self):
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4 << 20)
        self.sock.bind(("127.0.0.1", 0))
        self.port = self.sock.getsockname()[1]
        self.grams = []
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        while True:
            try:
                self.grams.append(self.sock.recv(65536))
            except OSError:
                return

    def lines(self):
        out = []
        for g in list(self.grams):
            out += g.decode("latin-1").split("\r\n")[:-1]
        return out


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    aisrelay = os.path.abspath(sys.argv[1])
    help_run = subprocess.run([aisrelay, "--help"], capture_output=True, text=True, timeout=rs.LIMIT_S)
    rs.check(help_run.returncode == 0 and "--output" in help_run.stdout, "--help exits 0 and names --output")
    bad = subprocess.run([aisrelay, "--source", "udp:1", "--output", "mqtt://u:s3cret@h/t?types=99"],
                         capture_output=True, text=True, timeout=rs.LIMIT_S)
    rs.check(bad.returncode == 2 and "types" in bad.stderr and "s3cret" not in bad.stderr,
             "a bad --output: status 2, the reason, no password: %r" % bad.stderr)

    sources = [rs.LineServer(), rs.LineServer()]
    tcp_port, v6_port = rs.free_tcp_port(), rs.free_tcp_port("::1")
    udp_in = UdpReceiver()
    args = []
    for s in sources:
        args += ["--source", "tcp:127.0.0.1:%d" % s.port]
    args += ["--output", "tcp-server:127.0.0.1:%d" % tcp_port,
             "--output", "udp:127.0.0.1:%d?types=1,2,3" % udp_in.port,
             "--output", "tcp-server:[::1]:%d?vdo=1" % v6_port]
    relay = rs.Relay(aisrelay, args)
    clients = []
    try:
        fast = rs.connect_when_listening("127.0.0.1", tcp_port)
        slow = rs.connect_when_listening("127.0.0.1", tcp_port, slow=True)
        own = rs.connect_when_listening("::1", v6_port)
        clients = [fast, slow, own]
        rs.wait_for(lambda: all(s.conn is not None for s in sources), "the relay connects to both sources")
        rs.wait_for(lambda: relay.output(0).get("clients") == 2, "two clients on the first server")
        rs.wait_for(lambda: relay.output(2).get("clients") == 1, "one client on the ::1 server")

        # The same stream from both sources: each message once, fragments together, as received.
        for s in sources:
            s.send(STREAM)
        vdm = [POS, STATIC1, STATIC2, CLASS_B, UNTAGGED]
        rs.wait_for(lambda: len(fast.lines()) >= len(vdm), "the stream on the fast client")
        rs.wait_for(lambda: len(own.lines()) >= len(vdm) + 1, "the stream on the ::1 client")
        rs.equal(fast.lines(), vdm, "TCP client: each line once, in order, TAG block dropped")
        rs.equal(own.lines(), [POS, STATIC1, STATIC2, CLASS_B, OWN, UNTAGGED], "?vdo=1 adds own VDO")
        rs.check(fast.raw().endswith(b"\r\n"), "lines end in CR LF")
        rs.wait_for(lambda: len(udp_in.lines()) >= 2, "the stream over UDP")
        rs.equal(udp_in.lines(), [POS, UNTAGGED], "UDP ?types=1,2,3: only message numbers 1 to 3")

        # A bulk stream on one source, paced by the fast client: it gets every line; the slow
        # one, whose queue fills, loses lines but never gets a broken one.
        bulk = rs.random_position_reports(BULK)
        start = len(fast.lines())
        for i in range(0, BULK, WINDOW):
            sources[0].send(bulk[i:i + WINDOW])
            rs.wait_for(lambda: len(fast.lines()) >= start + i + WINDOW, "the fast client keeps up")
        rs.check(fast.lines()[start:] == bulk, "the fast client gets every bulk line once, in order (%d of %d)"
                 % (len(fast.lines()) - start, BULK))
        rs.wait_for(lambda: len(udp_in.lines()) >= BULK + 2, "the bulk over UDP")
        got, grams = udp_in.lines()[2:], udp_in.grams
        rs.check(got == bulk, "UDP: every bulk line (%d of %d)" % (len(got), BULK))
        rs.check(max(len(g) for g in grams) <= 1452 and len(grams) < BULK, "several sentences per datagram, "
                 "at most 1452 bytes: %d datagrams, largest %d" % (len(grams), max(len(g) for g in grams)))
        rs.wait_for(lambda: relay.output(0).get("dropped", 0) > 0, "the slow client's loss in the figures")
        slow.drain()
        slow_lines = slow.lines()
        rs.check(len(slow.raw()) > 0 and slow.raw().endswith(b"\r\n"), "the slow client's data ends a line")
        rs.check(len(slow_lines[start:]) < BULK, "the slow client lost lines: got %d of %d" % (len(slow_lines) - start, BULK))
        pos = 0
        whole = True
        index = {l: i for i, l in enumerate(bulk)}
        for l in slow_lines[start:]:
            i = index.get(l, -1)
            whole = whole and i >= pos
            pos = i + 1
        rs.check(whole, "the slow client's lines are whole bulk lines in order")
    finally:
        status = relay.stop()
        for c in clients:
            c.close()
        for s in sources:
            s.close()
        udp_in.sock.close()
    rs.equal(status, 0, "aisrelay exit status after SIGTERM")
    f = relay.figures or {}
    names = [s["name"] for s in f.get("sources", [])]
    rs.equal(names, ["tcp:127.0.0.1:%d" % s.port for s in sources] + ["tcp:127.0.0.1:%d/r1" % sources[0].port,
                                                                      "tcp:127.0.0.1:%d/r1" % sources[1].port],
             "sources and TAG sub-sources in the last figures")
    messages = sum(s["messages"] for s in f.get("sources", []))
    duplicates = sum(s["duplicates"] for s in f.get("sources", []))
    rs.equal((messages, duplicates), (BULK + 2 * 5, 5), "messages and duplicates over both sources")
    rs.equal(f["outputs"][0]["sent"] + f["outputs"][0]["dropped"], 2 * (BULK + 5), "first server: sent and dropped")
    rs.equal(f["outputs"][1]["sent"], BULK + 2, "UDP output: lines sent")
    if rs.FAILURES:
        print("%d failure(s)" % len(rs.FAILURES))
        return 1
    print("aisrelay end to end: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
