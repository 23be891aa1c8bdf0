#!/usr/bin/env python3
"""Bad command lines of aismon, aisrender and aisdump: each must end with status 2 and
exactly one line on standard error that names the offending argument, and must leave the
program folder it was given untouched. --help (and -h) prints the usage on standard output
and ends with status 0, starting nothing.

Usage: cli_args.py AISMON AISRENDER AISDUMP

In every row HOME stands for a fresh empty folder. Rows put good arguments that would
make a wrongly accepted run end by itself (and write into HOME) before the bad one.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

# (tool, arguments, the text the error line must contain)
ROWS = [
    # aismon
    ("aismon", ["--bogus"], "--bogus"),
    ("aismon", ["-x"], "-x"),
    ("aismon", ["--exit-after-ms", "200", "stray"], "stray"),
    ("aismon", ["--exit-after-ms", "200", "--home"], "--home"),
    ("aismon", ["--exit-after-ms", "200", "--home", ""], "--home"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--port"], "--port"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--port", "1="], "1="),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--port", "0=/x"], "0=/x"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--port", "21=/x"], "21=/x"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--port", "-1=/x"], "-1=/x"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--port", "x=/x"], "x=/x"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--port", "/dev/null"], "/dev/null"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--port", "=/x"], "=/x"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--source"], "--source"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--source", "udp:0"], "udp:0"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--source", "10110"], "10110"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--source", "tcp:host"], "tcp:host"),
    ("aismon", ["--home", "HOME", "--exit-after-ms", "abc"], "abc"),
    ("aismon", ["--home", "HOME", "--exit-after-ms", "10x"], "10x"),
    ("aismon", ["--home", "HOME", "--exit-after-ms", "-5"], "-5"),
    ("aismon", ["--home", "HOME", "--exit-after-ms", ""], "--exit-after-ms"),
    ("aismon", ["--home", "HOME", "--exit-after-ms", "99999999999999999999"], "99999999999999999999"),
    ("aismon", ["--home", "HOME", "--exit-after-ms"], "--exit-after-ms"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--snapshot", ""], "--snapshot"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--snapshot"], "--snapshot"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--Home", "HOME"], "--Home"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--stations", "1023"], "1023"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--stations", "16385"], "16385"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--stations", "2048x"], "2048x"),
    ("aismon", ["--exit-after-ms", "200", "--home", "HOME", "--stations", "-2048"], "-2048"),
    # aisrender
    ("aisrender", ["--home", "HOME"], "--out"),
    ("aisrender", ["--home", "HOME", "--out"], "--out"),
    ("aisrender", ["--home", "HOME", "--out", ""], "--out"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "stray"], "stray"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--bogus", "1"], "--bogus"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--bogus"], "unknown option: --bogus"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--size", "0x10"], "0x10"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--size", "10x0"], "10x0"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--size", "640"], "640"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--size", "640x"], "640x"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--size", "x480"], "x480"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--size", "-640x480"], "-640x480"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--size", "640x480x2"], "640x480x2"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--stations", "abc"], "abc"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--size", "20000x10"], "20000x10"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--size", "axb"], "axb"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--mpp", "0"], "0"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--mpp", "-3"], "-3"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--mpp", "abc"], "abc"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--mpp", "nan"], "nan"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--mpp", "inf"], "inf"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--mpp", "1e999"], "1e999"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--mpp"], "--mpp"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--center", "95,0"], "95,0"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--center", "-90.5,0"], "-90.5,0"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--center", "0,400"], "0,400"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--center", "34.5"], "34.5"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--center", "34.5,"], "34.5,"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--center", ",135"], ",135"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--center", "a,b"], "a,b"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--center", "34.5,135,1"], "34.5,135,1"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--rotation", "north"], "north"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--rotation", "nan"], "nan"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--frames", "0"], "0"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--frames", "2.5"], "2.5"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--big-icons", "2"], "2"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--grid", "yes"], "yes"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--rings", ""], "--rings"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--course", "on"], "on"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--wake", "-1"], "-1"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--fix", "true"], "true"),
    ("aisrender", ["--home", "HOME", "--out", "HOME/o.png", "--input", "HOME/none.nmea"], "HOME/none.nmea"),
    ("aisrender", ["--home", "HOME/missing", "--out", "HOME/o.png"], "HOME/missing"),
    # aisdump
    ("aisdump", ["--bogus"], "--bogus"),
    ("aisdump", ["--vdo=1"], "--vdo=1"),
    ("aisdump", ["--home"], "--home"),
    ("aisdump", ["--stations", "99999"], "99999"),
    ("aisdump", ["--stations"], "--stations"),
    ("aisdump", ["--save"], "--save"),
    ("aisdump", ["--home", "HOME", "--save", "--bogus"], "--bogus"),
    ("aisdump", ["--home", "HOME", "--save", "HOME/none.nmea"], "HOME/none.nmea"),
    ("aisdump", ["--source"], "--source"),
    ("aisdump", ["--source", "udp:70000"], "udp:70000"),
    ("aisdump", ["--exit-after-ms", "100"], "--exit-after-ms"),
    ("aisdump", ["--source", "udp:127.0.0.1:1", "--exit-after-ms", "x"], "x"),
]


def tree(folder):
    found = []
    for root, dirs, files in os.walk(folder):
        found += [os.path.relpath(os.path.join(root, n), folder) for n in dirs + files]
    return sorted(found)


def run_row(exe, tool, args, offending):
    """Problems with one row (an empty list when it behaves)."""
    home = tempfile.mkdtemp(prefix="aismon-cli-")
    try:
        real = [a.replace("HOME", home) for a in args]
        want = offending.replace("HOME", home)
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        try:
            p = subprocess.run([exe] + real, stdin=subprocess.DEVNULL, capture_output=True, env=env, timeout=30)
        except subprocess.TimeoutExpired:
            return ["did not stop within 30 s (the bad argument was accepted)"]
        problems = []
        err = p.stderr.decode("utf-8", "replace")
        if p.returncode != 2:
            problems.append("exit status %d, want 2" % p.returncode)
        lines = err.split("\n")
        if not (len(lines) == 2 and lines[1] == "" and lines[0].strip()):
            problems.append("stderr is not exactly one line: %r" % err)
        # Named as a whole word: "0" inside "above 0)" does not count.
        if not re.search(r"(^|[\s:])" + re.escape(want) + r"($|[\s:(])", err):
            problems.append("stderr does not name %r: %r" % (want, err))
        if not err.startswith(tool + ": "):
            problems.append("stderr does not start with the tool's name: %r" % err)
        if p.stdout:
            problems.append("wrote to stdout: %r" % p.stdout[:200])
        written = tree(home)
        if written:
            problems.append("wrote into the folder: %s" % written)
        return problems
    finally:
        shutil.rmtree(home, ignore_errors=True)


HELP_TOOLS = ["aismon", "aisrender", "aisdump"]


def help_problems(exe, tool, flag):
    home = tempfile.mkdtemp(prefix="aismon-cli-")
    try:
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        p = subprocess.run([exe, "--home", home, flag], stdin=subprocess.DEVNULL, capture_output=True, env=env,
                           timeout=30)
        out = p.stdout.decode("utf-8", "replace")
        problems = []
        if p.returncode != 0:
            problems.append("exit status %d, want 0" % p.returncode)
        if not out.startswith("Usage: " + tool + " ") or "--home" not in out or "--help" not in out:
            problems.append("stdout is not the usage: %r" % out[:200])
        if p.stderr:
            problems.append("wrote to stderr: %r" % p.stderr[:200])
        if tree(home):
            problems.append("wrote into the folder: %s" % tree(home))
        return problems
    finally:
        shutil.rmtree(home, ignore_errors=True)


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    exes = {"aismon": sys.argv[1], "aisrender": sys.argv[2], "aisdump": sys.argv[3]}
    failed = 0
    for tool in HELP_TOOLS:
        for flag in ("--help", "-h"):
            problems = help_problems(os.path.abspath(exes[tool]), tool, flag)
            if problems:
                failed += 1
                print("FAIL %s %s\n  %s" % (tool, flag, "\n  ".join(problems)))
    for tool, args, offending in ROWS:
        problems = run_row(os.path.abspath(exes[tool]), tool, args, offending)
        label = "%s %s" % (tool, " ".join(repr(a) if a == "" or " " in a else a for a in args))
        if problems:
            failed += 1
            print("FAIL %s\n  %s" % (label, "\n  ".join(problems)))
    total = len(ROWS) + 2 * len(HELP_TOOLS)
    print("%d of %d command lines handled as they should be" % (total - failed, total))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
