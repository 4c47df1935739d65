"""The documents the checks share: the systems the field publishes, random
polynomial lists in three variables, and the binary's answer as lines."""
import itertools
import subprocess


def cyclic(n):
    """The cyclic n-roots."""
    xs = [f"x{i}" for i in range(1, n + 1)]
    polys = ["+".join("*".join(xs[(s + j) % n] for j in range(k)) for s in range(n)) for k in range(1, n)]
    return "Q[" + ",".join(xs) + "]{" + ",".join(polys + ["*".join(xs) + "-1"]) + "}"


def grassmannian(n):
    """The three-term Plücker relations of Gr(2,n)."""
    p = lambda a, b: f"p{a}_{b}"
    relations = [f"{p(i, j)}*{p(k, l)}-{p(i, k)}*{p(j, l)}+{p(i, l)}*{p(j, k)}"
                 for i, j, k, l in itertools.combinations(range(1, n + 1), 4)]
    return "Q[" + ",".join(p(a, b) for a, b in itertools.combinations(range(1, n + 1), 2)) + "]{" + ",".join(relations) + "}"


def random_xyz_list(r):
    """One to three polynomials of two to four terms in x, y, z."""
    return ["+".join(f"{r.randint(-5, 5) or 1}*x^{r.randint(0, 3)}*y^{r.randint(0, 3)}*z^{r.randint(0, 3)}"
                     for _ in range(r.randint(2, 4))) for _ in range(r.randint(1, 3))]


def block_lines(binary, args, document):
    """The binary's answer for a document, as lines."""
    out = subprocess.run([binary] + args, input=document.encode(), capture_output=True, check=True).stdout.decode()
    return out.splitlines()
