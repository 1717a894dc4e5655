#!/usr/bin/env python3
"""How fast korva and the peer solvers (cbc, highs) find good solutions on the
models of the shared MIP collection: the time to the first incumbent and the
primal integral, each solver in its own process with one thread, a time limit
and a relative gap tolerance of 1e-4 (the settings of mip_bench.py).

Every solver runs with line-buffered output (stdbuf -oL) and every line of its
log is stamped when it arrives. A new incumbent is read from the log:
  korva  node-log lines marked '*' and the Best Integer column of every node
         line, "Best integer = ..." lines, MIP start lines ("MIP start '...'
         defined initial solution with objective ...");
  cbc    "Integer solution of ... found" lines (Cbc0004I, Cbc0012I, Cbc0016I,
         ...) and the best solution of its progress and completion lines;
  highs  the BestSol column of its node-log lines (the source letter in front
         says which heuristic or branching found it).
Only strict improvements count. When the final report names a better
objective than the log showed, that solution counts from the end of the run;
the tail of the run uses the final objective in any case.

With z(t) the incumbent at t seconds after the solver's start and z* the
catalogue's best known objective (for a model without one: the best objective
any solver found in this run), the primal gap is
  p(t) = 1                                  without an incumbent, or when z(t)
                                            and z* differ in sign,
         0                                  when both are 0,
         |z(t) - z*| / max(|z(t)|, |z*|)    otherwise,
and the primal integral is the integral of p over [0, T], T the time limit. A
run that ends before T keeps its final p for the rest of T: 0 when it proved
optimality at the known optimum (as mip_bench.py judges it), 1 when it failed
(its solution is lost). The integral is in seconds: T for a run that never
finds a solution, 0 for one that starts at the optimum.

The clock check of a run is the spread of (arrival time - solver's own time)
over the log lines that carry the solver's clock (korva's "Elapsed real time",
cbc's "(... seconds)" on its solution and progress lines, highs's Time column):
near 0 (within the solvers' printing resolution of 0.01-0.1 s) when the lines
arrived as they were written.

Writes <out>/mip_primal.csv (one row per model and solver: final status and
objective as mip_bench.py reports them, first-incumbent time, primal integral,
incumbent trace "seconds:objective ...") and <out>/mip_primal.md (wrong
answers; summary per solver: models with a first incumbent, shifted geometric
mean with shift 1 s of the first-incumbent time over the models where every
solver found one, mean and shifted geometric mean with shift 1 of the primal
integral; per-model table).

  bench/mip_primal_bench.py                          # all models, T = 120 s
  bench/mip_primal_bench.py --quick --time-limit 30  # twelve small models
  bench/mip_primal_bench.py --jobs 2                 # two models at once on a two-core machine
  bench/mip_primal_bench.py --models p0033 egout misc03 --time-limit 10 --out /tmp/primal
  bench/mip_primal_bench.py --solvers korva cbc --korva-param KRV_PARAM_HEURFREQ=5
"""
import argparse
import concurrent.futures
import csv
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from mip_common import (GAP, HIGHS, ROOT, SOLVERS, catalogue, cell, ensure_peers, find_launchers, judge,
                        kill_after, maximises, model_names, number, outcome, shifted_geomean, shown_command,
                        solver_commands, unpack_model)

# Relative change below which two printed objectives are the same solution
# value (the logs round to 4 decimals or 6 significant digits).
SAME = 1e-6


class KorvaLog:
    """Objectives and clock readings in korva's log."""
    # Marker, node, heuristic '+', nodes left, then the fixed-width Objective
    # (19) and Best Integer (13) columns; a blank Best Integer means none yet.
    NODE_LINE = re.compile(r"^([* ])\s*(\d+)([+ ])\s*(\d+) (.{19}) (.{13})")
    BEST_INTEGER = re.compile(r"^Best integer =\s*(\S+)")
    MIP_START = re.compile(r"^MIP start '.*' defined initial solution with objective (\S+)")
    CLOCK = re.compile(r"^Elapsed (?:real )?time =\s*(\S+) sec\.")

    def __init__(self):
        self.in_tree = False  # node lines only after the log's column header

    def read(self, line):
        """(objective on the line or None, solver's own seconds or None)."""
        m = self.MIP_START.match(line)
        if m:
            return number(m.group(1).rstrip(".")), None
        if not self.in_tree:
            self.in_tree = line.lstrip().startswith("Node  Left") or line.startswith("Node log")
            return None, None
        m = self.NODE_LINE.match(line)
        if m:
            return number(m.group(6).strip()), None
        m = self.BEST_INTEGER.match(line)
        if m:
            return number(m.group(1)), None
        m = self.CLOCK.match(line)
        return None, (number(m.group(1)) if m else None)


