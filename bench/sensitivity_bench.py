#!/usr/bin/env python3
"""Sensitivity sweep over the LP collection, one model at a time through
build/bench/sensitivity_check:

  * the time of the ranges of all costs, right-hand sides and bounds
    (KRVobjsa + KRVrhssa + KRVboundsa over every entity) against the time
    of one cold solve of the model;
  * the checks: basic columns of inverse(B)A are unit vectors, rows of
    inverse(B) times A equal rows of inverse(B)A, and a sample of costs,
    right-hand sides and bounds moved just inside their ranges keeps the
    optimal basis while just outside changes it (by re-solving);
  * the ray of the model maximised instead of minimised, when that is
    unbounded: it keeps every row and bound and improves the objective.

Writes <out>/sensitivity.csv and prints a summary with every failure.

  bench/sensitivity_bench.py                       # the whole collection
  bench/sensitivity_bench.py --models dfl001 fit2d pilot --no-checks
"""
import argparse
import csv
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "..", "shared", "data", "netlib")


def run(binary, model, samples, checks, timeout):
    cmd = [binary, os.path.join(DATA, model + ".mps.gz"), "--samples", str(samples)]
    if not checks:
        cmd.append("--no-checks")
    try:
        p = subprocess.run(cmd, capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return {"model": model, "error": "timeout"}, ""
    fields = {"model": model}
    for token in p.stdout.split():
        if "=" in token:
            k, v = token.split("=", 1)
            fields[k] = v
    fields["model"] = model
    if p.returncode != 0:
        fields["error"] = "exit %d" % p.returncode
    return fields, p.stderr


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default=os.path.join(ROOT, "build"))
    ap.add_argument("--models", nargs="*")
    ap.add_argument("--samples", type=int, default=6)
    ap.add_argument("--no-checks", action="store_true")
    ap.add_argument("--timeout", type=float, default=900)
    ap.add_argument("--out", default=os.path.join(ROOT, "bench", "results"))
    args = ap.parse_args()
    binary = os.path.join(args.build, "bench", "sensitivity_check")
    models = args.models or sorted(f[:-7] for f in os.listdir(DATA) if f.endswith(".mps.gz"))
    os.makedirs(args.out, exist_ok=True)
    rows, failures = [], []
    for model in models:
        fields, stderr = run(binary, model, args.samples, not args.no_checks, args.timeout)
        rows.append(fields)
        bad = [k for k in ("tableau_failures", "range_failures", "ray_failures") if fields.get(k, "0") != "0"]
        if "error" in fields or bad:
            failures.append((model, fields.get("error", ",".join(bad)), stderr.strip()))
        print("%-10s m=%-6s n=%-6s solve %8ss  ranges %8ss  %s" % (
            model, fields.get("rows"), fields.get("cols"), fields.get("solve"), fields.get("sens"),
            " ".join("%s=%s" % (k, fields[k]) for k in
                     ("tableau_failures", "range_failures", "flipped_status", "ray_failures", "error")
                     if k in fields)), flush=True)
    keys = sorted({k for r in rows for k in r})
    with open(os.path.join(args.out, "sensitivity.csv"), "w", newline="") as f:
        w = csv.DictWriter(f, fieldnames=keys)
        w.writeheader()
        w.writerows(rows)
    rays = sum(1 for r in rows if "ray_failures" in r)
    print("\n%d models, %d with failures; %d unbounded maximisations with their ray checked"
          % (len(rows), len(failures), rays))
    for model, what, text in failures:
        print("FAIL %s: %s\n%s" % (model, what, text))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
