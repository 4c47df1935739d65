"""Initial forms, Gröbner cones and walk steps of polynomials, computed by
the initform filter from Python.

    >>> import initform
    >>> initform.initial_forms(["x^2+y^2+2*x+2*y"], [-1, -1], rule="min")
    ['y^2+x^2']
    >>> initform.initial_forms(["x^2+y^2+2*x+2*y"], [-1, -1], valuation=2, rule="max")
    ['y+y^2+x+x^2']
    >>> initform.tropical_hypersurfaces(["x+y+1"])[0].rays
    ((-1, 0), (0, -1), (1, 1))

Polynomials are strings, as any computer algebra system prints them
(white space, ** and fractions are fine), or SymPy expressions; the
answers are strings, or SymPy expressions for SymPy input. Weights are
ints, Fractions or strings such as "1/3". The binary is found through the
environment variable INITFORM, or else on PATH. Every run computes exactly
(--exact). A message of initform's raises InputError, a ValueError.

Nothing passed in, and nothing initform prints, is ever run as code: the
binary gets its arguments as a list, weights, primes and rules are checked
first, SymPy input is written over stand-in names (by position), and SymPy
answers are built from the parsed terms over the caller's own symbols.
"""
import dataclasses
import fractions
import os
import re
import shutil
import subprocess
import weakref

__all__ = ["InputError", "Session", "Cone", "TropicalSet", "initial_forms", "groebner_cone", "next_weight",
           "tropical_hypersurfaces", "prevariety", "read_document"]

RULES = {"max": ["--max"], "min": ["--min"], "classic": []}
CONE_RULES = {"max": [], "min": ["--min"]}
TROPICAL_RULES = {"max": ["--max"], "min": ["--min"]}
_NUMBER = re.compile(r"-?[0-9]+(/[0-9]+)?")


class InputError(ValueError):
    """initform reported bad input, or failed: the message is its own."""


@dataclasses.dataclass
class Cone:
    """The Gröbner cone of a marked basis: each vector a list of ints."""
    dimension: int
    equations: list
    lineality: list
    facets: list
    interior: list


def read_document(text):
    """The polynomials and the variables of a document, "Q[x,y]{f,g}", as
    lists of strings (line ends removed, as initform removes them)."""
    text = text.replace("\n", "")
    head, _, rest = text.partition("]{")
    if not text.startswith("Q[") or not rest:
        raise InputError("not a document: it must start with 'Q[' and hold ']{'")
    return rest.split("}", 1)[0].split(","), head[2:].split(",")


def _binary():
    found = os.environ.get("INITFORM") or shutil.which("initform")
    if not found:
        raise FileNotFoundError("initform is not on PATH and INITFORM is not set")
    return found


def _is_sympy(x):
    return type(x).__module__.startswith("sympy")


def _weight(x):
    """One weight as initform reads it: an integer or p/q, nothing else."""
    if isinstance(x, bool):
        raise ValueError(f"a weight must be an integer or a fraction, not {x!r}")
    if isinstance(x, int):
        return str(x)
    if isinstance(x, fractions.Fraction):
        return str(x)
    if _is_sympy(x) and getattr(x, "is_Rational", False):
        return str(fractions.Fraction(int(x.p), int(x.q)))
    if isinstance(x, str) and _NUMBER.fullmatch(x.strip(" ")):
        return x.strip(" ")
    raise ValueError(f"a weight must be an integer or a fraction such as '1/3', not {x!r}")


def _weights(w):
    """A weight vector as initform reads it: '(1,-1/2,3)'."""
    return "(" + ",".join(_weight(x) for x in w) + ")"