class CbcLog:
    """Objectives and clock readings in cbc's log."""
    SOLUTION = re.compile(r"^Cbc\d{4}I Integer solution of (\S+) found")
    PROGRESS = re.compile(r"^Cbc0010I After \d+ nodes, \d+ on tree, (\S+) best solution")
    COMPLETION = re.compile(r"^Cbc000[15]I .*best objective ([^\s,]+)")
    CLOCK = re.compile(r"\((\S+) seconds\)\s*$")

    def read(self, line):
        for pattern in (self.SOLUTION, self.PROGRESS, self.COMPLETION):
            m = pattern.match(line)
            if m:
                clock = self.CLOCK.search(line)
                return number(m.group(1)), (number(clock.group(1)) if clock else None)
        return None, None


class HighsLog:
    """Objectives and clock readings in highs's node log: an optional source
    letter, Proc. InQueue Leaves Expl.% BestBound BestSol Gap Cuts InLp Confl.
    LpIters Time."""

    def read(self, line):
        words = line.split()
        if words and len(words[0]) == 1 and words[0].isalpha():
            words = words[1:]
        if len(words) < 12 or not words[3].endswith("%") or not words[-1].endswith("s"):
            return None, None
        clock = number(words[-1][:-1])
        if clock is None or not words[0].isdigit():
            return None, None
        return number(words[5]), clock


LOG_READERS = {"korva": KorvaLog, "cbc": CbcLog, "highs": HighsLog}


def run_stamped(cmd, timeout, cwd, env, line_buffered):
    """Runs cmd, stamping each line of its output on arrival; returns (wall
    seconds, exit code or None when killed, [(seconds, line)], stderr)."""
    if line_buffered:
        cmd = ["stdbuf", "-oL"] + cmd  # stdbuf execs the solver: the kill reaches it
    stamped = []
    with tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        p = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=err, cwd=cwd, env=env)
        killed = threading.Event()

        def kill():
            killed.set()
            p.kill()

        timer = threading.Timer(timeout, kill)
        timer.start()
        try:
            for raw in p.stdout:
                stamped.append((time.perf_counter() - start, raw.decode(errors="replace").rstrip("\r\n")))
            code = p.wait()
        finally:
            timer.cancel()
        seconds = time.perf_counter() - start
        err.seek(0)
        text = err.read().decode(errors="replace")
    return seconds, (None if killed.is_set() else code), stamped, text


def better(v, w, maximise):
    """v improves on w (None: no solution) by more than the logs' rounding."""
    if v is None:
        return False
    if w is None:
        return True
    return (w - v if not maximise else v - w) > SAME * max(1.0, abs(v), abs(w))


def incumbent_trace(solver, stamped, maximise):
    """[(seconds, objective)] of each improving solution in the log, and the
    clock check (spread of arrival minus the solver's own time; None without
    two readings)."""
    reader = LOG_READERS[solver]()
    trace, spread = [], None
    lags, last_own = [], None
    for t, line in stamped:
        value, own = reader.read(line)
        if own is not None:
            # A clock that goes back is a new search with a clock of its own
            # (a restart): its offset from the arrival times differs.
            if last_own is not None and own < last_own:
                lags = []
            lags.append(t - own)
            last_own = own
            if len(lags) > 1:
                spread = max(spread or 0.0, max(lags) - min(lags))
        if better(value, trace[-1][1] if trace else None, maximise):
            trace.append((t, value))
    return trace, spread


def primal_gap(z, ref):
    if z is None or ref is None:
        return 1.0
    if abs(z) < 1e-9 and abs(ref) < 1e-9:
        return 0.0
    if z * ref < 0:
        return 1.0
    return abs(z - ref) / max(abs(z), abs(ref))


