#!/usr/bin/env python3
"""Compares initform with a small, independent model of its rules on random
documents and arguments.

The model follows the rules literally: it joins the input lines, cuts the
document with plain searches, keeps each polynomial as a dict from dense
exponent tuples to coefficients, and sorts the keys only for printing.

In the exact mode it computes with Python's integers and fractions, and
for documents whose numbers all stay within 31 bits it checks that the
binary prints the same bytes in both modes. In the default mode it also
computes without wrap-around: the warning on standard error must come when
that changes the output, and must not come when no number left 32 bits.
It covers --max and --min, fraction weights, and --weights (a list of
vectors answered as the concatenated single runs, up to the first failure,
with the warning exactly when one of those runs gives it).

usage: model_compare.py INITFORM [--count N] [--seed S]
"""
import argparse
from fractions import Fraction
import random
import re
import os
import tempfile
import subprocess
import sys

SPACE = b" \t\n\v\f\r"


def wrap(v):
    v &= 0xFFFFFFFF
    return v - (1 << 32) if v >= 1 << 31 else v


INT64 = (-(1 << 63), (1 << 63) - 1)
INT31 = (-(1 << 31), (1 << 31) - 1)


def strtol(s):
    """The value strtol reads, before any clamping: leading white space, an
    optional sign, the longest run of digits (none is 0)."""
    i = 0
    while i < len(s) and s[i] in SPACE:
        i += 1
    neg = i < len(s) and s[i] == ord("-")
    if i < len(s) and s[i] in b"+-":
        i += 1
    j = i
    while j < len(s) and 48 <= s[j] <= 57:
        j += 1
    v = int(s[i:j]) if j > i else 0
    return -v if neg else v


def read_number(s):
    """Clamped to 64 bits, then the low 32 bits."""
    return wrap(max(INT64[0], min(INT64[1], strtol(s))))


def read_exact(s):
    """The exact value, or None beyond 64 bits."""
    v = strtol(s)
    return v if INT64[0] <= v <= INT64[1] else None


class BadInput(Exception):
    pass


def esc(text):
    """A message's control bytes as the binary shows them."""
    names = {9: b"\\t", 13: b"\\r", 11: b"\\v", 12: b"\\f"}
    return b"".join(names.get(b, b"\\x%02x" % b) if b < 0x20 or b == 0x7f else bytes([b]) for b in text)


WARNING = (b"initform: warning: numbers left the 32-bit range and wrapped around; "
           b"--exact computes them exactly\n")


class Arith:
    """The numbers of one mode. In the exact mode it also notes whether every
    value stayed within 31 bits, where the two modes must agree. A "truth"
    arithmetic reads like the default mode but never clamps or wraps; its
    `small` tells whether every value stayed within 32 bits."""

    def __init__(self, exact, truth=False):
        self.exact = exact
        self.truth = truth
        self.small = True

    def see(self, v):
        if not (INT31[0] <= v <= INT31[1]):
            self.small = False
        return v

    def see32(self, v):
        if not (-(1 << 31) <= v < (1 << 31)):
            self.small = False
        return v

    def number(self, text, what, quoted):
        if self.truth:
            return self.see32(strtol(text))
        if not self.exact:
            return read_number(text)
        v = read_exact(text)
        if v is None:
            self.small = False
            raise BadInput(b"%s out of range '%s'" % (what, quoted))
        return self.see(v)

    def norm(self, v):
        if self.truth:
            return self.see32(v)
        return self.see(v) if self.exact else wrap(v)

    def coefficient(self, digits):
        if self.truth:
            return self.see32(int(digits or b"0"))
        return self.see(int(digits or b"0")) if self.exact else read_number(digits)

    def weight(self, piece):
        """A weight; with --exact also a fraction p/q of any size."""
        if not self.exact or self.truth:
            return self.number(piece, b"Weight", piece)
        m = re.match(rb"[ \t\n\v\f\r]*([+-]?)([0-9]*)(?:/([0-9]+))?", piece)
        sign, num, den = m.groups()
        if not num:
            return 0
        v = int(num) if den is None else Fraction(int(num), 1) / (int(den) or 1)
        if den is not None and int(den) == 0:
            raise BadInput(b"Zero denominator '" + piece + b"'")
        if den is not None or abs(v) >= 1 << 31:
            self.small = False
        return -v if sign == b"-" else v


