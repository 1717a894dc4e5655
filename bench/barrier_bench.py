#!/usr/bin/env python3
"""The barrier (with crossover) against the peers' interior-point methods on
large LPs: the LP relaxations of the largest models of the MIP collection
and generated sparse LPs of a million nonzeros or more (bench/generate_lp.py).
Our dual simplex runs on the generated LPs too.

Writes <out>/results.csv and <out>/results.md (per model: status, objective
agreement, iterations, factor nonzeros for korva, seconds; shifted geometric
means with shift 0.01 s).

  bench/barrier_bench.py                       # relaxations and generated LPs
  bench/barrier_bench.py --models nw04 air04   # a subset of the relaxations
  bench/barrier_bench.py --solvers korva highs --korva-param KRV_PARAM_WORKMEM=4096

Factors above KRV_PARAM_WORKMEM (128 MB by default) go out of core, into
temporary files; the peers keep theirs in memory.
"""
import argparse
import csv
import ctypes
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from lp_bench import parse_clp, parse_highs, parse_korva, run, shifted_geomean  # noqa: E402
from mip_common import HIGHS, highs_launcher  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MIPLIB = os.path.join(ROOT, "..", "shared", "data", "miplib3")
RELAXATIONS = ["dano3mip", "fast0507", "nw04", "air04", "seymour"]
GENERATED = [("transportation", ["--size", "700"]),
             ("multicommodity", ["--size", "20", "--commodities", "250"])]


def relaxation_file(library, name, tmp):
    """The model with its integrality dropped, as MPS (written by korva)."""
    out = os.path.join(tmp, name + ".mps")
    lib = ctypes.CDLL(library)
    lib.KRVopenKORVA.restype = ctypes.c_void_p
    lib.KRVopenKORVA.argtypes = [ctypes.POINTER(ctypes.c_int)]
    lib.KRVcreateprob.restype = ctypes.c_void_p
    lib.KRVcreateprob.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.c_char_p]
    lib.KRVreadcopyprob.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p]
    lib.KRVchgprobtype.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int]
    lib.KRVwriteprob.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p]
    lib.KRVcloseKORVA.argtypes = [ctypes.POINTER(ctypes.c_void_p)]
    status = ctypes.c_int(0)
    env = ctypes.c_void_p(lib.KRVopenKORVA(ctypes.byref(status)))
    lp = lib.KRVcreateprob(env, ctypes.byref(status), name.encode())
    path = os.path.join(MIPLIB, name + ".mps.gz").encode()
    if lib.KRVreadcopyprob(env, lp, path, None) or lib.KRVchgprobtype(env, lp, 0) or \
            lib.KRVwriteprob(env, lp, out.encode(), None):
        raise RuntimeError(f"cannot write the relaxation of {name}")
    lib.KRVcloseKORVA(ctypes.byref(env))
    return out


def factor_nonzeros(out):
    m = re.search(r"Total non-zeros in factor\s*=\s*(\d+)", out)
    return int(m.group(1)) if m else None


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--models", nargs="*", help="relaxations to run (default: all five)")
    ap.add_argument("--no-generated", action="store_true")
    ap.add_argument("--time-limit", type=float, default=600.0)
    ap.add_argument("--korva", default=os.path.join(ROOT, "build", "tools", "korva"))
    ap.add_argument("--library", default=os.path.join(ROOT, "build", "libkorva.so"),
                    help="the library that writes the relaxations")
    ap.add_argument("--out", default=os.path.join(ROOT, "bench", "results", "barrier"))
    ap.add_argument("--solvers", nargs="*", help="run only these (korva, korva-dual, clp, highs)")
    ap.add_argument("--korva-param", action="append", default=[], metavar="NAME=VALUE",
                    help="a parameter for korva, e.g. KRV_PARAM_WORKMEM=4096 (repeatable)")
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    rows = []
    with tempfile.TemporaryDirectory() as tmp:
        notes = []
        highs = highs_launcher(HIGHS, tmp, notes)
        for note in notes:
            print(note, file=sys.stderr)
        models = []
        for name in (args.models if args.models is not None else RELAXATIONS):
            models.append((name, relaxation_file(args.library, name, tmp), False))
        if not args.no_generated:
            for kind, options in GENERATED:
                path = os.path.join(tmp, kind + ".mps")
                subprocess.run([sys.executable, os.path.join(ROOT, "bench", "generate_lp.py"), kind, path] + options,
                               check=True)
                models.append((kind, path, True))
        limit = str(args.time_limit)
        for name, path, generated in models:
            params = [option for p in args.korva_param for option in ("--param", p)]
            cmds = {"korva": ([args.korva, path, "--method", "barrier", "--time-limit", limit] + params, None,
                              parse_korva)}
            if shutil.which("clp"):
                cmds["clp"] = (["clp", path, "-sec", limit, "-barrier"], None, parse_clp)
            if highs:
                prog, env = highs
                cmds["highs"] = (prog + ["--model_file", path, "--time_limit", limit, "--solver", "ipm"], env,
                                 parse_highs)
            if generated:
                cmds["korva-dual"] = ([args.korva, path, "--method", "dual", "--time-limit", limit] + params, None,
                                      parse_korva)
            if args.solvers:
                cmds = {k: v for k, v in cmds.items() if k in args.solvers}
            objectives = {}
            for solver, (cmd, env, parse) in cmds.items():
                seconds, out, timed_out = run(cmd, args.time_limit + 30, env)
                status, obj, its = parse(out)
                if timed_out:
                    status = "timeout"
                objectives[solver] = obj
                rows.append({"model": name, "solver": solver, "status": status,
                             "objective": "" if obj is None else repr(obj), "iterations": "" if its is None else its,
                             "factor_nonzeros": factor_nonzeros(out) if solver == "korva" else "",
                             "seconds": f"{seconds:.3f}"})
                print(f"{name:15s} {solver:10s} {status:10s} obj={obj} its={its} {seconds:.2f}s", flush=True)
            # Agreement with the other solvers' objectives, per model.
            values = [v for v in objectives.values() if v is not None]
            for r in rows:
                if r["model"] == name:
                    v = objectives.get(r["solver"])
                    r["agrees"] = int(v is not None and all(abs(v - w) <= 1e-6 * max(1.0, abs(w)) for w in values))
    write_reports(args, rows)


def write_reports(args, rows):
    if not rows:
        return
    with open(os.path.join(args.out, "results.csv"), "w", newline="") as f:
        w = csv.DictWriter(f, fieldnames=list(rows[0].keys()))
        w.writeheader()
        w.writerows(rows)
    solvers = sorted({r["solver"] for r in rows})
    lines = ["| model | solver | status | agrees | iterations | factor nonzeros | seconds |", "|---|---|---|---|---|---|---|"]
    for r in rows:
        lines.append(f"| {r['model']} | {r['solver']} | {r['status']} | {'yes' if r.get('agrees') else 'no'} | "
                     f"{r['iterations']} | {r['factor_nonzeros']} | {r['seconds']} |")
    lines += ["", "| solver | models | shifted geomean s (failures at the limit) |", "|---|---|---|"]
    for s in solvers:
        times = [float(r["seconds"]) if r.get("agrees") and r["status"] == "optimal" else args.time_limit
                 for r in rows if r["solver"] == s]
        lines.append(f"| {s} | {len(times)} | {shifted_geomean(times):.3f} |")
    md = "\n".join(lines) + "\n"
    with open(os.path.join(args.out, "results.md"), "w") as f:
        f.write(md)
    print(md)


if __name__ == "__main__":
    main()