class _Basis:
    """Polynomials and their variables, written as a document."""

    def __init__(self, polys, gens=None, order=None):
        if hasattr(polys, "exprs") and hasattr(polys, "gens"):  # a SymPy GroebnerBasis
            order = order or str(polys.order)
            gens = gens or list(polys.gens)
            polys = list(polys.exprs)
        polys = list(polys)
        self.sympy = any(_is_sympy(p) for p in polys)
        if self.sympy:
            import sympy
            # Texts beside SymPy objects would have to be parsed by SymPy,
            # which evaluates them: refused.
            if not all(_is_sympy(p) for p in polys):
                raise ValueError("polynomials must be all SymPy objects or all strings")
            self.symbols = list(gens) if gens else sorted(set().union(*(p.free_symbols for p in polys)), key=str)
            self.symbols = [sympy.Symbol(g) if isinstance(g, str) else g for g in self.symbols]
            # Stand-in names by position: no name of the caller's reaches the
            # document, and none can collide with another.
            names = [f"v{k}" for k in range(len(self.symbols))]
            texts = [self._canonical(sympy.Poly(p, *self.symbols), names, order) for p in polys]
        else:
            texts = [str(p) for p in polys]
            self.symbols = None
            names = [str(g) for g in gens] if gens else self._names(texts)
        self.names = names
        self.document = ("Q[" + ",".join(names) + "]{" + ",".join(texts) + "}").encode()

    @staticmethod
    def _names(texts):
        """The variables of texts without given ones, in order of appearance."""
        names = []
        for text in texts:
            for name in re.findall(r"[A-Za-z_][A-Za-z0-9_]*", text):
                if name not in names:
                    names.append(name)
        return names

    @staticmethod
    def _canonical(poly, names, order):
        """A SymPy Poly as canonical text over the stand-in names, its
        leading term first."""
        terms = poly.terms(order=order) if order else poly.terms()
        parts = []
        for exponents, c in terms:
            factors = [f"{name}^{e}" if e > 1 else name for name, e in zip(names, exponents) if e]
            coeff = str(fractions.Fraction(int(c.p), int(c.q)))
            if not factors:
                parts.append(coeff)
            elif coeff in ("1", "-1"):
                parts.append(("-" if coeff == "-1" else "") + "*".join(factors))
            else:
                parts.append(coeff + "*" + "*".join(factors))
        return "+".join(parts).replace("+-", "-") or "0"

    def _expression(self, text):
        """A canonical answer as a SymPy expression: each term parsed into
        a Rational times powers of the caller's symbols, by position."""
        import sympy
        position = {name: k for k, name in enumerate(self.names)}
        total = sympy.Integer(0)
        for sign, body in re.findall(r"([+-]?)([^+-]+)", text):
            term = sympy.Integer(-1 if sign == "-" else 1)
            for factor in body.split("*"):
                name, _, exponent = factor.partition("^")
                if _NUMBER.fullmatch(name):
                    q = fractions.Fraction(name)
                    term *= sympy.Rational(q.numerator, q.denominator)
                elif name in position and (not exponent or exponent.isdigit()):
                    term *= self.symbols[position[name]] ** int(exponent or 1)
                else:
                    raise InputError(f"initform printed a term it cannot have: {body!r}")
            total += term
        return total

    def back(self, forms):
        """Answers as the caller's kind of objects. Many answers share
        polynomials: each distinct text becomes a SymPy expression once."""
        if not self.sympy:
            return forms
        if not hasattr(self, "_parsed"):
            self._parsed = {}
        for f in forms:
            if f not in self._parsed:
                self._parsed[f] = self._expression(f)
        return [self._parsed[f] for f in forms]


def _run(args, document):
    got = subprocess.run([_binary()] + args, input=document, capture_output=True)
    out = got.stdout.decode()
    if got.returncode != 0:
        message = (out.splitlines() or [""])[-1] if out.strip() else got.stderr.decode().strip()
        raise InputError(message or f"initform ended with status {got.returncode}")
    return out


def _forms(out):
    """The polynomials of an answer: its lines, without their trailing ','."""
    return [line[:-1] if line.endswith(",") else line for line in out.splitlines()]


def _rule(rule, rules=RULES):
    """The switches of a rule, which must be one of `rules`."""
    if not isinstance(rule, str) or rule not in rules:
        raise ValueError(f"rule must be one of {', '.join(rules)}, not {rule!r}")
    return rules[rule]


def _valuation(valuation):
    """The switches of a valuation: none, or a prime P (initform says when
    P is not prime)."""
    if valuation is None:
        return []
    if isinstance(valuation, str) and re.fullmatch("[0-9]+", valuation):
        valuation = int(valuation)
    if isinstance(valuation, bool) or not isinstance(valuation, int) or valuation < 2:
        raise ValueError(f"valuation must be a prime, not {valuation!r}")
    return ["--valuation", str(valuation)]


def _switches(rule, valuation):
    return ["--exact", "--lenient"] + _rule(rule) + _valuation(valuation)


