#!/usr/bin/env python3
"""Fails each call initform makes to the system, one at a time, and checks
every outcome: the k-th read(2), write(2), malloc or realloc made from main
on, for every k of a few representative runs, in every way such a call can
fail (tests/fault_inject.cpp does the failing, preloaded).

For each fault:
- no crash or abort, and no message of a library's own;
- an interrupted or short read or write gives the output of the run without
  a fault;
- a real failure ends with status 1 and exactly one line on standard error
  (none when standard error itself failed), and standard output holds no
  more than the run without a fault wrote, plus, when the weights file could
  not be read, the line that says so;
- nothing ends with status 0 unless its output is complete;
- running out of memory leaves no part of an answer it could not finish:
  standard output ends where an answer of the run without a fault ends
  (a weights file's answers; a line, where every line end flushes).

And cddlib that cannot be loaded is said with the loader's reason, and a
child process that cannot be made with the system's.

usage: fault_sweep.py INITFORM FAULT_LIBRARY EXAMPLES_DIR
"""
from concurrent.futures import ThreadPoolExecutor
import os
import subprocess
import sys
import tempfile

HOWS = {"read": ["EIO", "EAGAIN", "EINTR", "short"], "write": ["ENOSPC", "EPIPE", "EINTR", "short", "zero"],
        "malloc": ["null"], "realloc": ["null"]}
FOREIGN = [b"terminate called", b"GNU MP", b"Sanitizer", b"Aborted", b"what()"]


def scenarios(examples, scratch):
    """(name, arguments, standard input, whether it comes through a pipe,
    the ends of its answers in the output without a fault: None where each
    line is one)."""
    vectors = os.path.join(scratch, "vectors")
    with open(vectors, "w") as f:
        f.write("(1,1,1,1)\n\n(0,1,2,3)\r\n(1/2,0,-1/3,5)\n")
    plain_vectors = os.path.join(scratch, "plain-vectors")
    with open(plain_vectors, "w") as f:
        f.write("(1,1)\n(0,0)\n")
    wraps = b"Q[x,y]{2147483648*x+y,3*x^2*y-x+2,x*y+2*y*x}"
    read = lambda name: open(os.path.join(examples, name), "rb").read()
    # About 150 KB through a pipe: a few dozen reads.
    long_poly = b"Q[x,y]{" + b"+".join(b"%d*x^%d*y^%d" % (k % 97, k % 13, k % 7) for k in range(12000)) + b"}"
    cyclic_vectors = os.path.join(scratch, "cyclic-vectors")
    with open(cyclic_vectors, "w") as f:
        f.write("(1,1,1,1,1,1)\n(1,2,3,4,5,6)\n(0,0,0,0,0,1)\n")
    return [
        ("plain, warns", ["(1,1)", "--ring"], wraps, False),
        ("exact, reduce", ["(0,0,0,0,1,0)", "--exact", "--reduce"], read("katsura5-lex-q.txt"), False),
        ("weights file, exact", ["--weights", vectors, "--exact", "--max"], read("katsura3-monic-singular.txt"),
         False),
        ("weights file, warns", ["--weights", plain_vectors, "--ring"], wraps, False),
        ("weights file, long answers", ["--weights", cyclic_vectors, "--exact"], read("cyclic6-dp-q.txt"), False),
        ("lenient", ["(1,1,1,1)", "--lenient", "--exact", "--min"], read("katsura3-monic-sympy.txt"), False),
        ("a document of many reads", ["(1,1)"], long_poly, True),
        ("cone", ["--cone"], b"Q[x,y,z]{y^2-x*z,x*y-z,x^2-y}", False),
        ("walk", ["(1,1,10)", "--toward", "(10,1,1)"], b"Q[x,y,z]{y^2-x,z^3-x}", False),
        ("tropical", ["--tropical", "--valuation", "2"], b"Q[x,y]{x^2+y^2+2*x+2*y+4,x+y+1,x,x^3*y+y^2+1}", False),
        ("prevariety", ["--prevariety"], b"Q[a,b,c,d]{a+b+c+d,a*b+b*c+c*d+d*a,a*b*c+b*c*d+c*d*a+d*a*b,a*b*c*d-1}",
         False),
    ]


def answer_ends(initform, args, data):
    """Where the answers of a run end in its output: after each vector of
    a weights file (the single runs' outputs one after another), else after
    each line."""
    if args[0] != "--weights":
        return None
    ends, at = [0], 0
    for line in open(args[1]).read().splitlines():
        if line.strip():
            at += len(subprocess.run([initform, line.strip()] + args[2:], input=data, capture_output=True).stdout)
            ends.append(at)
    return ends