def primal_integral(trace, end, final_gap, ref, limit):
    """Integral of the primal gap over [0, limit]; after the run's end (when
    it comes before the limit) the gap is final_gap."""
    total, last_t, gap = 0.0, 0.0, 1.0
    for t, z in trace:
        if t >= limit:
            break
        total += gap * (t - last_t)
        last_t, gap = t, primal_gap(z, ref)
    if end < limit:
        return total + gap * (end - last_t) + final_gap * (limit - end)
    return total + gap * (limit - last_t)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--quick", action="store_true", help="run a subset of small models")
    ap.add_argument("--models", nargs="*", help="model names (default: all models of the collection)")
    ap.add_argument("--time-limit", type=float, default=120.0,
                    help="each solver's time limit and the horizon T of the primal integral (default 120)")
    ap.add_argument("--korva", default=os.path.join(ROOT, "build", "tools", "korva"))
    ap.add_argument("--highs", default=HIGHS)
    ap.add_argument("--korva-param", action="append", default=[], metavar="NAME=VALUE",
                    help="extra korva parameter (repeatable)")
    ap.add_argument("--solvers", nargs="*", choices=SOLVERS, help="subset of korva, cbc, highs")
    ap.add_argument("--jobs", type=int, default=1, help="models solved at once (default 1)")
    ap.add_argument("--out", default=os.path.join(ROOT, "bench", "results"))
    args = ap.parse_args()
    args.mode = "defaults"  # every solver's defaults: the heuristics are what this measures

    ensure_peers()
    cat = catalogue()
    names = model_names(args)
    wanted = args.solvers or SOLVERS
    notes = []
    line_buffered = shutil.which("stdbuf") is not None
    if not line_buffered:
        notes.append("stdbuf not found: cbc's lines may arrive late, its first-incumbent times are upper bounds.")
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
            cmds = solver_commands(args, launchers, mps, work, node_log=True)
            order = sorted(cmds)
            if k % 2:
                order.reverse()  # alternate to spread machine noise
            ref = cat.get(name)
            mine = []
            for solver in order:
                cmd, env, parse = cmds[solver]
                with lock:
                    commands.setdefault(solver, shown_command(solver, cmd, mps, work))
                seconds, code, stamped, err = run_stamped(cmd, kill_after(args.time_limit), work, env,
                                                          line_buffered)
                out = "\n".join(line for _, line in stamped)
                cls, text, obj, bound, _, _, _, detail = outcome(solver, parse, code, out, err, mps, name)
                if cls in ("error", "killed"):
                    solved, wrong, note = False, "", ""
                else:
                    solved, wrong, note = judge(ref, maximise, cls, obj, bound)
                trace, spread = incumbent_trace(solver, stamped, maximise)
                notes_here = [x for x in (detail, note) if x]
                last = trace[-1][1] if trace else None
                if obj is not None and better(obj, last, maximise):
                    if trace:
                        notes_here.append(f"final objective {obj:.10g} better than the log's {last:.10g}")
                    trace.append((seconds, obj))
                elif obj is not None and better(last, obj, maximise):
                    notes_here.append(f"log shows {last:.10g}, final objective {obj:.10g}")
                mine.append({"model": name, "solver": solver, "status": cls, "solver_status": text,
                             "objective": "" if obj is None else repr(obj),
                             "best_known": "" if ref is None else repr(ref["best"]),
                             "proven": "" if ref is None else int(ref["proven"]),
                             "solved": int(solved), "wrong": wrong, "seconds": f"{seconds:.3f}",
                             "maximise": maximise, "trace": trace, "final": obj,
                             "clock_check": "" if spread is None else f"{spread:.3f}",
                             "note": "; ".join(notes_here)})
            add_integrals(mine, ref, args.time_limit)
            for r in mine:
                flag = f"  WRONG: {r['wrong']}" if r["wrong"] else ""
                print(f"{name:12s} {r['solver']:6s} {r['status']:11s} first={r['first_incumbent_s'] or '-':>8s} "
                      f"integral={r['primal_integral']:>8s} incumbents={r['incumbents']} "
                      f"obj={r['final']} {float(r['seconds']):.2f}s{flag}", flush=True)
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


def add_integrals(mine, ref, limit):
    """First-incumbent time and primal integral of each run of one model."""
    if ref is not None:
        z_ref, source = ref["best"], "catalogue"
    else:
        z_ref, source = None, "this run"
        for r in mine:
            for _, z in r["trace"]:
                if better(z, z_ref, r["maximise"]):
                    z_ref = z
    for r in mine:
        trace = r["trace"]
        if r["solved"]:
            final_gap = 0.0
        elif r["status"] == "error":
            final_gap = 1.0
        else:
            final_gap = primal_gap(trace[-1][1] if trace else None, z_ref)
        first = trace[0] if trace and trace[0][0] <= limit else None
        r.update({"reference": "" if z_ref is None else repr(z_ref), "reference_from": source,
                  "first_incumbent_s": "" if first is None else f"{first[0]:.3f}",
                  "first_objective": "" if first is None else repr(first[1]),
                  "incumbents": sum(1 for t, _ in trace if t <= limit),
                  "primal_integral": f"{primal_integral(trace, float(r['seconds']), final_gap, z_ref, limit):.3f}",
                  "time_limit": f"{limit:g}",
                  "trace": " ".join(f"{t:.3f}:{z:.10g}" for t, z in trace)})


