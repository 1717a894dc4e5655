#!/usr/bin/env python3
"""Solves the mixed-integer models of the shared MIP collection with korva and
with the peer solvers available on this machine (cbc, highs), each in its own
process with one thread, a time limit and a relative gap tolerance of 1e-4,
and judges every answer against the best known solutions of the collection's
catalogue.

A wrong answer (an "optimal" objective away from the proven optimum, a bound
that cuts off a known solution, an incumbent better than the proven optimum,
"infeasible" on a model with a known solution) is listed first in the report:
speed means nothing next to it.

Writes <out>/mip_results.csv and <out>/mip_results.md (wrong answers, per-model
table, per-solver solved and wrong counts, shifted geometric mean of the time
with shift 1 s, nodes per second).

  bench/mip_bench.py                          # all models, each solver's defaults
  bench/mip_bench.py --mode plain             # branch-and-bound without cuts and heuristics
  bench/mip_bench.py --quick --time-limit 30  # twelve small models
  bench/mip_bench.py --mode plain --jobs 2    # two models at once on a two-core machine
  bench/mip_bench.py --models p0033 egout --solvers korva cbc --korva-param KRV_PARAM_VARSEL=3
"""
import argparse
import concurrent.futures
import csv
import os
import shutil
import sys
import tempfile
import threading

from mip_common import (GAP, HIGHS, MODE_NOTES, MODES, ROOT, SOLVERS, catalogue, cell, ensure_peers,
                        find_launchers, judge, kill_after, maximises, model_names, outcome, run,
                        shifted_geomean, shown_command, solver_commands, unpack_model)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--mode", choices=sorted(MODES), default="defaults")
    ap.add_argument("--quick", action="store_true", help="run a subset of small models")
    ap.add_argument("--models", nargs="*", help="model names (default: all models of the collection)")
    ap.add_argument("--time-limit", type=float, default=120.0)
    ap.add_argument("--korva", default=os.path.join(ROOT, "build", "tools", "korva"))
    ap.add_argument("--highs", default=HIGHS)
    ap.add_argument("--korva-param", action="append", default=[], metavar="NAME=VALUE",
                    help="extra korva parameter (repeatable)")
    ap.add_argument("--solvers", nargs="*", choices=SOLVERS, help="subset of korva, cbc, highs")
    ap.add_argument("--jobs", type=int, default=1, help="models solved at once (default 1)")
    ap.add_argument("--out", default=os.path.join(ROOT, "bench", "results"))
    args = ap.parse_args()

    ensure_peers()
    cat = catalogue()
    names = model_names(args)
    wanted = args.solvers or SOLVERS
    notes = list(MODE_NOTES.get(args.mode, []))
    os.makedirs(args.out, exist_ok=True)

    rows = []
    commands = {}
    with tempfile.TemporaryDirectory() as tmp:
        launchers = find_launchers(args, wanted, tmp, notes)
        for note in notes:
            print("note: " + note, file=sys.stderr)

        def solve_model(k, name):
            """Every solver on one model, in a folder of its own (highs leaves a
            log in its working folder); returns the model's rows."""
            work = os.path.join(tmp, name)
            os.makedirs(work, exist_ok=True)
            mps = unpack_model(name, work)
            maximise = maximises(mps)
            cmds = solver_commands(args, launchers, mps, work)
            order = sorted(cmds)
            if k % 2:
                order.reverse()  # alternate to spread machine noise
            mine = []
            for solver in order:
                cmd, env, parse = cmds[solver]
                with lock:
                    commands.setdefault(solver, shown_command(solver, cmd, mps, work))
                seconds, code, out, err = run(cmd, kill_after(args.time_limit), work, env)
                cls, text, obj, bound, nodes, its, own, detail = outcome(solver, parse, code, out, err, mps, name)
                ref = cat.get(name)
                if cls in ("error", "killed"):
                    solved, wrong, note = False, "", ""
                else:
                    solved, wrong, note = judge(ref, maximise, cls, obj, bound)
                mine.append({"mode": args.mode, "model": name, "solver": solver, "status": cls,
                             "solver_status": text, "objective": "" if obj is None else repr(obj),
                             "bound": "" if bound is None else repr(bound),
                             "best_known": "" if ref is None else repr(ref["best"]),
                             "proven": "" if ref is None else int(ref["proven"]),
                             "nodes": "" if nodes is None else nodes,
                             "iterations": "" if its is None else its,
                             "solver_seconds": "" if own is None else own,
                             "seconds": f"{seconds:.3f}", "solved": int(solved), "wrong": wrong,
                             "note": "; ".join(x for x in (detail, note) if x)})
                flag = f"  WRONG: {wrong}" if wrong else ""
                print(f"{name:12s} {solver:6s} {cls:11s} solved={int(solved)} obj={obj} bound={bound} "
                      f"nodes={nodes} {seconds:.2f}s{flag}", flush=True)
            shutil.rmtree(work, ignore_errors=True)
            return mine

        # With --jobs above 1 several models run at once, one solver process
        # each: every solver meets the same contention, so the comparison
        # stays fair, but absolute times are those of a loaded machine.
        lock = threading.Lock()
        with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
            for mine in pool.map(solve_model, range(len(names)), names):
                rows.extend(mine)

    write_reports(args, names, rows, commands, notes)


