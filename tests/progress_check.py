#!/usr/bin/env python3
"""The prevariety's progress: on a terminal, a run of more than two seconds
shows its branches and cells there, each report in place of the last, and
clears the line when it ends; on anything else standard error stays
empty. Standard output is the same either way.

usage: progress_check.py INITFORM
"""
import os
import pty
import re
import select
import subprocess
import sys

from systems import grassmannian


def on_terminal(command, doc):
    """Standard output, and what the terminal on standard error received."""
    master, slave = pty.openpty()
    run = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=slave)
    os.close(slave)
    out, _ = run.communicate(doc)
    seen = b""
    while select.select([master], [], [], 0.2)[0]:
        try:
            chunk = os.read(master, 65536)
        except OSError:
            break
        if not chunk:
            break
        seen += chunk
    os.close(master)
    return out, seen, run.returncode


def main():
    initform = sys.argv[1]
    doc = grassmannian(8).encode()
    command = [initform, "--prevariety", "--threads", "1"]
    piped = subprocess.run(command, input=doc, capture_output=True)
    out, seen, status = on_terminal(command, doc)
    failures = []
    if piped.stderr:
        failures.append(f"standard error, not a terminal, got {piped.stderr[:100]!r}")
    if (out, status) != (piped.stdout, piped.returncode):
        failures.append("standard output differs on a terminal")
    reports = re.findall(rb"\r(initform: \d+ branches walked, \d+ cells found)\x1b\[K", seen)
    if not reports or not seen.endswith(b"\r\x1b[K"):
        failures.append(f"the terminal got {seen[:200]!r}")
    if re.sub(rb"\r[^\r]*\x1b\[K", b"", seen):
        failures.append(f"the terminal got more than progress: {seen[:200]!r}")
    for f in failures:
        print(f)
    print(f"{3 - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
