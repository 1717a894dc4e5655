#!/usr/bin/env python3
"""Robustness sweep of the LP engine: every model of the LP collection,
rewritten by transformations that must not change its optimal objective
(random row and column permutations, row and column scalings by factors
in [1e-3, 1e3] that are not powers of two), solved under each simplex
method, with presolve on and off, with scaling off and under a few
tolerance settings.

Every run must end optimal with the reference objective (relative 1e-6),
or with an honest non-optimal status (5, 6, a limit) and a warning.
Anything else is a failure:
  wrong     optimal with another objective, or infeasible/unbounded
  error     the optimiser returned an error code
  timeout   the run passed its time limit (a stall)
  silent    a non-optimal status without any warning

Writes <out>/robustness.csv and prints a summary with every failure.

  bench/robustness.py                  # the whole collection (about an hour on 2 cores)
  bench/robustness.py --quick          # a subset, a few minutes
  bench/robustness.py --models pilot --configs dual-nopre:ps1
"""
import argparse
import csv
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "..", "shared", "data", "netlib")
QUICK = ["afiro", "adlittle", "blend", "sc50a", "scagr7", "share2b", "stocfor1", "kb2", "recipe",
         "boeing2", "bandm", "israel", "brandy", "scfxm1", "ship04s", "grow7", "agg", "pilot4",
         "degen2", "etamacro", "perold", "bore3d", "vtpbase", "lotfi", "standata"]

# Solver settings: method and parameters.
SETTINGS = {
    "auto": ("auto", []),
    "dual-pre": ("dual", []),
    "primal-pre": ("primal", []),
    "dual-nopre": ("dual", ["KRV_PARAM_PREIND=0"]),
    "primal-nopre": ("primal", ["KRV_PARAM_PREIND=0"]),
    "auto-noscale": ("auto", ["KRV_PARAM_SCAIND=-1"]),
    "dual-noscale": ("dual", ["KRV_PARAM_PREIND=0", "KRV_PARAM_SCAIND=-1"]),
    "primal-noscale": ("primal", ["KRV_PARAM_PREIND=0", "KRV_PARAM_SCAIND=-1"]),
    "dual-tight": ("dual", ["KRV_PARAM_EPRHS=1e-9", "KRV_PARAM_EPOPT=1e-9"]),
    "primal-tight": ("primal", ["KRV_PARAM_EPRHS=1e-9", "KRV_PARAM_EPOPT=1e-9"]),
    "auto-loose": ("auto", ["KRV_PARAM_EPRHS=1e-5", "KRV_PARAM_EPOPT=1e-5"]),
    "auto-aggressive": ("auto", ["KRV_PARAM_SCAIND=1"]),
}

# Transformations: (permute, scale exponent, seed).
TRANSFORMS = {
    "none": (False, 0, 1),
    "p1": (True, 0, 1),
    "s1": (False, 3, 1),
    "ps1": (True, 3, 1),
    "ps2": (True, 3, 2),
    "ps3": (True, 3, 3),
}

# Which settings run on which transformations.
PLAN = [(s, t) for t in TRANSFORMS for s in ("auto", "dual-pre", "primal-pre", "dual-nopre", "primal-nopre")]
PLAN += [(s, t) for t in ("none", "ps1") for s in ("auto-noscale", "dual-noscale", "primal-noscale")]
PLAN += [(s, "ps2") for s in ("dual-tight", "primal-tight", "auto-loose", "auto-aggressive")]


def references():
    refs = {}
    with open(os.path.join(DATA, "optimal.csv")) as f:
        for row in csv.DictReader(f):
            refs[row["name"]] = float(row["reference"])
    return refs


def private_copy(runner, tmp):
    """The runner and the library it loads, copied so that rebuilding the
    project while the sweep runs does not change what it measures."""
    lib_dir = os.path.join(tmp, "lib")
    os.makedirs(lib_dir)
    build = os.path.dirname(os.path.dirname(os.path.abspath(runner)))
    for name in os.listdir(build):
        if name.startswith("libkorva.so"):
            shutil.copy2(os.path.join(build, name), lib_dir, follow_symlinks=True)
    copy = os.path.join(tmp, "robustness_run")
    shutil.copy2(runner, copy)
    os.environ["LD_LIBRARY_PATH"] = lib_dir + os.pathsep + os.environ.get("LD_LIBRARY_PATH", "")
    return copy


