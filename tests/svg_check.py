#!/usr/bin/env python3
"""Pictures say what the blocks say.

  svg_check.py INITFORM map      every segment, ray, line and vertex drawn
                                 for random plane curves (degree 1-6, with
                                 and without a valuation, both conventions,
                                 2 variables and 3 homogeneous) is a cell or
                                 vertex of the --tropical block, and the
                                 other way round; each edge of a Newton
                                 polygon's subdivision is dual to a cell of
                                 the same multiplicity; --prevariety draws
                                 its block bold over the hypersurfaces.
  svg_check.py INITFORM docs [--write]
                                 the README's pictures in docs/ are what
                                 its commands make now (--write: make them).
  svg_check.py INITFORM render   the pictures are well-formed XML
                                 (xmllint) and render (rsvg-convert) with
                                 the curve's colour where it runs and
                                 blank far from it; skipped where either
                                 program is missing.
"""
import math
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET
import zlib
from fractions import Fraction

from skips import missing, skip

NS = {"s": "http://www.w3.org/2000/svg"}


def run(initform, args, doc):
    out = subprocess.run([initform] + args, input=doc.encode(), capture_output=True, check=True)
    return out.stdout.decode()


def vector(text):
    return tuple(Fraction(x) for x in text[text.index("(") + 1:text.rindex(")")].split(","))


def blocks(text):
    """Each block of a --tropical answer (or the one of --prevariety):
    lineality, vertices, rays and cells (vertex and ray positions, and the
    multiplicity)."""
    out = []
    for line in text.splitlines():
        if line.startswith("polynomial ") or not out:
            out.append({"lineality": [], "vertices": [], "rays": [], "cells": []})
            if line.startswith("polynomial "):
                continue
        block = out[-1]
        word = line.split(" ")[0]
        if word in ("lineality", "vertex", "ray"):
            block[{"lineality": "lineality", "vertex": "vertices", "ray": "rays"}[word]].append(vector(line))
        elif word == "cell":
            parts = line.split()
            mult = int(parts[-1]) if "multiplicity" in parts else None
            ids = [int(p) for p in parts[1:parts.index("multiplicity") if mult is not None else len(parts)]]
            nv = len(block["vertices"])
            block["cells"].append(([i - 1 for i in ids if i <= nv], [i - 1 - nv for i in ids if i > nv], mult))
    return out


def plane(v):
    return (v[0], v[1]) if len(v) == 2 else (v[1] - v[0], v[2] - v[0])


def expected_shapes(block):
    """(kind, point, other point or direction, multiplicity) for each cell."""
    dirs = []
    for l in block["lineality"]:
        d = plane(l)
        if d != (0, 0) and (not dirs or dirs[0][0] * d[1] - dirs[0][1] * d[0] != 0):
            dirs.append(d)
    shapes = []
    for vs, rs, mult in block["cells"]:
        p = plane(block["vertices"][vs[0]])
        if len(dirs) >= 2:
            shapes.append(("plane", p, None, mult))
        elif len(vs) >= 2:
            shapes.append(("segment", p, plane(block["vertices"][vs[1]]), mult))
        elif dirs:
            shapes.append(("line", p, dirs[0], mult))
        elif rs:
            shapes.append(("ray", p, plane(block["rays"][rs[0]]), mult))
        else:
            shapes.append(("point", p, None, mult))
    return shapes


def floats(e, *names):
    return [float(e.get(n)) for n in names]


def close(a, b, tol):
    return abs(float(a[0]) - b[0]) <= tol and abs(float(a[1]) - b[1]) <= tol


def along(p, d, q, tol):
    """Whether q lies on the ray from p along d, beyond p."""
    dx, dy = q[0] - float(p[0]), q[1] - float(p[1])
    norm = math.hypot(float(d[0]), float(d[1]))
    return abs(dx * float(d[1]) - dy * float(d[0])) / norm <= tol and dx * float(d[0]) + dy * float(d[1]) > 0


