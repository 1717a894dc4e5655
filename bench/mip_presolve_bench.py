#!/usr/bin/env python3
"""What MIP presolve does to each model of the shared MIP collection: rows,
columns and nonzeros removed and bounds tightened by korva's presolve
(`korva --presolve-only`), next to what cbc's preprocessing reports for the
same file (its "processed model" line and the sum of its "tightened bounds"
and "fixed" counts; cbc stops after the root with -maxNodes 0).

Writes <out>/mip_presolve.md and prints the table.

  bench/mip_presolve_bench.py
  bench/mip_presolve_bench.py --models p0201 egout --out /tmp
"""
import argparse
import csv
import os
import re
import shutil
import subprocess
from concurrent.futures import ThreadPoolExecutor

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "..", "shared", "data", "miplib3")

KORVA_REPORT = re.compile(
    r"rows (\d+) -> (\d+), columns (\d+) -> (\d+), nonzeros (\d+) -> (\d+), bounds tightened (\d+)")
CBC_PROCESSED = re.compile(r"processed model has (\d+) rows, (\d+) columns .* and (\d+) elements")
CBC_TIGHTENED = re.compile(r"Cgl0003I (\d+) fixed, (\d+) tightened bounds")


def sizes():
    with open(os.path.join(DATA, "sizes.csv")) as f:
        return {row["name"]: row for row in csv.DictReader(f)}


def run(cmd, timeout):
    try:
        return subprocess.run(cmd, capture_output=True, text=True, timeout=timeout).stdout
    except subprocess.TimeoutExpired:
        return ""


def korva(binary, path, timeout):
    m = KORVA_REPORT.search(run([binary, path, "--presolve-only", "--threads", "1"], timeout))
    if not m:
        return None
    r0, r1, c0, c1, n0, n1, tightened = (int(v) for v in m.groups())
    return r0 - r1, c0 - c1, n0 - n1, tightened


def cbc(path, size, timeout):
    out = run(["cbc", path, "-threads", "1", "-maxNodes", "0", "-solve", "-quit"], timeout)
    m = CBC_PROCESSED.search(out)
    if not m:
        return None
    rows, cols, nz = (int(v) for v in m.groups())
    tightened = sum(int(a) + int(b) for a, b in CBC_TIGHTENED.findall(out))
    return int(size["rows"]) - rows, int(size["cols"]) - cols, int(size["nz_nonzero"]) - nz, tightened


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--models", nargs="*")
    ap.add_argument("--korva", default=os.path.join(ROOT, "build", "tools", "korva"))
    ap.add_argument("--timeout", type=float, default=300)
    ap.add_argument("--jobs", type=int, default=1)
    ap.add_argument("--out", default=os.path.join(ROOT, "bench", "results"))
    args = ap.parse_args()
    table = sizes()
    names = [n for n in (args.models or sorted(table)) if os.path.exists(os.path.join(DATA, n + ".mps.gz"))]
    have_cbc = shutil.which("cbc") is not None

    def one(name):
        path = os.path.join(DATA, name + ".mps.gz")
        ours = korva(args.korva, path, args.timeout)
        theirs = cbc(path, table[name], args.timeout) if have_cbc else None
        return name, ours, theirs

    with ThreadPoolExecutor(max_workers=args.jobs) as pool:
        results = list(pool.map(one, names))
    fmt = lambda v: "/".join(str(x) for x in v) if v else "-"
    lines = ["| model | rows | columns | nonzeros | korva removed (r/c/nz/bounds) | cbc removed (r/c/nz/bounds) |",
             "|---|---|---|---|---|---|"]
    for name, ours, theirs in results:
        s = table[name]
        lines.append(f"| {name} | {s['rows']} | {s['cols']} | {s['nz_nonzero']} | {fmt(ours)} | {fmt(theirs)} |")
    text = "\n".join(lines) + "\n"
    print(text, end="")
    os.makedirs(args.out, exist_ok=True)
    with open(os.path.join(args.out, "mip_presolve.md"), "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()
