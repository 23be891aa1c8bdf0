"""Shared pieces of the relay's end-to-end scripts: the relay process with its figures
lines, line sources it connects to, clients of its TCP server, and a real mosquitto broker
on a free loopback port that always stops. Loopback only (127.0.0.1 and ::1)."""
import json
import os
import pwd
import random
import shutil
import signal
import socket
import subprocess
import tempfile
import threading
import time

import aismon_e2e as base

check = base.check
equal = base.equal
FAILURES = base.FAILURES

# Waits end tests that would otherwise hang; a slow machine makes them longer, never fail.
LIMIT_S = 60


def wait_for(done, what, limit=LIMIT_S):
    end = time.monotonic() + limit
    while not done():
        if time.monotonic() > end:
            return check(False, "waited for " + what)
        time.sleep(0.01)
    return True


def free_tcp_port(host="127.0.0.1"):
    family = socket.AF_INET6 if ":" in host else socket.AF_INET
    s = socket.socket(family, socket.SOCK_STREAM)
    s.bind((host, 0))
    port = s.getsockname()[1]
    s.close()
    return port


def nmea_checksum(body):
    c = 0
    for ch in body:
        c ^= ord(ch)
    return "%02X" % c


def random_position_reports(n, seed=26):
    """Distinct single-sentence messages: a message number 1 head and random six-bit
    characters (they only need to differ; nothing here decodes them)."""
    rng = random.Random(seed)
    alphabet = "".join(chr(c) for c in list(range(48, 88)) + list(range(96, 120)))
    out = []
    for i in range(n):
        payload = "1" + "".join(rng.choice(alphabet) for _ in range(27))
        body = "AIVDM,1,1,,%s,%s,0" % ("AB"[i % 2], payload)
        out.append("!%s*%s" % (body, nmea_checksum(body)))
    return out


class LineServer:
    """A TCP line source the relay connects to (tcp:127.0.0.1:PORT)."""

    def __init__(self):
        self.server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.server.bind(("127.0.0.1", 0))
        self.server.listen(1)
        self.port = self.server.getsockname()[1]
        self.conn = None
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        try:
            self.conn, _ = self.server.accept()
        except OSError:
            pass

    def send(self, lines):
        self.conn.sendall("".join(l + "\r\n" for l in lines).encode("latin-1"))

    def close(self):
        for s in (self.conn, self.server):
            if s is not None:
                s.close()


class Client:
    """A client of the relay's TCP server; a reader thread keeps what arrives, unless the
    client is slow (then nothing is read until drain())."""

    def __init__(self, host, port, slow=False):
        family = socket.AF_INET6 if ":" in host else socket.AF_INET
        self.sock = socket.socket(family, socket.SOCK_STREAM)
        if slow:
            self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        self.sock.connect((host, port))
        self.data = bytearray()
        self.lock = threading.Lock()
        if not slow:
            threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        while True:
            try:
                b = self.sock.recv(65536)
            except OSError:
                return
            if not b:
                return
            with self.lock:
                self.data += b

    def lines(self):
        with self.lock:
            text = self.data.decode("latin-1")
        return text.split("\r\n")[:-1]

    def raw(self):
        with self.lock:
            return bytes(self.data)

    def drain(self):
        """Everything the server sent and will send (until it closes or goes quiet)."""
        self.sock.settimeout(2.0)
        while True:
            try:
                b = self.sock.recv(65536)
            except socket.timeout:
                return
            if not b:
                return
            self.data += b

    def close(self):
        # A reader thread blocked in recv holds the socket open: shut it down first.
        try:
            self.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.sock.close()


class Relay:
    """aisrelay with figures every second; the latest figures line is kept."""

    def __init__(self, aisrelay, args):
        self.proc = subprocess.Popen([aisrelay, "--stats-every", "1"] + args, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, text=True)
        self.figures = None
        self.stdout = []
        self.stderr = []
        self.readers = [threading.Thread(target=self._read, args=(self.proc.stdout, self.stdout, True), daemon=True),
                        threading.Thread(target=self._read, args=(self.proc.stderr, self.stderr, False), daemon=True)]
        for r in self.readers:
            r.start()

    def _read(self, stream, keep, figures):
        for line in stream:
            keep.append(line)
            if figures:
                try:
                    self.figures = json.loads(line)
                except ValueError:
                    pass

    def output(self, i):
        return self.figures["outputs"][i] if self.figures else {}

    def source(self, name):
        for s in (self.figures or {}).get("sources", []):
            if s["name"] == name:
                return s
        return {}

    def stop(self):
        """SIGTERM; the exit status."""
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
        try:
            self.proc.wait(timeout=LIMIT_S)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            check(False, "aisrelay stops on SIGTERM")
        for r in self.readers:  # the last lines, up to the end of the streams
            r.join(LIMIT_S)
        return self.proc.returncode


def connect_when_listening(host, port, slow=False):
    end = time.monotonic() + LIMIT_S
    while True:
        try:
            return Client(host, port, slow)
        except OSError:
            if time.monotonic() > end:
                raise
            time.sleep(0.02)


class Broker:
    """A mosquitto broker on a free loopback port with a generated configuration; always
    stopped by stop() (callers use try/finally). extra: more configuration lines."""

    def __init__(self, folder, extra=(), port=None):
        self.folder = folder
        self.port = port or free_tcp_port()
        self.extra = list(extra)
        self.proc = None
        self.log = os.path.join(folder, "mosquitto.log")
        self.start()

    def start(self):
        conf = os.path.join(self.folder, "mosquitto.conf")
        with open(conf, "w") as f:
            f.write("listener %d 127.0.0.1\n" % self.port)
            f.write("persistence false\nlog_dest file %s\nlog_type all\n" % self.log)
            # Run as whoever runs the test, so that it reads the test's files.
            f.write("user %s\n" % pwd.getpwuid(os.getuid()).pw_name)
            if not any(l.startswith(("password_file", "allow_anonymous")) for l in self.extra):
                f.write("allow_anonymous true\n")
            f.write("".join(l + "\n" for l in self.extra))
        self.proc = subprocess.Popen(["mosquitto", "-c", conf], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        wait_for(lambda: self.proc.poll() is not None or self._listening(), "mosquitto listening")
        check(self.proc.poll() is None, "mosquitto runs")

    def _listening(self):
        try:
            socket.create_connection(("127.0.0.1", self.port), timeout=1).close()
            return True
        except OSError:
            return False

    def log_text(self):
        try:
            with open(self.log, encoding="utf-8", errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def stop(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=LIMIT_S)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc = None


def have_mosquitto():
    return all(shutil.which(p) for p in ("mosquitto", "mosquitto_pub", "mosquitto_sub"))


def temp_folder(prefix):
    return tempfile.mkdtemp(prefix=prefix)