def check_group(group, shapes, tol, name):
    """The group's drawing is exactly the shapes: returns the faults."""
    faults = []
    drawn = {"segment": [], "ray": [], "line": []}
    for e in group.findall("s:line", NS):
        x1, y1, x2, y2 = floats(e, "x1", "y1", "x2", "y2")
        drawn[e.get("class")].append(((x1, -y1), (x2, -y2)))
    dots = [(float(e.get("cx")), -float(e.get("cy"))) for e in group.findall("s:circle", NS)]
    vertices = set()
    for kind, p, q, _ in shapes:
        if kind == "plane":
            if group.find("s:rect", NS) is None:
                faults.append(f"{name}: the whole plane is not drawn")
            continue
        if kind != "line":
            vertices.add(p)
        if kind == "segment":
            vertices.add(q)
            hit = [s for s in drawn["segment"] if (close(p, s[0], tol) and close(q, s[1], tol)) or
                   (close(q, s[0], tol) and close(p, s[1], tol))]
        elif kind == "ray":
            hit = [s for s in drawn["ray"] if close(p, s[0], tol) and along(p, q, s[1], tol)]
        elif kind == "line":
            hit = [s for s in drawn["line"] if close(p, s[0], tol) and along(p, q, s[1], tol)]
            back = [s for s in drawn["line"] if close(p, s[0], tol) and along(p, (-q[0], -q[1]), s[1], tol)]
            if back:
                drawn["line"].remove(back[0])
            else:
                faults.append(f"{name}: the line through {p} is drawn one way only")
        else:
            hit = [None]
        if not hit:
            faults.append(f"{name}: no {kind} drawn at {p}")
        elif hit[0] is not None:
            drawn[kind].remove(hit[0])
    for kind, left in drawn.items():
        if left:
            faults.append(f"{name}: {len(left)} {kind}s drawn that are no cells")
    if len(dots) != len(vertices) or any(not any(close(v, d, tol) for d in dots) for v in vertices):
        faults.append(f"{name}: {len(dots)} vertices drawn for {len(vertices)}")
    return faults


