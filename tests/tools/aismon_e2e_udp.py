#!/usr/bin/env python3
"""The aismon program end to end through UDP: the pseudo-terminal test's sentences sent
as datagrams to a network source on 127.0.0.1 (several sentences in one datagram, one
sentence split over two, one without its line end); after the program closes by itself,
its ship database files, settings file and snapshot are checked as in that test. A second
start with no source named listens on the default port and must write back the same files.

Usage: aismon_e2e_udp.py AISMON
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import aismon_e2e as base  # noqa: E402


def datagrams(lines):
    """The lines cut as receivers and decoders cut them: in twos, one split in the middle,
    the last without a line end."""
    out = []
    rest = list(lines)
    first = rest.pop(0)
    out += [first[:20], first[20:] + "\r\n"]
    while len(rest) > 2:
        out.append(rest.pop(0) + "\r\n" + rest.pop(0) + "\r\n")
    out += [rest[0] + "\n", rest[1]]
    return [d.encode("ascii") for d in out]


def first_run(aismon, work, home, lines):
    port = base.free_udp_port()
    exit_ms = 6000
    shot = os.path.join(home, "shot.png")
    started = time.monotonic()
    counts = os.path.join(work, "counts.txt")
    proc = subprocess.Popen([aismon, "--home", home, "--source", "udp:127.0.0.1:%d" % port] +
                            base.port_arguments(home, os.path.join(home, "absent-1")) +
                            ["--exit-after-ms", str(exit_ms), "--snapshot", shot, "--frame-counts", counts],
                            env=base.program_env(work), stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        listening = base.wait_until(lambda: base.port_taken(port), 60, proc)
        if not base.check(listening, "the program listens on UDP port %d" % port):
            proc.kill()
            proc.communicate()
            return None
        sender = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        for d in datagrams(lines):
            sender.sendto(d, ("127.0.0.1", port))
            time.sleep(0.02)
        sender.close()
        want = base.vdm_count(lines)
        base.check(base.wait_until(lambda: base.vdm_taken(counts) == want, 120, proc),
                   "the program took all %d VDM sentences (%d)" % (want, base.vdm_taken(counts)))
        base.finish(proc, 120 + exit_ms // 1000, "first run")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.communicate()
    return time.monotonic() - started


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    aismon = os.path.abspath(sys.argv[1])
    lines = base.input_sentences()
    work = tempfile.mkdtemp(prefix="aismon-e2e-udp-")
    try:
        home = os.path.join(work, "home")
        os.makedirs(home)
        elapsed = first_run(aismon, work, home, lines)
        if elapsed is not None and not base.FAILURES:
            first = base.check_first_run(home, elapsed)
            ini = first[2].decode("latin-1")
            base.check("[Sources]" not in ini, "sources named on the command line are not written: %r" % ini)
            # No source named and no serial port: the default udp:10110, which another test
            # may hold at the same moment; either way the run ends normally.
            base.second_run(aismon, work, home)
            base.check_second_run(home, *first)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if base.FAILURES:
        print("%d check(s) failed" % len(base.FAILURES))
        return 1
    print("aismon end to end through UDP: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
