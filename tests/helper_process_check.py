#!/usr/bin/env python3
"""The child process that computes --cone's polyhedron: it ends with the
run whatever ends the run, and whatever ends it is said as it is.

- initform killed (as a caller's timeout or Ctrl-C would) while its child
  works: no process of the run is left;
- the child ended by a signal: one line on standard error naming the
  signal, status 1, nothing on standard output (not "out of memory").

usage: helper_process_check.py INITFORM
"""
import os
import signal
import subprocess
import sys
import time


def chain(n):
    """A basis whose cone takes the child a few seconds."""
    names = ",".join(f"v{k}" for k in range(n + 1))
    return ("Q[" + names + "]{" + ",".join(f"v{k}-v{k + 1}^2" for k in range(n)) + "}").encode()


def children(pid):
    try:
        with open(f"/proc/{pid}/task/{pid}/children") as f:
            return [int(c) for c in f.read().split()]
    except FileNotFoundError:
        return []


def alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().split(")")[-1].split()[0] != "Z"
    except FileNotFoundError:
        return False


def started(initform, document):
    """The run and its child, once the child is there."""
    run = subprocess.Popen([initform, "--cone"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE)
    run.stdin.write(document)
    run.stdin.close()
    for _ in range(500):
        kids = children(run.pid)
        if kids:
            return run, kids[0]
        time.sleep(0.01)
    run.kill()
    raise SystemExit("no child process appeared")


def main():
    initform = sys.argv[1]
    document = chain(220)
    failures = []
    # The run killed: its child goes too.
    for sig in (signal.SIGKILL, signal.SIGTERM, signal.SIGINT):
        run, child = started(initform, document)
        os.kill(run.pid, sig)
        run.wait()
        gone = False
        for _ in range(200):
            if not alive(child):
                gone = True
                break
            time.sleep(0.01)
        if not gone:
            failures.append(f"run ended by signal {sig}: its child {child} is left")
            os.kill(child, signal.SIGKILL)
    # The child killed: said as the signal it was.
    for sig in (signal.SIGTERM, signal.SIGSEGV, signal.SIGKILL):
        run, child = started(initform, document)
        os.kill(child, sig)
        run.stdin = None
        out, err = run.communicate()
        want = f"initform: cddlib failed: terminated by signal {int(sig)}\n".encode()
        if (run.returncode, out, err) != (1, b"", want):
            failures.append(f"child ended by signal {sig}: status {run.returncode}, stdout {out[:80]!r}, stderr {err!r}")
    for f in failures:
        print(f)
    print(f"{6 - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