def check_duals(svg, k, block, doc_vars):
    """Each edge of the subdivision is perpendicular to a cell of the same
    multiplicity (its lattice length), one edge a cell."""
    plot = svg.find(f".//s:svg[@id='subdivision-{k}']", NS)
    if plot is None:
        return [f"polynomial {k}: no subdivision panel"]
    edges = []
    for e in plot.findall(".//s:line[@class='edge']", NS):
        x1, y1, x2, y2 = (int(e.get(a)) for a in ("x1", "y1", "x2", "y2"))
        dx, dy = x2 - x1, -(y2 - y1)
        g = math.gcd(dx, dy)
        edges.append(((dx // g, dy // g) if (dx, dy) > (0, 0) else (-dx // g, -dy // g), g))
    cells = []
    for kind, p, q, mult in expected_shapes(block):
        d = (q[0] - p[0], q[1] - p[1]) if kind == "segment" else q
        # The primitive normal of the cell's direction.
        den = math.lcm(d[0].denominator, d[1].denominator)
        a, b = int(d[0] * den), int(d[1] * den)
        n = (-b, a)
        g = math.gcd(*n)
        n = (n[0] // g, n[1] // g)
        cells.append(((n if n > (0, 0) else (-n[0], -n[1])), mult))
    if sorted(edges) != sorted(cells):
        return [f"polynomial {k}: subdivision edges {sorted(edges)[:4]}... differ from the cells' {sorted(cells)[:4]}..."]
    return []


def random_document(rng):
    n = rng.choice([2, 2, 3])
    names = ["x", "y"] if n == 2 else ["x", "y", "z"]
    polys = []
    for _ in range(rng.choice([1, 1, 2, 3])):
        degree = rng.randint(1, 6)
        terms = []
        for i in range(degree + 1):
            for j in range(degree + 1 - i):
                if rng.random() < 0.5 and (i, j) != (0, 0):
                    continue
                c = rng.choice([1, -1]) * rng.randint(1, 9) * rng.choice([1, 2, 3, 4, 8, 9, 27])
                if n == 2:
                    terms.append(f"{c}*x^{i}*y^{j}")
                else:
                    terms.append(f"{c}*x^{degree - i - j}*y^{i}*z^{j}")
        polys.append("+".join(terms).replace("+-", "-"))
    return n, "Q[" + ",".join(names) + "]{" + ",".join(polys) + "}"


def map_check(initform):
    rng = random.Random(20261210)
    faults = []
    runs = 0
    for trial in range(120):
        n, doc = random_document(rng)
        switches = [rng.choice(["--max", "--min"])] + rng.choice([[], ["--valuation", "2"], ["--valuation", "3"]])
        answer = blocks(run(initform, ["--tropical"] + switches, doc))
        svg = ET.fromstring(run(initform, ["--tropical", "--svg"] + switches, doc))
        plot = svg.find(".//s:svg[@id='curves']", NS)
        side = float(plot.get("viewBox").split()[2])
        tol = side / float(plot.get("width"))  # a pixel
        for k, block in enumerate(answer, 1):
            group = plot.find(f"s:g[@id='curve-{k}']", NS)
            where = f"document {trial} {switches} polynomial {k}: {doc[:60]}"
            faults += check_group(group, expected_shapes(block), tol, where)
            notes = sorted(int(m) for _, _, _, m in expected_shapes(block) if m and m > 1)
            faults += check_duals(svg, k, block, n) if len(answer) == 1 or svg.find(
                f".//s:svg[@id='subdivision-{k}']", NS) is not None else [f"{where}: no subdivision"]
            if len(answer) == 1:
                drawn = sorted(int(t.text) for t in svg.findall("s:text[@class='note']", NS))
                if drawn != notes:
                    faults.append(f"{where}: multiplicities {drawn} written for {notes}")
        runs += 1
        # The prevariety of the same document, over its curves.
        if len(answer) > 1:
            both = blocks(run(initform, ["--prevariety"] + switches, doc))[0]
            text = run(initform, ["--prevariety", "--svg", "--threads", "1"] + switches, doc)
            if run(initform, ["--prevariety", "--svg", "--threads", "3"] + switches, doc) != text:
                faults.append(f"document {trial}: the prevariety's picture differs with three threads")
            svg = ET.fromstring(text)
            plot = svg.find(".//s:svg[@id='curves']", NS)
            tol = float(plot.get("viewBox").split()[2]) / float(plot.get("width"))
            group = plot.find("s:g[@id='prevariety']", NS)
            shapes = [s for s in expected_shapes(both)]
            # Its points are drawn as dots; its other cells as shapes.
            faults += check_group(group, shapes, tol, f"document {trial} prevariety")
    for f in faults[:20]:
        print(f)
    print(f"{runs - min(len(faults), runs)} passed, {len(faults)} failed")
    return 1 if faults else 0


def png_pixels(data):
    """Width, height and the rows of RGBA pixels of an 8-bit PNG."""
    pos, idat, width, height, kind = 8, b"", 0, 0, 6
    while pos < len(data):
        length, tag = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if tag == b"IHDR":
            width, height, depth, kind = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and kind in (2, 6)
        elif tag == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    bpp = 4 if kind == 6 else 3
    stride = width * bpp
    rows, prev = [], bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * bpp:x * bpp + 3]) for x in range(width)])
        prev = line
    return width, height, rows


