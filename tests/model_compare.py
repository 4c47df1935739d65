#!/usr/bin/env python3
"""Compares initform with a small, independent model of its rules on random
documents and arguments.

The model follows the rules literally: it joins the input lines, cuts the
document with plain searches, keeps each polynomial as a dict from dense
exponent tuples to coefficients, and sorts the keys only for printing.

usage: model_compare.py INITFORM [--count N] [--seed S]
"""
import argparse
import random
import subprocess
import sys

SPACE = b" \t\n\v\f\r"


def wrap(v):
    v &= 0xFFFFFFFF
    return v - (1 << 32) if v >= 1 << 31 else v


def read_number(s):
    i = 0
    while i < len(s) and s[i] in SPACE:
        i += 1
    neg = False
    if i < len(s) and s[i] in b"+-":
        neg = s[i] == ord("-")
        i += 1
    j = i
    while j < len(s) and 48 <= s[j] <= 57:
        j += 1
    v = int(s[i:j]) if j > i else 0
    v = -v if neg else v
    v = max(-(1 << 63), min((1 << 63) - 1, v))
    return wrap(v)


class Unknown(Exception):
    pass


def next_delim(start, t):
    for i in range(start + 1, len(t)):
        if t[i] in b"+-":
            return i
    return -1


def add_term(poly, term, names):
    factors = term.split(b"*")
    sign = 1
    if factors[0].startswith(b"-"):
        factors[0] = factors[0][1:]
        sign = -1
    if factors[0] == b"" or factors[0].isdigit():
        coeff = wrap(sign * read_number(factors[0]))
        factors = factors[1:]
    else:
        coeff = sign
    e = [0] * len(names)
    for f in factors:
        if b"^" in f:
            name, rest = f.split(b"^", 1)
            x = read_number(rest)
        else:
            name, x = f, 1
        if name not in names:
            raise Unknown(name)
        k = names.index(name)
        e[k] = wrap(e[k] + x)
    key = tuple(e)
    poly[key] = wrap(poly.get(key, 0) + coeff)


def parse_poly(text, names):
    poly = {}
    terms = []
    d = next_delim(0, text)
    begin = 0
    while d != -1:
        terms.append(text[begin:d])
        begin = d + 1 if text[d] == ord("+") else d
        d = next_delim(d + 1, text)
    terms.append(text[begin:])
    for t in terms:
        add_term(poly, t, names)
    return poly


def initial(poly, w):
    deg = {k: wrap(sum(a * b for a, b in zip(k, w))) for k in poly}
    m = max([0] + list(deg.values()))
    return {k: c for k, c in poly.items() if deg[k] >= m}


def reduce_poly(poly):
    if not poly:
        return poly
    keys = sorted(poly)
    g = list(keys[0])
    for k in keys[1:]:
        g = [min(a, b) for a, b in zip(g, k)]
    return {tuple(wrap(a - b) for a, b in zip(k, g)): c for k, c in poly.items()}


def print_poly(poly, names):
    if not poly:
        return b"0"
    out = []
    for i, key in enumerate(sorted(poly)):
        c = poly[key]
        star = False
        if i > 0 and c >= 0:
            out.append(b"+")
        if c == -1:
            out.append(b"-")
        elif c != 1:
            out.append(str(c).encode())
            star = True
        for k, x in enumerate(key):
            if x == 0:
                continue
            if star:
                out.append(b"*")
            out.append(names[k])
            if x > 1:
                out.append(b"^" + str(x).encode())
            star = True
        if not star:
            out.append(b"1")
    return b"".join(out)


def model(args, data):
    """Returns (stdout, exit status) for the given arguments and input."""
    if not args or args[0] == b"":
        return b"Need argument: exponentvector.\n", 255
    arg = args[0]
    w = [read_number(p) for p in arg[1:len(arg) - 1].split(b",")]
    reduce = any(a == b"--reduce" for a in args[1:3])
    ring = any(a == b"--ring" for a in args[1:3])
    buf = data.replace(b"\n", b"")
    if buf.find(b"Q[") != 0:
        return b"Bad input: Must start with 'Q['\n", 1
    h = buf.find(b"]{")
    if h < 0:
        return b"Bad input: Couldn't find ']{'\n", 1
    e = buf.find(b"}")
    if e < 0:
        return b"Bad input: Couldn't find '}'\n", 1
    out = []
    if ring:
        out.append(b"Q[" + buf[2:h] + b"]{\n")
    names = buf[2:h].split(b",")
    polys = (buf[h + 2:e] if e > h else buf[h + 2:]).split(b",")
    if len(names) != len(w):
        out.append(b"Dimension of standard input (%d) and vector-argument (%d) doesn't match\n"
                   % (len(names), len(w)))
        return b"".join(out), 1
    for i, text in enumerate(polys):
        try:
            p = parse_poly(text, names)
        except Unknown as u:
            out.append(b"Bad input: Unknown variable '" + u.args[0] + b"'\n")
            return b"".join(out), 1
        p = initial(p, w)
        if reduce:
            p = reduce_poly(p)
        out.append(print_poly(p, names))
        if i + 1 < len(polys):
            out.append(b",\n")
    if ring:
        out.append(b"}")
    out.append(b"\n")
    return b"".join(out), 0