def run(initform, library, args, data, pipe, fault=None):
    log = tempfile.NamedTemporaryFile(delete=False)
    log.close()
    env = dict(os.environ, LD_PRELOAD=library, INITFORM_FAULT_LOG=log.name)
    if fault:
        env["INITFORM_FAULT"] = fault
    if pipe:
        got = subprocess.run([initform] + args, input=data, capture_output=True, env=env)
    else:
        with tempfile.TemporaryFile() as f:
            f.write(data)
            f.seek(0)
            got = subprocess.run([initform] + args, stdin=f, capture_output=True, env=env)
    counts = dict(line.split() for line in open(log.name).read().splitlines() if line)
    os.unlink(log.name)
    return got, {k: int(v) for k, v in counts.items()}


def verdict(kind, how, got, hit, clean, ends):
    """What is wrong with the outcome of one fault, or None."""
    out, err, status = got.stdout, got.stderr, got.returncode
    if status < 0 or status >= 128 or any(f in err for f in FOREIGN):
        return "crashed or aborted"
    absorbed = how in ("EINTR", "short") or (kind in ("read", "write") and hit == -1)
    if absorbed or (kind in ("malloc", "realloc") and status == 0):
        if (out, err, status) != (clean.stdout, clean.stderr, clean.returncode):
            return "an absorbed fault changed the outcome"
        return None
    if status != 1:
        return "a failure ended with status %d" % status
    cut = out.rfind(b"Bad input: Cannot read weights file")
    if kind == "read" and cut >= 0 and out.endswith(b"\n"):
        # Bad input, said on standard output with the answers before it;
        # standard error has at most the warning those answers would give.
        if err not in (b"", clean.stderr):
            return "standard error holds more than the warning"
        out = out[:cut]
    elif not (err.count(b"\n") == 1 and err.endswith(b"\n")) and not (kind == "write" and hit == 2 and not err):
        return "standard error is not one line"
    if not clean.stdout.startswith(out):
        return "standard output is not what the run without a fault wrote"
    if kind in ("malloc", "realloc"):
        whole = out == b"" or out.endswith(b"\n") if ends is None else len(out) in ends
        if not whole:
            return "running out of memory left part of an answer"
    return None


def main():
    initform, library, examples = sys.argv[1:4]
    tried = failures = 0
    with tempfile.TemporaryDirectory() as scratch, ThreadPoolExecutor(4) as pool:
        for name, args, data, pipe in scenarios(examples, scratch):
            clean, counts = run(initform, library, args, data, pipe)
            faults = [(kind, how, f"{kind}:{k}:{how}") for kind, hows in HOWS.items()
                      for k in range(1, counts[kind] + 1) for how in hows]
            ends = answer_ends(initform, args, data)
            outcomes = pool.map(lambda f: run(initform, library, args, data, pipe, f[2]), faults)
            for (kind, how, fault), (got, after) in zip(faults, outcomes):
                tried += 1
                wrong = verdict(kind, how, got, after.get("hit", -1), clean, ends)
                if wrong:
                    failures += 1
                    if failures <= 10:
                        print(f"{name}, {fault}: {wrong}\n  status {got.returncode}, "
                              f"stdout {got.stdout[-120:]!r}\n  stderr {got.stderr[:300]!r}")
        # cddlib that cannot be loaded: the loader's reason, one line.
        no_cddlib = subprocess.run([initform, "--cone"], input=b"Q[x,y]{x-y^2}", capture_output=True,
                                   env=dict(os.environ, LD_PRELOAD=library, INITFORM_NO_CDDLIB="1"))
        tried += 1
        reason = b"initform: cannot load cddlib: libcddgmp-missing.so.0: cannot open shared object file: " \
                 b"No such file or directory\n"
        if (no_cddlib.returncode, no_cddlib.stdout, no_cddlib.stderr) != (1, b"", reason):
            failures += 1
            print(f"cddlib not loadable: status {no_cddlib.returncode}, stdout {no_cddlib.stdout!r}, "
                  f"stderr {no_cddlib.stderr!r}")
        # No process to be had: the system's reason, or out of memory.
        for how, reason in (("EAGAIN", b"initform: cannot start cddlib: Resource temporarily unavailable\n"),
                            ("ENOMEM", b"initform: out of memory\n")):
            got = subprocess.run([initform, "--cone"], input=b"Q[x,y]{x-y^2}", capture_output=True,
                                 env=dict(os.environ, LD_PRELOAD=library, INITFORM_FORK_FAILS=how))
            tried += 1
            if (got.returncode, got.stdout, got.stderr) != (1, b"", reason):
                failures += 1
                print(f"fork fails with {how}: status {got.returncode}, stdout {got.stdout!r}, stderr {got.stderr!r}")
    print(f"{tried} fault points tried")
    print(f"{tried - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