FIELDS = ["model", "solver", "status", "solver_status", "objective", "best_known", "proven", "reference",
          "reference_from", "solved", "wrong", "seconds", "first_incumbent_s", "first_objective", "incumbents",
          "primal_integral", "time_limit", "clock_check", "trace", "note"]


def write_reports(args, names, rows, commands, notes):
    with open(os.path.join(args.out, "mip_primal.csv"), "w", newline="") as f:
        w = csv.DictWriter(f, fieldnames=FIELDS, extrasaction="ignore")
        w.writeheader()
        w.writerows(rows)
    solvers = [s for s in SOLVERS if any(r["solver"] == s for r in rows)]
    by = {(r["model"], r["solver"]): r for r in rows}
    wrong = [r for r in rows if r["wrong"]]
    limit = args.time_limit

    lines = [f"Time limit and primal-integral horizon T = {limit:g} s, relative gap {GAP:g}, one thread, "
             f"each solver's defaults, {len(names)} models" + (f", {args.jobs} at once" if args.jobs > 1 else "")
             + ". Times are wall seconds from the solver's start, stamped as its log lines arrive.", ""]
    lines += [f"- {s}: `{commands[s]}`" for s in solvers if s in commands]
    lines += [f"- note: {n}" for n in notes]
    lines += ["", f"## Wrong answers: {len(wrong)}", ""]
    if wrong:
        lines += ["| model | solver | status | objective | best known | what is wrong |", "|---|---|---|---|---|---|"]
        for r in wrong:
            lines.append(f"| {r['model']} | {r['solver']} | **{r['status']}** | {cell(r['objective'])} | "
                         f"{cell(r['best_known'])} | **WRONG: {r['wrong']}** |")
    else:
        lines.append("None.")

    complete = [n for n in names if all((n, s) in by for s in solvers)]
    everyone = [n for n in complete if all(by[(n, s)]["first_incumbent_s"] for s in solvers)]
    lines += ["", "## Per solver", "",
              f"First-incumbent time: shifted geometric mean (shift 1 s) over the {len(everyone)} models where "
              f"every solver found one. Primal integral in seconds (0 to {limit:g}): mean and shifted geometric "
              "mean (shift 1) over all models. Clock check: the largest spread of arrival minus the solver's own "
              "time over its runs (0 to the print resolution when the lines arrive as written).", "",
              "| solver | with an incumbent | first incumbent s (sgm) | primal integral mean | "
              "primal integral sgm | wrong | errors | clock check s |",
              "|---|---|---|---|---|---|---|---|"]
    for s in solvers:
        mine = [by[(n, s)] for n in names if (n, s) in by]
        if not mine:
            continue
        found = sum(1 for r in mine if r["first_incumbent_s"])
        firsts = [float(by[(n, s)]["first_incumbent_s"]) for n in everyone]
        integrals = [float(r["primal_integral"]) for r in mine]
        checks = [float(r["clock_check"]) for r in mine if r["clock_check"]]
        lines.append(f"| {s} | {found}/{len(mine)} | {f'{shifted_geomean(firsts):.3f}' if firsts else 'n/a'} | "
                     f"{sum(integrals) / len(integrals):.3f} | {shifted_geomean(integrals):.3f} | "
                     f"{sum(1 for r in mine if r['wrong'])} | "
                     f"{sum(1 for r in mine if r['status'] in ('error', 'killed'))} | "
                     f"{f'{max(checks):.2f}' if checks else 'n/a'} |")

    head = "| model | best known |" + "".join(f" {s} first s | {s} integral | {s} final |" for s in solvers)
    lines += ["", "## Per model", "",
              "First incumbent in seconds (blank: none within the limit), primal integral in seconds, final "
              "status and objective; (open): the best known value is not proven optimal; (run): no catalogue "
              "value, the reference is the best objective of this run.", "",
              head, "|---|---|" + "---|---|---|" * len(solvers)]
    for n in names:
        mine = [by.get((n, s)) for s in solvers]
        known = next((r for r in mine if r), None)
        if known is None:
            continue
        ref = cell(known["reference"]) + (" (run)" if known["reference_from"] == "this run" else
                                          "" if known["proven"] in (1, "") else " (open)")
        cells = []
        for r in mine:
            if r is None:
                cells += ["", "", ""]
                continue
            final = r["status"] + (f" {cell(r['objective'])}" if r["objective"] else "")
            if r["wrong"]:
                final = f"**WRONG** {final}"
            cells += [r["first_incumbent_s"], r["primal_integral"], final]
        lines.append(f"| {n} | {ref} | " + " | ".join(cells) + " |")
    md = "\n".join(lines) + "\n"
    with open(os.path.join(args.out, "mip_primal.md"), "w") as f:
        f.write(md)
    print(md)


if __name__ == "__main__":
    main()