# ---- random documents ----

NAMES = [b"x", b"y", b"z", b"ab", b"x1", b"t", b"u", b"w"]
ODD_NAMES = [b"", b"-x", b" y", b"x\r", b"\xc3\xa9", b"v\x00", b"+"]


def rand_number(r, exponent=False):
    if r.random() < 0.8:
        return str(r.randint(0, 9) if r.random() < 0.7 else r.randint(0, 99))
    odd = ["4294967295", "2147483647", "2147483648", "99999999999999999999",
           "4294967296", "", str(r.randint(0, 1 << 40)), "4294967294"]
    if exponent:
        odd += [" 3", "7a", "2^3", "1y"]
    return r.choice(odd)


def rand_term(r, names):
    parts = []
    if r.random() < 0.6:
        parts.append(rand_number(r).encode())
    for _ in range(r.randint(0, 3)):
        name = r.choice(names)
        if r.random() < 0.4:
            name += b"^" + rand_number(r, True).encode()
        parts.append(name)
    if not parts and r.random() < 0.95:
        parts.append(r.choice(names))
    if r.random() < 0.01:
        parts.append(r.choice([b"", b"q", b"2", b" 3"]))
    return b"*".join(parts)


def rand_poly(r, names):
    out = b""
    if r.random() < 0.2:
        out += b"-"
    # Now and then a long one, so that like terms combine through the term
    # index and the running maximum degree moves many times.
    count = r.randint(50, 400) if r.random() < 0.05 else r.randint(0, 6)
    for i in range(count):
        if i:
            out += r.choice([b"+-", b"--", b"++", b"-+"]) if r.random() < 0.02 \
                else r.choice([b"+", b"-"])
        out += rand_term(r, names)
    if r.random() < 0.05:
        out += r.choice([b"+", b"-"])
    return out


def rand_args(r, dim):
    w = [r.choice(["0", "1", "2", "-1", "3", " 1", "", "x", "4294967295", "-7", "1000000"])
         for _ in range(dim)]
    if r.random() < 0.05:
        w.append("1")
    arg = r.choice(["(", "[", "", "<"]) + ",".join(w) + r.choice([")", "]", "", ">"])
    if r.random() < 0.02:
        arg = r.choice(["", "(", "()"])
    sw = [b"--ring", b"--reduce", b"--rin", b"-", b"--ring", b"--reduce"]
    args = [arg.encode()] + [r.choice(sw) for _ in range(r.randint(0, 3))]
    return args


def rand_doc(r):
    dim = r.randint(1, 4)
    names = r.sample(NAMES, dim) if r.random() < 0.5 else NAMES[:dim]
    if r.random() < 0.1:
        names[r.randrange(dim)] = r.choice(ODD_NAMES)
    if r.random() < 0.05:
        names.append(names[0])
    polys = [rand_poly(r, names) for _ in range(r.randint(1, 5))]
    doc = b"Q[" + b",".join(names) + b"]{" + b",".join(polys) + b"}"
    if r.random() < 0.1:
        doc += r.choice([b"junk}", b",x}", b"\n"])
    if r.random() < 0.08:
        i = r.randrange(len(doc) + 1)
        doc = doc[:i] + r.choice([b"}", b"]{", b",", b"Q[", b"^", b"*", b"-"]) + doc[i:]
    if r.random() < 0.05:
        doc = doc[:r.randrange(len(doc) + 1)]
    if r.random() < 0.3:  # break lines anywhere
        pieces, i = [], 0
        while i < len(doc):
            j = i + r.randint(1, 12)
            pieces.append(doc[i:j])
            i = j
        doc = b"\n".join(pieces) + r.choice([b"\n", b""])
    return doc, dim + (1 if len(names) > dim else 0)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("binary")
    ap.add_argument("--count", type=int, default=1000)
    ap.add_argument("--seed", type=int, default=1)
    ns = ap.parse_args()
    r = random.Random(ns.seed)
    failures = 0
    for n in range(ns.count):
        doc, dim = rand_doc(r)
        args = rand_args(r, dim)
        want_out, want_rc = model(args, doc)
        got = subprocess.run([ns.binary] + args, input=doc, capture_output=True)
        if (got.stdout, got.returncode, got.stderr) != (want_out, want_rc, b""):
            failures += 1
            if failures <= 5:
                print(f"case {n}: args={args!r} input={doc!r}")
                print(f"  want rc={want_rc} out={want_out!r}")
                print(f"  got  rc={got.returncode} out={got.stdout!r} err={got.stderr!r}")
    print(f"{ns.count - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