def next_delim(start, t):
    for i in range(start + 1, len(t)):
        if t[i] in b"+-":
            return i
    return -1


def is_fraction(f):
    a, slash, b = f.partition(b"/")
    return slash and a.isdigit() and b.isdigit()


def add_term(poly, term, names, ar):
    factors = term.split(b"*")
    sign = 1
    if factors[0].startswith(b"-"):
        factors[0] = factors[0][1:]
        sign = -1
    text = b"*".join(factors)
    first = factors[0]
    if first == b"" or first.isdigit():
        coeff = sign * ar.coefficient(first)
        factors = factors[1:]
    elif ar.exact and is_fraction(first):
        num, den = first.split(b"/")
        ar.small = False  # the default mode has no fractions
        if int(den) == 0:
            raise BadInput(b"Zero denominator '" + first + b"'")
        coeff = sign * Fraction(int(num), int(den))
        factors = factors[1:]
    else:
        coeff = sign
    e = [0] * len(names)
    for f in factors:
        name, caret, rest = f.partition(b"^")
        if name not in names:
            raise BadInput(b"Unknown variable '" + name + b"'")
        x = ar.number(rest, b"Exponent", f) if caret else 1
        k = names.index(name)
        e[k] = e[k] + x if ar.exact or ar.truth else wrap(e[k] + x)
    if ar.exact and any(not (INT64[0] <= x <= INT64[1]) for x in e):
        ar.small = False
        raise BadInput(b"Exponent out of range '" + text + b"'")
    key = tuple(ar.norm(x) for x in e)
    poly[key] = ar.norm(poly.get(key, 0) + coeff)


def parse_poly(text, names, ar):
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
        add_term(poly, t, names, ar)
    return poly


def initial(poly, w, ar, rule=None):
    """The classic rule (None), or b"--max" / b"--min" without zero terms."""
    if rule:
        poly = {k: c for k, c in poly.items() if c != 0}
    deg = {k: ar.norm(sum(a * b for a, b in zip(k, w))) for k in poly}
    if rule == b"--min":
        m = min(deg.values(), default=0)
        return {k: c for k, c in poly.items() if deg[k] == m}
    m = max(list(deg.values()) + ([] if rule else [0]), default=0)
    return {k: c for k, c in poly.items() if deg[k] >= m}


def reduce_poly(poly, ar):
    if not poly:
        return poly
    keys = sorted(poly)
    g = list(keys[0])
    for k in keys[1:]:
        g = [min(a, b) for a, b in zip(g, k)]
    return {tuple(ar.norm(a - b) for a, b in zip(k, g)): c for k, c in poly.items()}


def coeff_text(c):
    if isinstance(c, Fraction) and c.denominator != 1:
        return b"%d/%d" % (c.numerator, c.denominator)
    return str(int(c)).encode()


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
            out.append(coeff_text(c))
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


SWITCHES = {b"--reduce", b"--ring", b"--exact", b"--max", b"--min", b"--lenient", b"--toward", b"--valuation",
            b"--weights", b"--cone", b"--help", b"--version"}


def prime_at(args):
    """Where the prime --valuation takes stands: None without one (at the
    end, empty, or a switch, which is never taken as a value)."""
    if b"--valuation" not in args[1:]:
        return None
    k = args.index(b"--valuation", 1) + 1
    return k if k < len(args) and args[k] and args[k] not in SWITCHES else None


def without_prime(args):
    """The arguments without the one --valuation takes, which is no switch."""
    k = prime_at(args)
    return args if k is None else args[:k] + args[k + 1:]


def switches(args):
    """(reduce, ring, exact, rule) as the command line sets them."""
    args = without_prime(args)
    own = [a for a in args[1:] if a in (b"--exact", b"--max", b"--min", b"--valuation")]
    rest = args[1:] if own else args[1:3]
    rule = (b"--max" in own and b"--max") or (b"--min" in own and b"--min") or None
    if b"--valuation" in own and not rule:
        rule = b"--min"
    return b"--reduce" in rest, b"--ring" in rest, b"--exact" in own or b"--valuation" in own, rule


def prime_of(args):
    """The text after --valuation: None without the switch, b"" when none follows."""
    if b"--valuation" not in args[1:]:
        return None
    k = prime_at(args)
    return b"" if k is None else args[k]