def initial_forms(polys, weights, gens=None, rule="max", valuation=None):
    """The initial forms of polys under one weight vector. rule: "max" (the
    textbook form), "min" (the tropical one) or "classic" (initform's
    default rule); valuation: a prime P for initial forms over Q_P."""
    basis = _Basis(polys, gens)
    out = _run([_weights(weights)] + _switches(rule, valuation), basis.document)
    return basis.back(_forms(out))


def _end(proc, vectors):
    """Ends a session's process and reaps it: its vectors' pipe closed, it
    reads to the end and exits. Returns what it said on standard error. Run
    once, by close() or when the session is dropped."""
    try:
        os.close(vectors)
    except OSError:
        pass
    for stream in (proc.stdin, proc.stdout):
        if stream and not stream.closed:
            stream.close()
    try:
        proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
    said = b""
    if proc.stderr and not proc.stderr.closed:
        said = proc.stderr.read()
        proc.stderr.close()
    return said.decode(errors="replace").strip()


class Session:
    """One initform process for one basis and many weight vectors, each
    answered before the next is sent:

        with initform.Session(polys) as s:
            for w in walk:
                forms = s.initial_forms(w)

    A session dropped without close() still ends its process.
    """

    def __init__(self, polys, gens=None, rule="max", valuation=None):
        self._basis = _Basis(polys, gens)
        switches = _switches(rule, valuation)
        read_end, vectors = os.pipe()
        try:
            self._proc = subprocess.Popen([_binary(), "--weights", f"/dev/fd/{read_end}"] + switches,
                                          stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                          pass_fds=(read_end,))
        except BaseException:
            os.close(vectors)
            raise
        finally:
            os.close(read_end)
        self._vectors = vectors
        self._finalizer = weakref.finalize(self, _end, self._proc, vectors)
        try:
            self._proc.stdin.write(self._basis.document)
            self._proc.stdin.close()
        except OSError:
            self._failed()

    def _failed(self):
        """The process has ended: reaped, and said as InputError."""
        said = self._finalizer()
        raise InputError(said or f"initform ended with status {self._proc.returncode}")

    def initial_forms(self, weights):
        """The initial forms under one more weight vector."""
        line = (_weights(weights) + "\n").encode()  # checked first: no line end inside
        if not self._finalizer.alive:
            raise InputError("the session is closed")
        try:
            os.write(self._vectors, line)
        except OSError:
            self._failed()
        forms = []
        while True:
            line = self._proc.stdout.readline().decode()
            if not line:
                self._failed()
            if line.startswith(("Bad input:", "Dimension of standard input", "Need argument")):
                self.close()
                raise InputError(line.strip())
            # The last line of an answer has no trailing ','.
            forms.append(line.rstrip("\n"))
            if not line.endswith(",\n"):
                return self._basis.back(_forms("\n".join(forms)))

    def close(self):
        """Ends the process; its exit status."""
        self._finalizer()
        return self._proc.returncode

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False


def _vector(line):
    """The numbers of "(a,b,c)": ints, or Fractions where initform wrote p/q."""
    return [fractions.Fraction(x) if "/" in x else int(x) for x in line[line.index("(") + 1:line.rindex(")")].split(",")]


def groebner_cone(polys, gens=None, rule="max", order=None):
    """The Gröbner cone of a marked basis: each polynomial's first term (for
    SymPy input, its leading term in `order`, or a GroebnerBasis's own) is
    marked. rule "min" gives the cone of the smallest degree."""
    switches = _rule(rule, CONE_RULES)
    basis = _Basis(polys, gens, order)
    out = _run(["--cone", "--lenient"] + switches, basis.document)
    cone = Cone(0, [], [], [], [])
    for line in out.splitlines():
        label, _, rest = line.partition(" ")
        if label == "dimension":
            cone.dimension = int(rest)
        elif label == "interior":
            cone.interior = _vector(rest)
        else:
            {"equation": cone.equations, "lineality": cone.lineality, "facet": cone.facets}[label].append(_vector(rest))
    return cone


def next_weight(polys, w, target, gens=None, rule="max", order=None):
    """The walk's step: the last point of the segment from w (in the cone of
    the marked basis) to target that stays in the cone, as a list of ints;
    the target itself, as given, when the whole segment stays in the cone."""
    args = [_weights(w), "--toward", _weights(target), "--lenient"] + _rule(rule, CONE_RULES)
    return _vector(_run(args, _Basis(polys, gens, order).document))


