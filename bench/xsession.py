"""A display, a monitor window on it and a pseudo-terminal feeding it, for the benchmarks and
the soak run. Needs Xvfb and xdotool (installed on demand)."""
import ctypes
import ctypes.util
import os
import pty
import shutil
import subprocess
import sys
import termios
import time
import tty

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def ensure_tools():
    missing = [p for p, exe in (("xvfb", "Xvfb"), ("xdotool", "xdotool")) if shutil.which(exe) is None]
    if missing:
        sudo = [] if os.geteuid() == 0 else ["sudo"]
        subprocess.run(sudo + ["apt-get", "install", "-y", "-qq"] + missing, check=True)


class Display:
    def __init__(self, number=97, size="1920x1080"):
        self.name = ":%d" % number
        self.proc = subprocess.Popen(["Xvfb", self.name, "-screen", "0", size + "x24", "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1.5)
        if self.proc.poll() is not None:
            raise SystemExit("Xvfb did not start on " + self.name)

    def env(self):
        e = dict(os.environ)
        e["DISPLAY"] = self.name
        e.pop("QT_QPA_PLATFORM", None)
        return e

    def close(self):
        self.proc.terminate()
        self.proc.wait()


class Pty:
    """The monitor opens the slave as its serial port; we write to the master."""

    def __init__(self):
        self.master, self.slave = pty.openpty()
        tty.setraw(self.slave)
        attrs = termios.tcgetattr(self.slave)
        attrs[3] &= ~termios.ECHO
        termios.tcsetattr(self.slave, termios.TCSANOW, attrs)
        self.path = os.ttyname(self.slave)
        os.set_blocking(self.master, False)

    def write(self, text):
        data = text.encode("ascii", "replace")
        while data:
            try:
                n = os.write(self.master, data)
                data = data[n:]
            except BlockingIOError:
                time.sleep(0.002)

    def drain(self):
        # Nothing is written back, but keep the line clear of anything echoed.
        try:
            while os.read(self.master, 65536):
                pass
        except (BlockingIOError, OSError):
            pass


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) / ticks


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def read_counts(path):
    out = []
    try:
        with open(path) as f:
            for line in f:
                parts = line.split()
                if len(parts) >= 2:
                    # ms, frames so far, the serial reader's longest gap between reads and the
                    # longest a read byte waited before decoding (ms)
                    out.append((int(parts[0]), int(parts[1])) + tuple(int(p) for p in parts[2:4]))
    except FileNotFoundError:
        pass
    return out


def frame_rate(counts, since_ms):
    pts = [c for c in counts if c[0] >= since_ms]
    if len(pts) < 2:
        return 0.0
    return (pts[-1][1] - pts[0][1]) * 1000.0 / max(1, pts[-1][0] - pts[0][0])


def home_folder(name):
    """A program folder beside the build's own, so it finds the build's coastline tiles."""
    home = os.path.join(ROOT, "build", name)
    shutil.rmtree(home, ignore_errors=True)
    os.makedirs(os.path.join(home, "DATA"))
    return home


def window_id(display, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        # Only the visible one: Qt also makes an unmapped 1x1 window and a selection owner of that name.
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "AIS"], env=display.env(), capture_output=True, text=True)
        ids = r.stdout.split()
        if ids:
            return ids[-1]
        time.sleep(0.5)
    raise SystemExit("the monitor's window did not appear")


def xdo(display, *args):
    return subprocess.run(["xdotool"] + list(args), env=display.env(), capture_output=True, text=True)


class Pointer:
    """Moves and presses the pointer through XTest from this process: a drag that started
    one xdotool process per step loaded the machine with a hundred processes a second."""

    def __init__(self, display):
        self.x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.dpy = self.x11.XOpenDisplay(display.name.encode())
        if not self.dpy:
            raise SystemExit("cannot open display " + display.name)

    def move(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.dpy, -1, int(x), int(y), 0)
        self.x11.XFlush(self.dpy)

    def button(self, down):
        self.xtst.XTestFakeButtonEvent(self.dpy, 1, 1 if down else 0, 0)
        self.x11.XFlush(self.dpy)

    def close(self):
        self.x11.XCloseDisplay(self.dpy)


def aismon_path():
    p = os.path.join(ROOT, "build", "tools", "aismon")
    if not os.path.exists(p):
        sys.exit("build the project first (scripts/run or cmake --build build): no " + p)
    return p
