#!/usr/bin/env python3
"""How much presolve removes from each LP of the collection: rows, columns
and nonzeros removed by korva's presolve next to clp's on the same file.
Both stop after presolve (iteration limit 0), so this runs in about a minute.

  bench/presolve_removal.py                  # all models, table on stdout
  bench/presolve_removal.py --models afiro dfl001
"""
import argparse
import csv
import os
import re
import shutil
import subprocess

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "..", "shared", "data", "netlib")

KORVA_ELIMINATED = re.compile(r"LP Presolve eliminated (\d+) rows and (\d+) columns")
KORVA_ADDED = re.compile(r"LP Presolve added (\d+) rows and (\d+) columns")
KORVA_REDUCED = re.compile(r"Reduced LP has (\d+) rows, (\d+) columns, and (\d+) nonzeros")
KORVA_ALL_GONE = "All rows and columns eliminated"
CLP_PRESOLVE = re.compile(r"Presolve (\d+) \((-?\d+)\) rows, (\d+) \((-?\d+)\) columns and (\d+) \((-?\d+)\) elements")


def sizes():
    with open(os.path.join(DATA, "sizes.csv")) as f:
        return {row["name"]: row for row in csv.DictReader(f)}


def run(cmd):
    try:
        return subprocess.run(cmd, capture_output=True, text=True, timeout=120).stdout
    except subprocess.TimeoutExpired:
        return ""


def korva_removed(korva, path, size):
    out = run([korva, path, "--param", "KRV_PARAM_ITLIM=0"])
    m = KORVA_REDUCED.search(out)
    if m:
        rows, cols, nz = (int(v) for v in m.groups())
        return int(size["rows"]) - rows, int(size["cols"]) - cols, int(size["nz_nonzero"]) - nz
    if KORVA_ALL_GONE in out:
        return int(size["rows"]), int(size["cols"]), int(size["nz_nonzero"])
    return 0, 0, 0


def clp_removed(path):
    out = run(["clp", path, "-maxIterations", "0", "-dualsimplex"])
    m = CLP_PRESOLVE.search(out)
    if not m:
        return None
    return -int(m.group(2)), -int(m.group(4)), -int(m.group(6))


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--models", nargs="*")
    ap.add_argument("--korva", default=os.path.join(ROOT, "build", "tools", "korva"))
    args = ap.parse_args()
    table = sizes()
    names = args.models or sorted(table)
    have_clp = shutil.which("clp") is not None
    print("| model | rows | columns | nonzeros | korva removed (r/c/nz) | clp removed (r/c/nz) |")
    print("|---|---|---|---|---|---|")
    for name in names:
        path = os.path.join(DATA, name + ".mps.gz")
        if name not in table or not os.path.exists(path):
            continue
        size = table[name]
        ours = "/".join(str(v) for v in korva_removed(args.korva, path, size))
        theirs = clp_removed(path) if have_clp else None
        peer = "/".join(str(v) for v in theirs) if theirs else "-"
        print(f"| {name} | {size['rows']} | {size['cols']} | {size['nz_nonzero']} | {ours} | {peer} |")


if __name__ == "__main__":
    main()