def is_prime(n):
    """Miller-Rabin with the first 20 primes as bases: exact far beyond the
    numbers tested here."""
    if n < 2:
        return False
    small = [2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, 47, 53, 59, 61, 67, 71]
    for q in small:
        if n % q == 0:
            return n == q
    d, s = n - 1, 0
    while d % 2 == 0:
        d, s = d // 2, s + 1
    for a in small:
        x = pow(a, d, n)
        if x in (1, n - 1):
            continue
        for _ in range(s - 1):
            x = x * x % n
            if x == n - 1:
                break
        else:
            return False
    return True


def valuation(x, p):
    """val_p of a nonzero rational."""
    v, n, d = 0, x.numerator, x.denominator
    while n % p == 0:
        n, v = n // p, v + 1
    while d % p == 0:
        d, v = d // p, v - 1
    return v


def residue(x, p):
    """The unit part of a nonzero rational, mod p."""
    n, d = x.numerator, x.denominator
    while n % p == 0:
        n //= p
    while d % p == 0:
        d //= p
    return n * pow(d, -1, p) % p


def valued_initial(poly, w, p, largest):
    """The terms of smallest val_p(c) + w.a (with --max, largest
    -val_p(c) + w.a), their coefficients as residues."""
    terms = {k: Fraction(c) for k, c in poly.items() if c != 0}
    if not terms:
        return {}
    deg = {k: (-valuation(c, p) if largest else valuation(c, p)) + sum(Fraction(a) * b for a, b in zip(k, w))
           for k, c in terms.items()}
    m = max(deg.values()) if largest else min(deg.values())
    return {k: residue(c, p) for k, c in terms.items() if deg[k] == m}


def model(args, data, truth=False):
    """Returns (stdout, exit status, small) for the given arguments and input;
    small: an exact run whose numbers all stayed within 31 bits, or with
    `truth` a run without wrap-around whose numbers stayed within 32 bits."""
    if not args or args[0] == b"":
        return b"Need argument: exponentvector.\n", 255, False
    reduce, ring, exact, rule = switches(args)
    if b"--max" in without_prime(args)[1:] and b"--min" in without_prime(args)[1:]:
        return b"Bad input: --max and --min exclude each other\n", 1, False
    if args[1:].count(b"--valuation") > 1:
        return b"Bad input: --valuation is given twice\n", 1, False
    prime = prime_of(args)
    if prime == b"":
        return b"Need argument: valuation prime.\n", 255, False
    if prime is not None and not (prime.isdigit() and is_prime(int(prime))):
        return b"Bad input: Valuation '" + esc(prime) + b"' is not a prime\n", 1, False
    ar = Arith(exact, truth and not exact)
    ar.small = (exact and prime is None) or ar.truth
    arg = args[0]
    try:
        w = [ar.weight(p) for p in arg[1:len(arg) - 1].split(b",")]
    except BadInput as bad:
        return b"Bad input: " + esc(bad.args[0]) + b"\n", 1, False
    buf = data.replace(b"\n", b"")
    if buf.find(b"Q[") != 0:
        return b"Bad input: Must start with 'Q['\n", 1, ar.small
    h = buf.find(b"]{")
    if h < 0:
        return b"Bad input: Couldn't find ']{'\n", 1, ar.small
    e = buf.find(b"}")
    if e < 0:
        return b"Bad input: Couldn't find '}'\n", 1, ar.small
    out = []
    if ring:
        out.append(b"Q[" + buf[2:h] + b"]{\n")
    names = buf[2:h].split(b",")
    polys = (buf[h + 2:e] if e > h else buf[h + 2:]).split(b",")
    if len(names) != len(w):
        out.append(b"Dimension of standard input (%d) and vector-argument (%d) doesn't match\n"
                   % (len(names), len(w)))
        return b"".join(out), 1, ar.small
    for i, text in enumerate(polys):
        try:
            if prime is not None:
                p = valued_initial(parse_poly(text, names, ar), w, int(prime), rule == b"--max")
            else:
                p = initial(parse_poly(text, names, ar), w, ar, rule)
            if reduce:
                p = reduce_poly(p, ar)
        except BadInput as bad:
            out.append(b"Bad input: " + esc(bad.args[0]) + b"\n")
            return b"".join(out), 1, ar.small
        out.append(print_poly(p, names))
        if i + 1 < len(polys):
            out.append(b",\n")
    if ring:
        out.append(b"}")
    out.append(b"\n")
    return b"".join(out), 0, ar.small


