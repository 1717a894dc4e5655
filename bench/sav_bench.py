#!/usr/bin/env python3
"""SAV round trips over both shared collections.

Runs build/bench/sav_bench --solve over every model of netlib and miplib3
(one process per model, so that one failure does not hide the others) and
prints its lines, then the totals. Run it once, on a quiet machine:

    python3 bench/sav_bench.py [--build build] [--data ../shared/data] [MODEL...]
"""
import argparse
import glob
import os
import subprocess
import sys


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(here, "..", "build"))
    parser.add_argument("--data", default=os.environ.get("KORVA_DATA_DIR", os.path.join(here, "..", "..", "shared", "data")))
    parser.add_argument("--timeout", type=int, default=1800)
    parser.add_argument("models", nargs="*")
    args = parser.parse_args()
    program = os.path.join(args.build, "bench", "sav_bench")
    files = sorted(glob.glob(os.path.join(args.data, "netlib", "*.mps.gz"))) + sorted(
        glob.glob(os.path.join(args.data, "miplib3", "*.mps.gz")))
    if args.models:
        files = [f for f in files if os.path.basename(f).split(".")[0] in args.models]
    failed = []
    header_printed = False
    for f in files:
        try:
            out = subprocess.run([program, "--solve", f], capture_output=True, text=True, timeout=args.timeout)
            lines = out.stdout.splitlines()
            if not header_printed and lines:
                print(lines[0])
                header_printed = True
            print("\n".join(lines[1:]) or os.path.basename(f) + " no output", flush=True)
            if out.returncode != 0:
                failed.append(os.path.basename(f))
        except subprocess.TimeoutExpired:
            print(os.path.basename(f), "timed out", flush=True)
            failed.append(os.path.basename(f))
    print(f"{len(files) - len(failed)} of {len(files)} models passed" + (": failed " + " ".join(failed) if failed else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
