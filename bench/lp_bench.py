#!/usr/bin/env python3
"""Solves LP models with korva and with the peer solvers available on this
machine (clp, glpsol), each in its own process with a time limit, and
compares objectives with the reference optima, iterations and times.

Writes <out>/results.csv, <out>/results.md (per-model table, shifted
geometric means with shift 0.01 s, totals) and <out>/profile.png (performance
profile, when gnuplot is installed).

  bench/lp_bench.py                      # all models of the LP collection, LP defaults
  bench/lp_bench.py --mode dual-nopre    # dual simplex without presolve
  bench/lp_bench.py --quick              # a subset that runs in under a minute
"""
import argparse
import csv
import gzip
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from mip_common import HIGHS, highs_launcher

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "..", "shared", "data", "netlib")
QUICK = ["afiro", "adlittle", "blend", "sc50a", "sc105", "scagr7", "share2b", "stocfor1",
         "kb2", "recipe", "boeing2", "bandm", "israel", "e226", "brandy", "scfxm1",
         "ship04s", "sctap1", "grow7", "agg"]

# Command lines per mode: korva options and the peers' equivalents.
MODES = {
    "defaults": {
        "korva": [],
        "clp": ["-dualsimplex"],
        "glpsol": [],
    },
    "dual-nopre": {
        "korva": ["--method", "dual", "--param", "KRV_PARAM_PREIND=0"],
        "clp": ["-presolve", "off", "-dualsimplex"],
        "glpsol": ["--dual"],
    },
    # The interior-point methods, each with its crossover to a basis.
    "barrier": {
        "korva": ["--method", "barrier"],
        "clp": ["-barrier"],
        "glpsol": ["--interior"],
        "highs": ["--solver", "ipm"],
    },
    "primal-nopre": {
        "korva": ["--method", "primal", "--param", "KRV_PARAM_PREIND=0"],
        "clp": ["-presolve", "off", "-primalsimplex"],
        "glpsol": ["--primal"],
    },
}


def ensure_peers():
    missing = [p for p, tool in (("coinor-clp", "clp"), ("glpk-utils", "glpsol"),
                                 ("gnuplot-nox", "gnuplot")) if not shutil.which(tool)]
    if missing and os.geteuid() == 0:
        subprocess.run(["apt-get", "install", "-y", "-qq"] + missing,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def references():
    refs = {}
    with open(os.path.join(DATA, "optimal.csv")) as f:
        for row in csv.DictReader(f):
            refs[row["name"]] = float(row["reference"])
    return refs


def run(cmd, timeout, env=None):
    start = time.perf_counter()
    try:
        p = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                           errors="replace", timeout=timeout, env=env)
        out = p.stdout
    except subprocess.TimeoutExpired as e:
        out = (e.stdout or b"").decode(errors="replace") if isinstance(e.stdout, bytes) else (e.stdout or "")
        return time.perf_counter() - start, out, True
    return time.perf_counter() - start, out, False


def parse_korva(out):
    status = re.search(r"^Status\s*:\s*(.+)$", out, re.M)
    obj = re.search(r"^Objective\s*:\s*(\S+)", out, re.M)
    its = re.search(r"^Barrier its:\s*(\d+)", out, re.M) or re.search(r"^Iterations\s*:\s*(\d+)", out, re.M)
    return (status.group(1).strip() if status else "error",
            float(obj.group(1)) if obj else None,
            int(its.group(1)) if its else None)


def parse_clp(out):
    m = re.search(r"Optimal objective\s+(\S+)\s+-\s+(\d+) iterations", out)
    if m:
        return "optimal", float(m.group(1)), int(m.group(2))
    m = re.search(r"^(\w[\w ]*?) - objective value", out, re.M)
    return (m.group(1).lower() if m else "error"), None, None