# ---- random documents ----

NAMES = [b"x", b"y", b"z", b"ab", b"x1", b"t", b"u", b"w"]
ODD_NAMES = [b"", b"-x", b" y", b"x\r", b"\xc3\xa9", b"v\x00", b"+"]


# The kinds of numbers a document gets: "plain" (small, and now and then
# beyond 32 bits), "small" (within 31 bits: the two modes must agree) and
# "exact" (also huge, near 2^63, and fractions).
def rand_number(r, kind, exponent=False):
    if kind == "small" or r.random() < 0.8:
        return str(r.randint(0, 9) if r.random() < 0.7 else r.randint(0, 99))
    odd = ["4294967295", "2147483647", "2147483648", "99999999999999999999",
           "4294967296", "", str(r.randint(0, 1 << 40)), "4294967294"]
    if kind == "plain":
        # Numbers of 1 to 30 digits, where a 64-bit reading must clamp.
        odd += [str(r.randint(10 ** (n - 1), 10 ** n - 1)) for n in (r.randint(1, 30), r.randint(17, 30))]
    if kind == "exact":
        odd += [str(r.randint(0, 10 ** r.randint(19, 100))), "9223372036854775807",
                "9223372036854775808", "4611686018427387904", "000000000000000000000007"]
        if not exponent:
            den = r.choice(["0", "00", "1", str(r.randint(1, 99)), str(r.randint(1, 10 ** 30))])
            odd += [f"{r.randint(0, 99)}/{den}", f"{r.randint(0, 10 ** 25)}/{den}", "1/2/3", "/2", "2/"]
    if exponent:
        odd += [" 3", "7a", "2^3", "1y"]
    return r.choice(odd)


def rand_term(r, names, kind):
    parts = []
    if r.random() < 0.6:
        parts.append(rand_number(r, kind).encode())
    for _ in range(r.randint(0, 3)):
        name = r.choice(names)
        if r.random() < 0.4:
            name += b"^" + rand_number(r, kind, True).encode()
        parts.append(name)
    if not parts and r.random() < 0.95:
        parts.append(r.choice(names))
    if r.random() < 0.01:
        parts.append(r.choice([b"", b"q", b"2", b" 3"]))
    return b"*".join(parts)


def rand_poly(r, names, kind):
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
        out += rand_term(r, names, kind)
    if r.random() < 0.05:
        out += r.choice([b"+", b"-"])
    return out


def rand_args(r, dim, kind):
    choices = ["0", "1", "2", "-1", "3", " 1", "", "x", "-7", "1000"]
    if kind != "small":
        choices += ["4294967295", "1000000"]
    if kind == "plain":
        digits = r.randint(1, 30)
        choices += [r.choice(["", "-", "+"]) + str(r.randint(10 ** (digits - 1), 10 ** digits - 1))]
    if kind == "exact":
        choices += ["4294967296", "9223372036854775807", "-9223372036854775808", "-4294967297",
                    "9223372036854775808", "-99999999999999999999x", "1/2", "-3/4", " 5/6z", "2/0", "7/",
                    str(r.randint(1, 10 ** 30)) + "/" + str(r.randint(1, 10 ** 20))]
    w = [r.choice(choices) for _ in range(dim)]
    if r.random() < 0.05:
        w.append("1")
    arg = r.choice(["(", "[", "", "<"]) + ",".join(w) + r.choice([")", "]", "", ">"])
    if r.random() < 0.02:
        arg = r.choice(["", "(", "()"])
    sw = [b"--ring", b"--reduce", b"--rin", b"-", b"--ring", b"--reduce"]
    if r.random() < 0.3:
        sw += [b"--max", b"--min", b"--max"]
    args = [arg.encode()] + [r.choice(sw) for _ in range(r.randint(0, 4))]
    if kind != "plain":
        args.insert(r.randint(1, min(len(args), 3)), b"--exact")
    return args