@dataclasses.dataclass(frozen=True)
class TropicalSet:
    """A tropical hypersurface or prevariety, as initform's block says it:
    its dimension (the lineality space's included), a basis of its
    lineality space (tuples of ints), its vertices (tuples of Fractions)
    and rays (tuples of ints) after projection onto the complement of that
    space, its maximal cells (each a tuple of 0-based positions in
    vertices + rays, vertices first) and each cell's multiplicity (an int,
    or None where a cell has none: a prevariety's, and the whole space of a
    polynomial that is 0). An empty set has empty = True and nothing else.
    In Jupyter a set of the plane (2 variables, or 3 homogeneous) draws
    itself."""
    dimension: int = 0
    lineality: tuple = ()
    vertices: tuple = ()
    rays: tuple = ()
    cells: tuple = ()
    multiplicities: tuple = ()
    empty: bool = True
    # How to draw it: initform's arguments and document, kept out of
    # comparisons and the repr.
    _drawing: tuple = dataclasses.field(default=(), compare=False, repr=False)

    def _repr_svg_(self):
        """The picture of a set of the plane (initform --svg), or None."""
        if not self._drawing:
            return None
        args, document = self._drawing
        try:
            return _run(args + ["--svg"], document)
        except InputError:  # not a plane document: no picture
            return None


def _tropical_set(lines, drawing):
    """A TropicalSet from the lines of one block."""
    if lines == ["empty"]:
        return TropicalSet(_drawing=drawing)
    found = {"dimension": 0, "lineality": [], "vertex": [], "ray": [], "cell": [], "multiplicity": []}
    for line in lines:
        label, _, rest = line.partition(" ")
        if label == "dimension":
            found["dimension"] = int(rest)
        elif label in ("lineality", "vertex", "ray"):
            entries = [fractions.Fraction(x) for x in rest[1:-1].split(",")]
            found[label].append(tuple(entries) if label == "vertex" else tuple(int(x) for x in entries))
        elif label == "cell":
            words = rest.split(" ")
            multiplicity = None
            if "multiplicity" in words:
                multiplicity = int(words[-1])
                words = words[:words.index("multiplicity")]
            found["cell"].append(tuple(int(w) - 1 for w in words))
            found["multiplicity"].append(multiplicity)
        else:
            raise InputError(f"initform printed a line it cannot have: {line!r}")
    return TropicalSet(found["dimension"], tuple(found["lineality"]), tuple(found["vertex"]), tuple(found["ray"]),
                       tuple(found["cell"]), tuple(found["multiplicity"]), False, drawing)


def _tropical_switches(rule, valuation):
    return ["--lenient"] + _rule(rule, TROPICAL_RULES) + _valuation(valuation)


def tropical_hypersurfaces(polys, gens=None, rule="max", valuation=None):
    """Each polynomial's tropical hypersurface, a TropicalSet: the weights
    where its initial form keeps two or more terms. rule "max" (the
    textbook initial form) or "min"; valuation a prime P for the
    hypersurface over Q_P."""
    switches = _tropical_switches(rule, valuation)
    basis = _Basis(polys, gens)
    out = _run(["--tropical"] + switches, basis.document).splitlines()
    starts = [k for k, line in enumerate(out) if line.startswith("polynomial ")] + [len(out)]
    head = basis.document[:basis.document.index(b"]{") + 2]
    texts = basis.document[len(head):-1].split(b",")
    return [_tropical_set(out[a + 1:b], (["--tropical"] + switches, head + texts[k] + b"}"))
            for k, (a, b) in enumerate(zip(starts, starts[1:]))]


def prevariety(polys, gens=None, rule="max", valuation=None):
    """The tropical prevariety of the polynomials, a TropicalSet: the
    intersection of their hypersurfaces with the cells of their common
    refinement (see tropical_hypersurfaces for rule and valuation)."""
    switches = _tropical_switches(rule, valuation)
    basis = _Basis(polys, gens)
    return _tropical_set(_run(["--prevariety"] + switches, basis.document).splitlines(),
                         (["--prevariety"] + switches, basis.document))