def render_check(initform):
    why = missing(["xmllint", "rsvg-convert"])
    if why:
        return skip(why)
    docs = [(["--tropical", "--max"], "Q[x,y]{x+y+1}"),
            (["--tropical", "--valuation", "2"], "Q[x,y]{1+2*x+y+x^2+4*x*y+8*y^2}"),
            (["--prevariety", "--valuation", "2"], "Q[x,y]{x^3+8*y^3+4+2*x*y+x^2*y+16*x*y^2,2+x+4*y+x^2+8*x^3+x*y^2+y^3}"),
            (["--tropical", "--min"], "Q[x,y,z]{x^2+y*z+3*x*y,x+y+z}")]
    faults = []
    for args, doc in docs:
        picture = run(initform, args + ["--svg"], doc)
        lint = subprocess.run(["xmllint", "--noout", "-"], input=picture.encode(), capture_output=True)
        if lint.returncode != 0:
            faults.append(f"{doc}: xmllint says {lint.stderr.decode()[:200]}")
        png = subprocess.run(["rsvg-convert", "-w", "1000", "-f", "png"], input=picture.encode(), capture_output=True,
                             check=True).stdout
        width, height, rows = png_pixels(png)
        svg = ET.fromstring(picture)
        plot = svg.find(".//s:svg[@id='curves']", NS)
        x0, y0, side, _ = (float(v) for v in plot.get("viewBox").split())
        left, top, pixels = (float(plot.get(a)) for a in ("x", "y", "width"))
        to_pixel = lambda x, y: (left + (x - x0) / side * pixels, top + (y - y0) / side * pixels)
        segments = []
        for e in plot.iter(f"{{{NS['s']}}}line"):
            x1, y1, x2, y2 = floats(e, "x1", "y1", "x2", "y2")
            segments.append((to_pixel(x1, y1), to_pixel(x2, y2)))
        inked = lambda px: min(px) < 0xc0
        for a, b in segments:  # the middle of every piece of curve has its colour
            mid = (int((a[0] + b[0]) / 2), int((a[1] + b[1]) / 2))
            near = [rows[y][x] for y in range(mid[1] - 1, mid[1] + 2) for x in range(mid[0] - 1, mid[0] + 2)]
            if not any(inked(p) for p in near):
                faults.append(f"{doc}: nothing drawn at pixel {mid}")

        def distance(p, a, b):
            dx, dy = b[0] - a[0], b[1] - a[1]
            t = max(0, min(1, ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / (dx * dx + dy * dy or 1)))
            return math.hypot(p[0] - a[0] - t * dx, p[1] - a[1] - t * dy)

        far = 0
        for y in range(int(top) + 10, int(top + pixels) - 10, 15):
            for x in range(int(left) + 10, int(left + pixels) - 10, 15):
                if min((distance((x, y), a, b) for a, b in segments), default=99) > 30:
                    far += 1
                    if inked(rows[y][x]):
                        faults.append(f"{doc}: ink at pixel {(x, y)}, far from every curve")
        if far == 0:
            faults.append(f"{doc}: no pixel is far from the curves")
    for f in faults[:20]:
        print(f)
    print(f"{len(docs) - min(len(faults), len(docs))} passed, {len(faults)} failed")
    return 1 if faults else 0


def docs_check(initform, write):
    """The README's picture commands, run from the project's folder, make
    the files it shows, byte for byte."""
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    readme = open(os.path.join(root, "README.md"), encoding="utf-8").read()
    commands = re.findall(r"^echo '([^']*)' \| initform ((?:--[a-z]+ ?(?:\d+ )?)+)> (docs/[a-z0-9-]+\.svg)$", readme, re.M)
    faults = [] if len(commands) == 3 else [f"{len(commands)} picture commands in README.md, not 3"]
    for doc, args, path in commands:
        picture = run(initform, args.split(), doc)
        target = os.path.join(root, path)
        if write:
            with open(target, "w", encoding="utf-8") as f:
                f.write(picture)
        elif not os.path.exists(target) or open(target, encoding="utf-8").read() != picture:
            faults.append(f"{path} is stale: run tests/svg_check.py INITFORM docs --write")
    for f in faults:
        print(f)
    print(f"{len(commands) - min(len(faults), len(commands))} passed, {len(faults)} failed")
    return 1 if faults else 0


def main():
    initform, mode = sys.argv[1], sys.argv[2]
    if mode == "docs":
        return docs_check(initform, "--write" in sys.argv[3:])
    return map_check(initform) if mode == "map" else render_check(initform)


if __name__ == "__main__":
    sys.exit(main())