def rand_doc(r, kind):
    dim = r.randint(1, 4)
    names = r.sample(NAMES, dim) if r.random() < 0.5 else NAMES[:dim]
    if r.random() < 0.1:
        names[r.randrange(dim)] = r.choice(ODD_NAMES)
    if r.random() < 0.05:
        names.append(names[0])
    polys = [rand_poly(r, names, kind) for _ in range(r.randint(1, 5))]
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


def run(binary, args, doc):
    got = subprocess.run([binary] + args, input=doc, capture_output=True)
    return got.stdout, got.returncode, got.stderr


WHITE = b" \t\r\f\v"


def lenient_variant(r, doc):
    """The document as other systems print it: white space anywhere, "**"
    for "^", coefficients in parentheses or written p//q, a fraction moved
    behind the factors as a trailing division, a leading "+". None for a
    document that --lenient would read differently from the canonical rules
    (white space, "**", "//", parentheses, a leading "+" already there)."""
    joined = doc.replace(b"\n", b"")
    if any(t in joined for t in (b"**", b"//", b"(", b")", b",+", b"{+", b"--", b"++", b"-+", b"*^", b"^*")) or \
            any(c in doc for c in WHITE) or b"/\n" in doc or b"\n/" in doc:
        return None
    if joined.count(b"]{") != 1:
        return None  # a "{" inside the list would take a coefficient's parentheses
    head, sep, rest = doc.partition(b"]{")
    if not sep or not all(n in NAMES for n in head[2:].replace(b"\n", b"").split(b",")):
        return None

    def coefficient(m):
        num, den, factors = m.group(1), m.group(2), m.group(3)
        if den and factors and r.random() < 0.4:
            return num + b"*" + factors + b"/" + den
        frac = num + (b"/" + den if den else b"")
        form = r.choice([b"(" + frac + b")", frac.replace(b"/", b"//"), frac])
        return form + (b"*" + factors if factors else b"")
    rest = re.sub(rb"(?<=[{,+\-])(\d+)(?:/(\d+))?\*([A-Za-z][A-Za-z0-9^*]*)(?=[+\-,}]|$)", coefficient, rest)
    rest = b"".join(b"**" if c == ord("^") and r.random() < 0.5 else bytes([c]) for c in rest)
    if r.random() < 0.5:
        rest = b"+" + rest
    text = bytearray(head + sep + rest)
    for _ in range(r.randint(1, 12)):
        text.insert(r.randrange(len(text) + 1), r.choice(WHITE))
    return bytes(text)


PRIMES = [b"2", b"3", b"5", b"7", b"101", b"2305843009213693951", b"18446744073709551629",
          b"1000000000000000000000000000057", b"007", b"4", b"1", b"0", b"", b"x3"]


def with_valuation(r, args):
    """The arguments with --valuation and a prime (now and then no prime, or
    a text that is none) at a random place after the first."""
    prime = r.choice(PRIMES)
    at = r.randint(1, len(args))
    return args[:at] + [b"--valuation"] + ([prime] if r.random() < 0.97 else []) + args[at:]


def polynomials(out):
    """The polynomials of a successful run's output without --ring."""
    return out[:-1].split(b",\n")


def check_valuation_properties(binary, args, doc, out, fail):
    """Two properties of --valuation P on a document the model read whole:
    where P divides no coefficient, it keeps the terms --exact keeps under
    the same rule, their coefficients reduced mod P; and scaling every
    coefficient of a polynomial by a power of P changes no output."""
    buf = doc.replace(b"\n", b"")
    h, e = buf.find(b"]{"), buf.find(b"}")
    names = buf[2:h].split(b",")
    if not all(n in NAMES for n in names) or b"--ring" in args or not 0 < h < e:
        return 0
    prime = int(prime_of(args))
    ar = Arith(True)
    try:
        polys = [parse_poly(t, names, ar) for t in buf[h + 2:e].split(b",")]
    except BadInput:
        return 0
    k = args.index(b"--valuation")
    rest = args[:k] + args[k + 2:]
    if all(c == 0 or valuation(Fraction(c), prime) == 0 for q in polys for c in q.values()):
        exact = rest + [b"--exact"] + ([] if b"--max" in rest else [b"--min"])
        got = run(binary, exact, doc)
        if got[1] == 0:
            reduced = [print_poly({key: residue(Fraction(c), prime) for key, c in parse_poly(t, names, ar).items() if c},
                                  names) for t in polynomials(got[0])]
            if reduced != polynomials(out):
                fail("--valuation against --exact mod P", exact, doc, out, got)
    scaled = [print_poly({key: Fraction(c) * prime ** (i % 3) for key, c in q.items()}, names)
              for i, q in enumerate(polys)]
    scaled_doc = b"Q[" + b",".join(names) + b"]{" + b",".join(scaled) + b"}"
    got = run(binary, args, scaled_doc)
    if got[:2] != (out, 0):
        fail("--valuation after scaling by powers of P", args, scaled_doc, out, got)
    return 1