def run_one(runner, mps, setting, transform, time_limit):
    method, params = SETTINGS[setting]
    permute, scale, seed = TRANSFORMS[transform]
    cmd = [runner, mps, "--method", method, "--seed", str(seed), "--scale", str(scale)]
    if permute:
        cmd.append("--permute")
    for p in params + [f"KRV_PARAM_TILIM={time_limit}"]:
        cmd += ["--param", p]
    start = time.perf_counter()
    try:
        out = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                             timeout=time_limit + 30).stdout
    except subprocess.TimeoutExpired:
        return {"status": "timeout", "seconds": time.perf_counter() - start}
    fields = dict(re.findall(r"(\w+)=(\S+)", out.strip().splitlines()[-1] if out.strip() else ""))
    fields["seconds"] = float(fields.get("seconds", time.perf_counter() - start))
    return fields


def verdict(result, ref):
    status = result.get("status")
    if status in (None, "error"):
        return "error"
    if status == "timeout" or status in ("11", "25"):
        return "timeout"
    if status == "1":
        obj = float(result["objective"])
        return "ok" if abs(obj - ref) <= 1e-6 * max(1.0, abs(ref)) else "wrong"
    if status in ("2", "3", "4"):
        return "wrong"  # every model of the collection has a finite optimum
    return "honest" if int(result.get("warnings", 0)) > 0 else "silent"


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--quick", action="store_true")
    ap.add_argument("--models", nargs="*")
    ap.add_argument("--configs", nargs="*", help="setting:transform pairs (default: the whole plan)")
    ap.add_argument("--time-limit", type=float, default=120.0)
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    ap.add_argument("--runner", default=os.path.join(ROOT, "build", "bench", "robustness_run"))
    ap.add_argument("--out", default=os.path.join(ROOT, "bench", "results"))
    args = ap.parse_args()

    if not os.path.exists(args.runner):
        sys.exit(f"{args.runner} not found; build the project first")
    refs = references()
    names = args.models or (QUICK if args.quick else sorted(refs))
    names = [n for n in names if os.path.exists(os.path.join(DATA, n + ".mps.gz"))]
    plan = [tuple(c.split(":")) for c in args.configs] if args.configs else PLAN

    tmp = tempfile.mkdtemp()
    try:
        runner = private_copy(args.runner, tmp)
        files = {}
        for n in names:
            files[n] = os.path.join(tmp, n + ".mps")
            with gzip.open(os.path.join(DATA, n + ".mps.gz"), "rb") as src, open(files[n], "wb") as dst:
                shutil.copyfileobj(src, dst)
        jobs = [(n, s, t) for n in names for (s, t) in plan]
        rows = []

        def work(job):
            n, s, t = job
            r = run_one(runner, files[n], s, t, args.time_limit)
            v = verdict(r, refs[n])
            row = {"model": n, "setting": s, "transform": t, "verdict": v, "status": r.get("status"),
                   "objective": r.get("objective", ""), "reference": refs[n],
                   "iterations": r.get("iterations", ""), "seconds": f"{r['seconds']:.3f}",
                   "primal_violation": r.get("primal_violation", ""),
                   "dual_violation": r.get("dual_violation", ""), "error": r.get("error", "")}
            if v != "ok":
                print(f"{v:8s} {n:10s} {s:15s} {t:5s} status={row['status']} obj={row['objective']} "
                      f"ref={refs[n]} error={row['error']}", flush=True)
            return row

        with ThreadPoolExecutor(max_workers=args.jobs) as pool:
            rows = list(pool.map(work, jobs))
    finally:
        shutil.rmtree(tmp)

    os.makedirs(args.out, exist_ok=True)
    with open(os.path.join(args.out, "robustness.csv"), "w", newline="") as f:
        w = csv.DictWriter(f, fieldnames=list(rows[0].keys()))
        w.writeheader()
        w.writerows(rows)
    counts = {}
    for r in rows:
        counts[r["verdict"]] = counts.get(r["verdict"], 0) + 1
    failures = sum(c for v, c in counts.items() if v not in ("ok", "honest"))
    print(f"\n{len(rows)} runs over {len(names)} models: " +
          ", ".join(f"{v} {c}" for v, c in sorted(counts.items())) + f"; failures {failures}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