def parse_glpsol(out):
    its = [int(m.group(1)) for m in re.finditer(r"^[ *]\s*(\d+): obj", out, re.M)]
    obj = [float(m.group(1).rstrip(";")) for m in re.finditer(r"obj =\s+(\S+)", out)]
    ok = "OPTIMAL LP SOLUTION FOUND" in out or "OPTIMAL SOLUTION FOUND" in out
    return ("optimal" if ok else "error"), (obj[-1] if obj and ok else None), (its[-1] if its else None)


def parse_highs(out):
    status = re.search(r"^Model status\s*:\s*(.+)$", out, re.M)
    obj = re.search(r"^Objective value\s*:\s*(\S+)", out, re.M)
    its = re.search(r"^IPM\s+iterations:\s*(\d+)", out, re.M) or \
        re.search(r"^Simplex\s+iterations:\s*(\d+)", out, re.M)
    return (status.group(1).strip().lower() if status else "error",
            float(obj.group(1)) if obj else None,
            int(its.group(1)) if its else None)


def solver_commands(mode, korva, mps, time_limit, highs):
    """Per solver: (command, environment, parser)."""
    cmds = {}
    if korva:
        cmds["korva"] = ([korva, mps, "--time-limit", str(time_limit)] + MODES[mode]["korva"], None,
                         parse_korva)
    if shutil.which("clp"):
        cmds["clp"] = (["clp", mps, "-sec", str(time_limit)] + MODES[mode]["clp"], None, parse_clp)
    if shutil.which("glpsol"):
        # The collection's files are fixed MPS: some names hold blanks, which free MPS misreads.
        cmds["glpsol"] = (["glpsol", "--mps", mps, "--tmlim", str(int(time_limit))]
                          + MODES[mode]["glpsol"], None, parse_glpsol)
    if "highs" in MODES[mode] and highs:
        prog, env = highs
        cmds["highs"] = (prog + ["--model_file", mps, "--time_limit", str(time_limit)] + MODES[mode]["highs"],
                         env, parse_highs)
    return cmds


def shifted_geomean(times, shift=0.01):
    return math.exp(sum(math.log(t + shift) for t in times) / len(times)) - shift


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--mode", choices=sorted(MODES), default="defaults")
    ap.add_argument("--quick", action="store_true", help="run a subset that takes under a minute")
    ap.add_argument("--models", nargs="*", help="model names (default: all models of the LP collection)")
    ap.add_argument("--time-limit", type=float, default=60.0)
    ap.add_argument("--korva", default=os.path.join(ROOT, "build", "tools", "korva"))
    ap.add_argument("--solvers", nargs="*", help="subset of korva, clp, glpsol, highs")
    ap.add_argument("--out", default=os.path.join(ROOT, "bench", "results"))
    args = ap.parse_args()

    ensure_peers()
    refs = references()
    names = args.models or (QUICK if args.quick else sorted(refs))
    names = [n for n in names if os.path.exists(os.path.join(DATA, n + ".mps.gz"))]
    korva = args.korva if os.path.exists(args.korva) else None
    if not korva:
        print(f"warning: {args.korva} not found; build the project first", file=sys.stderr)
    os.makedirs(args.out, exist_ok=True)

    rows = []
    with tempfile.TemporaryDirectory() as tmp:
        notes = []
        highs = highs_launcher(HIGHS, tmp, notes) if "highs" in MODES[args.mode] else None
        for note in notes:
            print(note, file=sys.stderr)
        for k, name in enumerate(names):
            mps = os.path.join(tmp, name + ".mps")
            with gzip.open(os.path.join(DATA, name + ".mps.gz"), "rb") as src, open(mps, "wb") as dst:
                shutil.copyfileobj(src, dst)
            cmds = solver_commands(args.mode, korva, mps, args.time_limit, highs)
            if args.solvers:
                cmds = {s: c for s, c in cmds.items() if s in args.solvers}
            order = sorted(cmds)
            if k % 2:
                order.reverse()  # alternate to spread machine noise
            for solver in order:
                cmd, env, parse = cmds[solver]
                seconds, out, timed_out = run(cmd, args.time_limit + 5, env)
                status, obj, its = parse(out)
                if timed_out:
                    status = "timeout"
                ref = refs.get(name)
                ok = obj is not None and ref is not None and abs(obj - ref) <= 1e-6 * max(1.0, abs(ref))
                rows.append({"model": name, "solver": solver, "status": status,
                             "objective": "" if obj is None else repr(obj), "ok": int(ok),
                             "iterations": "" if its is None else its, "seconds": f"{seconds:.4f}"})
                print(f"{name:12s} {solver:7s} {status:12s} ok={int(ok)} its={its} {seconds:.3f}s", flush=True)
            os.remove(mps)

    write_reports(args, names, rows)