def model_many(vectors, rest, doc):
    """The answers of --weights: the single runs one after another, up to
    the first that fails."""
    out = []
    for v in vectors:
        o, rc, _ = model([v] + rest, doc)
        out.append(o)
        if rc != 0:
            return b"".join(out), rc
    return b"".join(out), 0


def rand_tropical_doc(r):
    """A small document for --tropical and --prevariety, and its polynomials
    as {exponent tuple: Fraction coefficient} (cancelled terms dropped)."""
    dim = r.randint(1, 3)
    names = ["x", "y", "z"][:dim]
    texts, polys = [], []
    for _ in range(r.randint(1, 3)):
        poly, parts = {}, []
        for _ in range(r.choice([0, 1, 2, 2, 3, 3, 4, 4])):
            e = tuple(r.randint(0, 3) for _ in names)
            c = Fraction(r.choice([1, -1, 2, 3, 4, 6, 9, 12, -8]), r.choice([1, 1, 1, 2, 3]))
            poly[e] = poly.get(e, 0) + c
            factors = [f"{v}^{k}" if k > 1 else v for v, k in zip(names, e) if k]
            parts.append(str(c) + "".join("*" + f for f in factors))
        texts.append("+".join(parts).replace("+-", "-") or "0")
        polys.append({e: c for e, c in poly.items() if c != 0})
    return f"Q[{','.join(names)}]{{{','.join(texts)}}}".encode(), polys, dim