def write_reports(args, names, rows, commands, notes):
    fields = ["mode", "model", "solver", "status", "solver_status", "objective", "bound", "best_known",
              "proven", "nodes", "iterations", "solver_seconds", "seconds", "solved", "wrong", "note"]
    with open(os.path.join(args.out, "mip_results.csv"), "w", newline="") as f:
        w = csv.DictWriter(f, fieldnames=fields)
        w.writeheader()
        w.writerows(rows)
    solvers = [s for s in SOLVERS if any(r["solver"] == s for r in rows)]
    by = {(r["model"], r["solver"]): r for r in rows}
    wrong = [r for r in rows if r["wrong"]]

    lines = [f"Mode: `{args.mode}`, time limit {args.time_limit:g} s, relative gap {GAP:g}, "
             f"one thread, {len(names)} models" + (f", {args.jobs} at once" if args.jobs > 1 else "") + ".", ""]
    lines += [f"- {s}: `{commands[s]}`" for s in solvers if s in commands]
    lines += [f"- note: {n}" for n in notes]
    lines += ["", f"## Wrong answers: {len(wrong)}", ""]
    if wrong:
        lines += ["| model | solver | status | objective | bound | best known | what is wrong |",
                  "|---|---|---|---|---|---|---|"]
        for r in wrong:
            lines.append(f"| {r['model']} | {r['solver']} | **{r['status']}** | {cell(r['objective'])} | "
                         f"{cell(r['bound'])} | {cell(r['best_known'])} | **WRONG: {r['wrong']}** |")
    else:
        lines.append("None.")

    lines += ["", "## Per solver", "",
              "Unsolved models count at the time limit in the shifted geometric mean (shift 1 s). "
              "Nodes per second over the runs with at least 100 nodes (solver's own time); "
              "node counts are not comparable between solvers, only between runs of one.", "",
              "| solver | solved | wrong | errors | shifted geomean s | nodes/s (runs) |",
              "|---|---|---|---|---|---|"]
    for s in solvers:
        mine = [by[(n, s)] for n in names if (n, s) in by]
        if not mine:
            continue
        times = [min(float(r["seconds"]), args.time_limit) if r["solved"] else args.time_limit
                 for r in mine]
        tree = [r for r in mine if r["nodes"] != "" and int(r["nodes"]) >= 100]
        node_time = sum(float(r["solver_seconds"] or r["seconds"]) for r in tree)
        rate = f"{sum(int(r['nodes']) for r in tree) / node_time:.0f} ({len(tree)})" if tree and node_time > 0 else "n/a"
        lines.append(f"| {s} | {sum(r['solved'] for r in mine)}/{len(mine)} | "
                     f"{sum(1 for r in mine if r['wrong'])} | "
                     f"{sum(1 for r in mine if r['status'] in ('error', 'killed'))} | "
                     f"{shifted_geomean(times):.3f} | {rate} |")

    lines += ["", "## Per model", "",
              "| model | best known | solver | status | objective | bound | nodes | time s | solved |",
              "|---|---|---|---|---|---|---|---|---|"]
    for n in names:
        first = True
        for s in solvers:
            r = by.get((n, s))
            if not r:
                continue
            known = cell(r["best_known"]) + ("" if r["proven"] in (1, "") else " (open)")
            status = r["status"] + (f" ({r['note']})" if r["note"] else "")
            solved = "**WRONG**" if r["wrong"] else ("yes" if r["solved"] else "no")
            lines.append(f"| {n if first else ''} | {known if first else ''} | {s} | {status} | "
                         f"{cell(r['objective'])} | {cell(r['bound'])} | {r['nodes']} | {r['seconds']} | {solved} |")
            first = False
    md = "\n".join(lines) + "\n"
    with open(os.path.join(args.out, "mip_results.md"), "w") as f:
        f.write(md)
    print(md)


if __name__ == "__main__":
    main()