def write_reports(args, names, rows):
    with open(os.path.join(args.out, "results.csv"), "w", newline="") as f:
        w = csv.DictWriter(f, fieldnames=list(rows[0].keys()) if rows else ["model"])
        w.writeheader()
        w.writerows(rows)
    solvers = sorted({r["solver"] for r in rows})
    by = {(r["model"], r["solver"]): r for r in rows}
    lines = [f"Mode: `{args.mode}`, time limit {args.time_limit:g} s, {len(names)} models.", "",
             "| model | " + " | ".join(f"{s} status | {s} ok | {s} its | {s} s" for s in solvers) + " |",
             "|---|" + "---|---|---|---|" * len(solvers)]
    for n in names:
        cells = []
        for s in solvers:
            r = by.get((n, s))
            cells += [r["status"], "yes" if r["ok"] else "no", str(r["iterations"]), r["seconds"]] if r else ["", "", "", ""]
        lines.append(f"| {n} | " + " | ".join(cells) + " |")
    lines += ["", "| solver | solved (ok) | shifted geomean s | total s |", "|---|---|---|---|"]
    for s in solvers:
        # Unsolved models count at the time limit, so failures are not rewarded.
        times = [float(by[(n, s)]["seconds"]) if by[(n, s)]["ok"] else args.time_limit
                 for n in names if (n, s) in by]
        solved = sum(by[(n, s)]["ok"] for n in names if (n, s) in by)
        if times:
            lines.append(f"| {s} | {solved}/{len(times)} | {shifted_geomean(times):.4f} | {sum(times):.2f} |")
    md = "\n".join(lines) + "\n"
    with open(os.path.join(args.out, "results.md"), "w") as f:
        f.write(md)
    print(md)
    plot_profile(args, names, solvers, by)


def plot_profile(args, names, solvers, by):
    if not shutil.which("gnuplot") or not solvers:
        return
    best = {}
    for n in names:
        ts = [float(by[(n, s)]["seconds"]) for s in solvers if (n, s) in by and by[(n, s)]["ok"]]
        if ts:
            best[n] = max(min(ts), 1e-3)
    data = os.path.join(args.out, "profile.dat")
    with open(data, "w") as f:
        for s in solvers:
            ratios = sorted(max(float(by[(n, s)]["seconds"]), 1e-3) / best[n]
                            for n in best if (n, s) in by and by[(n, s)]["ok"])
            f.write(f"# {s}\n")
            for i, r in enumerate(ratios):
                f.write(f"{r} {(i + 1) / len(names)}\n")
            f.write("\n\n")
    plots = ", ".join(f"'{data}' index {i} with steps title '{s}'" for i, s in enumerate(solvers))
    script = (f"set terminal png size 800,500; set output '{os.path.join(args.out, 'profile.png')}';"
              f"set logscale x 2; set xlabel 'time / best time (tau)'; set ylabel 'fraction solved';"
              f"set key bottom right; set yrange [0:1]; set title 'Performance profile ({args.mode})';"
              f"plot {plots}")
    subprocess.run(["gnuplot", "-e", script], stderr=subprocess.DEVNULL)
    os.remove(data)  # only the picture is kept


if __name__ == "__main__":
    main()