def check_tropical(binary, r, count, fail):
    """--tropical and --prevariety against the brute-force model, under
    every convention, with and without a valuation. Returns the runs."""
    from tropical_model import prevariety, tropical
    runs = 0
    for _ in range(count):
        doc, polys, dim = rand_tropical_doc(r)
        prime = r.choice([None, None, 2, 3])
        rule = r.choice([[], [b"--min"], [b"--max"]])
        largest = rule == [b"--max"] or (not rule and prime is None)
        terms = [[(tuple(-x for x in e) if largest else e, Fraction(valuation(c, prime)) if prime else Fraction(0))
                  for e, c in p.items()] for p in polys]
        switches_ = rule + ([b"--valuation", str(prime).encode()] if prime else []) + [b"--exact"]
        # The prevariety's tree walked by one thread or several, or in two parts merged.
        walk = r.choice([[], [b"--threads", b"1"], [b"--threads", b"3"]])
        for mode, model_of in ((b"--tropical", tropical), (b"--prevariety", prevariety)):
            walked = walk if mode == b"--prevariety" else []
            got = run(binary, [mode] + switches_ + walked, doc)
            want = (model_of(terms, dim).encode(), 0, b"")
            runs += 1
            if got != want:
                fail("tropical", [mode] + switches_ + walked, doc, want, got)
        parts = b"".join(run(binary, [b"--prevariety", b"--part", f"{k}/2".encode()] + switches_, doc)[0] for k in (1, 2))
        got = run(binary, [b"--merge"], parts)
        runs += 1
        if got != (prevariety(terms, dim).encode(), 0, b""):
            fail("tropical", [b"--part", b"K/2", b"--merge"] + switches_, doc, prevariety(terms, dim).encode(), got)
    return runs


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("binary")
    ap.add_argument("--count", type=int, default=1000)
    ap.add_argument("--seed", type=int, default=1)
    ns = ap.parse_args()
    r = random.Random(ns.seed)
    failures = agreed = warned = many = lenients = valued = 0

    def fail(what, args, doc, want, got):
        nonlocal failures
        failures += 1
        if failures <= 5:
            print(f"{what}: args={args!r} input={doc!r}\n  want {want!r}\n  got  {got!r}")

    vectors_file = os.path.join(tempfile.mkdtemp(), "vectors")
    for n in range(ns.count):
        kind = ["plain", "exact", "plain", "small", "valued"][n % 5]
        doc, dim = rand_doc(r, "exact" if kind == "valued" else kind)
        args = rand_args(r, dim, "exact" if kind == "valued" else kind)
        if kind == "valued":
            args = with_valuation(r, args)
        want_out, want_rc, small = model(args, doc)
        got = run(ns.binary, args, doc)
        exact = switches(args)[2]
        if got[:2] != (want_out, want_rc) or got[2] not in (b"", WARNING) or (exact and got[2]):
            fail(f"case {n}", args, doc, (want_out, want_rc), got)
        elif not exact and args and args[0] and want_rc != 255:
            # Without wrap-around: a different output needs the warning, and
            # numbers that all stayed within 32 bits forbid it.
            true_out, true_rc, true_small = model(args, doc, truth=True)
            if (true_out, true_rc) != (want_out, want_rc) and got[2] != WARNING:
                fail(f"case {n}, wrap-around without a warning", args, doc, (true_out, true_rc), got)
            # (A run that fails may have read more than the model did.)
            if true_small and got[2] and want_rc == 0:
                fail(f"case {n}, a warning without wrap-around", args, doc, b"", got[2])
            warned += got[2] == WARNING
        if kind == "valued" and want_rc == 0 and got[:2] == (want_out, want_rc):
            valued += check_valuation_properties(ns.binary, args, doc, got[0], fail)
        if small:
            # Within 31 bits the exact mode prints what the default prints.
            reduce, ring, _, rule = switches(args)
            plain = args[:1] + [b"--reduce"] * reduce + [b"--ring"] * ring + ([rule] if rule else [])
            wrapped = run(ns.binary, plain, doc)
            agreed += 1
            # (A failing run may have summed degrees the model never reached.)
            if wrapped[:2] != got[:2] or (got[1] == 0 and wrapped[2] != got[2]):
                fail(f"case {n}, modes differ", plain, doc, got, wrapped)
        variant = lenient_variant(r, doc) if n % 3 == 0 else None
        if variant is not None:
            # Read leniently, the variant prints what the canonical text prints.
            lenient = run(ns.binary, args + [b"--lenient"], variant)
            plain = run(ns.binary, args + [b"--lenient"], doc)
            lenients += 1
            if lenient != plain:
                fail(f"case {n}, --lenient", args, variant, plain, lenient)
        if n % 7 == 0:
            # The same document under several vectors at once.
            vectors = [rand_args(r, dim, kind)[0] for _ in range(r.randint(1, 4))]
            vectors = [v for v in vectors if v] or [b"(1)"]
            rest = args[1:] if kind != "plain" else [a for a in args[1:] if a != b"--exact"]
            if kind == "valued" and (prime_of(args) or b"x").isdigit():
                vectors = [rand_args(r, dim, "exact")[0] for _ in range(len(vectors))]
                vectors = [v for v in vectors if v] or [b"(1)"]
            with open(vectors_file, "wb") as f:
                f.write(b"".join(v + r.choice([b"\n", b"\r\n", b"\n\n"]) for v in vectors))
            want = model_many(vectors, rest, doc)
            got_many = run(ns.binary, [b"--weights", vectors_file.encode()] + rest, doc)
            many += 1
            # The warning comes exactly when one of the separate runs, up to
            # the first that fails, gives it (--exact never warns).
            warns = b""
            for v in vectors if not switches([b""] + rest)[2] else []:
                single = run(ns.binary, [v] + rest, doc)
                warns = warns or single[2]
                if single[1] != 0:
                    break
            if got_many[:2] != want or got_many[2] != warns:
                fail(f"case {n}, --weights", [vectors] + rest, doc, (want, warns), got_many)
    tropical_runs = check_tropical(ns.binary, r, max(ns.count // 20, 20), fail)
    print(f"{agreed} documents within 31 bits compared in both modes; {warned} runs warned; "
          f"{many} runs with --weights; {lenients} lenient variants; {valued} --valuation runs checked "
          f"against --exact and scaling; {tropical_runs} --tropical and --prevariety runs")
    print(f"{ns.count + agreed + tropical_runs - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
