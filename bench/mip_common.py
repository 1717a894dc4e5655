"""What the MIP benchmarks share: the collection and its catalogue, the
command lines of korva and of the peer solvers (cbc, highs), the launchers,
the parsers of each solver's final report and the judging of an answer
against the catalogue's best known solutions.
"""
import csv
import gzip
import math
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "..", "shared", "data", "miplib3")
HIGHS = os.path.normpath(os.path.join(ROOT, "..", "shared", "peers", "highs", "highs"))
SOLVERS = ["korva", "cbc", "highs"]
GAP = 1e-4
# Small models that cbc proves optimal within a few seconds each: enough tree
# search to exercise branching, short enough to run after every change.
QUICK = ["p0033", "p0201", "p0548", "egout", "mod008", "lseu", "flugpl", "stein27",
         "vpm1", "khb05250", "bell3a", "dsbmip"]

# Options per mode, on top of the common ones (one thread, time limit, gap).
MODES = {
    "defaults": {
        "korva": [],
        "cbc": [],
        "highs": [],
    },
    # Branch-and-bound on the LP relaxation alone, which shows the tree search
    # (branching, node selection, node LP speed) without cuts and heuristics
    # hiding its differences. Presolve stays on for every solver.
    "plain": {
        "korva": ["--param", "KRV_PARAM_CUTPASS=-1", "--param", "KRV_PARAM_HEURFREQ=-1"],
        "cbc": ["-cuts", "off", "-heuristics", "off"],
        # highs has no switch for its root cuts: these stop node cuts and every
        # primal heuristic it lets us name, which is the nearest it gets.
        "highs": ["mip_heuristic_effort = 0",
                  "mip_heuristic_run_feasibility_jump = false",
                  "mip_heuristic_run_rins = false",
                  "mip_heuristic_run_rens = false",
                  "mip_heuristic_run_root_reduced_cost = false",
                  "mip_heuristic_run_zi_round = false",
                  "mip_heuristic_run_shifting = false",
                  "mip_allow_cut_separation_at_nodes = false"],
    },
}
MODE_NOTES = {
    "plain": ["highs cannot switch off its root cuts: its plain runs still separate cuts at the "
              "root node (node cuts and primal heuristics are off)."],
}


def ensure_peers():
    if not shutil.which("cbc") and os.geteuid() == 0:
        subprocess.run(["apt-get", "install", "-y", "-qq", "coinor-cbc"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def catalogue():
    cat = {}
    with open(os.path.join(DATA, "catalogue.csv")) as f:
        for row in csv.DictReader(f):
            cat[row["name"]] = {"best": float(row["best_integer"]),
                                "proven": row["proven_optimal"].strip() == "1"}
    return cat


def maximises(mps):
    """True when the MPS file asks for a maximum (OBJSENSE MAX before ROWS)."""
    with open(mps, errors="replace") as f:
        sense = False
        for line in f:
            words = line.split()
            if not words or line.startswith("*"):
                continue
            if words[0] == "ROWS":
                return False
            if words[0] == "OBJSENSE":
                if len(words) > 1:
                    return words[1].upper().startswith("MAX")
                sense = True
            elif sense:
                return words[0].upper().startswith("MAX")
    return False


def run(cmd, timeout, cwd, env=None):
    """Runs cmd in cwd (highs leaves a log file in its working folder); returns
    (wall seconds, exit code or None when killed, stdout, stderr)."""
    start = time.perf_counter()
    try:
        p = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                           errors="replace", timeout=timeout, cwd=cwd, env=env)
    except subprocess.TimeoutExpired as e:
        text = [(s.decode(errors="replace") if isinstance(s, bytes) else (s or ""))
                for s in (e.stdout, e.stderr)]
        return time.perf_counter() - start, None, text[0], text[1]
    return time.perf_counter() - start, p.returncode, p.stdout, p.stderr


def number(text):
    """A value from a log line; infinities and the huge values solvers print for
    "no solution" or "no bound" come back as None."""
    try:
        v = float(text)
    except (TypeError, ValueError):
        return None
    return v if math.isfinite(v) and abs(v) < 1e50 else None


def field(pattern, out, conv=str):
    m = re.search(pattern, out, re.M)
    return conv(m.group(1).strip()) if m else None


# Each parser returns (status class, solver's own status text, objective, bound,
# nodes, iterations, solver's own time). Status classes: optimal, infeasible,
# unbounded, time limit, node limit, error, other.

def parse_korva(out):
    text = field(r"^Status\s*:\s*(.+)$", out)
    nodes = field(r"^Nodes\s*:\s*(\d+)", out, int)
    # Without a node count this is not the summary of a MIP solve (a korva
    # that only optimises LPs, or one that stopped early).
    if text is None or nodes is None:
        return "error", text or "", None, None, None, None, None
    low = text.lower()
    if low.startswith("integer optimal"):
        cls = "optimal"
    elif "time limit" in low:
        cls = "time limit"
    elif "node limit" in low:
        cls = "node limit"
    elif "infeasible" in low:
        cls = "infeasible"
    elif "unbounded" in low:
        cls = "unbounded"
    else:
        cls = "other"
    return (cls, text, field(r"^Objective\s*:\s*(\S+)", out, number),
            field(r"^Best bound\s*:\s*(\S+)", out, number), nodes,
            field(r"^Iterations\s*:\s*(\d+)", out, int),
            field(r"^Solve time\s*:\s*(\S+)", out, number))


def parse_cbc(out):
    text = field(r"^Result - (.+)$", out)
    if text is None:
        return "error", "", None, None, None, None, None
    low = text.lower()
    if low.startswith("optimal solution found"):
        cls = "optimal"
    elif "time" in low:
        cls = "time limit"
    elif "nodes" in low:
        cls = "node limit"
    elif "infeasible" in low:
        cls = "infeasible"
    elif "unbounded" in low:
        cls = "unbounded"
    else:
        cls = "other"
    obj = None if "No feasible solution found" in out else field(r"^Objective value:\s*(\S+)", out, number)
    # "Lower bound" after a stop, "Best possible" in some versions; a proof of
    # optimality prints neither.
    bound = field(r"^(?:Lower bound|Best possible):\s*(\S+)", out, number)
    return (cls, text, obj, bound, field(r"^Enumerated nodes:\s*(\d+)", out, int),
            field(r"^Total iterations:\s*(\d+)", out, int),
            field(r"^Time \(Wallclock seconds\):\s*(\S+)", out, number))


def parse_highs(out):
    report = out[out.find("Solving report"):] if "Solving report" in out else ""
    text = field(r"^\s+Status\s+(.+)$", report)
    if text is None:
        return "error", "", None, None, None, None, None
    low = text.lower()
    if low == "optimal":
        cls = "optimal"
    elif "time limit" in low:
        cls = "time limit"
    elif "node limit" in low:
        cls = "node limit"
    elif "infeasible" in low:  # also "Primal infeasible or unbounded"
        cls = "infeasible"
    elif "unbounded" in low:
        cls = "unbounded"
    else:
        cls = "other"
    return (cls, text, field(r"^\s+Primal bound\s+(\S+)", report, number),
            field(r"^\s+Dual bound\s+(\S+)", report, number),
            field(r"^\s+Nodes\s+(\d+)", report, int),
            field(r"^\s+LP iterations\s+(\d+)", report, int),
            field(r"^\s+Timing\s+(\S+)", report, number))


def highs_launcher(path, tmp, notes):
    """The command (and environment) that starts highs, or None with a note.

    The peer folder's shared library link may arrive as a small text file
    naming its target (a copy that did not keep symbolic links); then the
    program is started with a private library folder holding the real links.
    """
    if not os.path.exists(path):
        notes.append(f"highs skipped: {os.path.normpath(path)} is absent.")
        return None
    if subprocess.run([path, "--version"], stdout=subprocess.DEVNULL,
                      stderr=subprocess.DEVNULL).returncode == 0:
        return [path], None
    lib = os.path.join(os.path.dirname(path), "lib")
    prog = os.path.join(lib, "highs-bin")
    if os.path.isdir(lib) and os.path.exists(prog):
        links = os.path.join(tmp, "highs-lib")
        os.makedirs(links, exist_ok=True)
        for name in os.listdir(lib):
            src = os.path.join(lib, name)
            target = src
            if os.path.isfile(src) and os.path.getsize(src) < 256:
                with open(src, errors="replace") as f:
                    named = f.read().strip()
                if named and "/" not in named and os.path.isfile(os.path.join(lib, named)):
                    target = os.path.join(lib, named)
            os.symlink(target, os.path.join(links, name))
        env = dict(os.environ)
        env["LD_LIBRARY_PATH"] = links + (":" + env["LD_LIBRARY_PATH"] if env.get("LD_LIBRARY_PATH") else "")
        if subprocess.run([prog, "--version"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          env=env).returncode == 0:
            notes.append("highs: its library link is a plain file in the peer folder; "
                         "started with a private folder of links to the same library.")
            return [prog], env
    notes.append(f"highs skipped: {os.path.normpath(path)} does not start.")
    return None


def solver_commands(args, launchers, mps, tmp, node_log=False):
    """Per solver: (command, environment, parser). korva prints only its
    summary unless node_log asks for its whole log; the peers always log."""
    t = f"{args.time_limit:g}"
    cmds = {}
    if launchers.get("korva"):
        extra = [a for p in args.korva_param for a in ("--param", p)]
        quiet = [] if node_log else ["--quiet"]
        cmds["korva"] = ([launchers["korva"], mps, "--time-limit", t, "--threads", "1"] + quiet
                         + ["--param", f"KRV_PARAM_EPGAP={GAP:g}"] + MODES[args.mode]["korva"] + extra,
                         None, parse_korva)
    if launchers.get("cbc"):
        # cbc measures its limit in CPU time unless told otherwise; the others
        # stop on the clock. Its default "threads 0" is the sequential search;
        # "threads 1" would start the threaded search with one worker beside
        # a waiting master, which is not what one thread means for the others.
        cmds["cbc"] = ([launchers["cbc"], mps, "-threads", "0", "-timeMode", "elapsed",
                        "-seconds", t, "-ratioGap", f"{GAP:g}"] + MODES[args.mode]["cbc"]
                       + ["-solve", "-quit"], None, parse_cbc)
    if launchers.get("highs"):
        prog, env = launchers["highs"]
        opts = os.path.join(tmp, "highs.opt")
        with open(opts, "w") as f:
            f.write("\n".join(["threads = 1", f"time_limit = {t}", f"mip_rel_gap = {GAP:g}"]
                              + MODES[args.mode]["highs"]) + "\n")
        cmds["highs"] = (prog + ["--options_file", opts, mps], env, parse_highs)
    return cmds


def judge(ref, maximise, cls, obj, bound):
    """(solved, what is wrong or "", note or "") of one answer against the catalogue."""
    if ref is None:
        return cls == "optimal", "", "no reference value"
    z, proven = ref["best"], ref["proven"]
    sign = -1.0 if maximise else 1.0  # compare as a minimisation
    known = "proven optimum" if proven else "best known solution"

    def beyond(v, w):
        # v past w (in the direction of a better objective) by more than the
        # gap tolerance, taken relative to the larger magnitude as the solvers
        # do, with an absolute floor for optima at or near zero.
        return sign * (w - v) > GAP * max(1.0, abs(v), abs(w))

    wrong, note = [], ""
    if cls in ("infeasible", "unbounded"):
        wrong.append(f"says {cls}, but a solution of value {z:.10g} is known")
    if bound is not None and beyond(z, bound):
        wrong.append(f"bound {bound:.10g} cuts off the known solution {z:.10g}")
    if obj is not None and beyond(obj, z):
        if proven:
            wrong.append(f"solution {obj:.10g} better than the proven optimum {z:.10g}")
        else:
            note = f"solution {obj:.10g} better than the best known {z:.10g}: check it"
    if cls == "optimal":
        if obj is None:
            wrong.append("says optimal without an objective")
        elif beyond(z, obj):
            wrong.append(f"says optimal at {obj:.10g}, the {known} is {z:.10g}")
    solved = cls == "optimal" and obj is not None and not wrong
    return solved, "; ".join(wrong), note


def shown_command(solver, cmd, mps, tmp):
    """The command line as the report shows it: MODEL for the model file, and
    highs's options file by its contents."""
    words = ["MODEL" if c == mps else c for c in cmd]
    if solver == "highs":
        opts = os.path.join(tmp, "highs.opt")
        with open(opts) as f:
            settings = "; ".join(line.strip() for line in f if line.strip())
        words = [w if w != opts else "highs.opt" for w in words] + [f"(highs.opt: {settings})"]
    return " ".join(words)


def shifted_geomean(times, shift=1.0):
    return math.exp(sum(math.log(t + shift) for t in times) / len(times)) - shift


def cell(v, fmt="{:.10g}"):
    return "" if v in ("", None) else fmt.format(float(v))


def model_names(args):
    """The models to solve: --models, the quick set or the whole collection;
    names without a file in the collection are skipped with a warning."""
    available = sorted(f[:-len(".mps.gz")] for f in os.listdir(DATA) if f.endswith(".mps.gz"))
    names = args.models or (QUICK if args.quick else available)
    for n in names:
        if n not in available:
            print(f"warning: {n}.mps.gz is not in {os.path.normpath(DATA)}; skipped", file=sys.stderr)
    return [n for n in names if n in available]


def find_launchers(args, wanted, tmp, notes):
    """Per wanted solver that can run here: korva's program, cbc's path or
    highs's (command, environment); the others get a note."""
    launchers = {}
    if "korva" in wanted:
        if os.path.exists(args.korva):
            launchers["korva"] = args.korva
        else:
            notes.append(f"korva skipped: {args.korva} not found; build the project first.")
    if "cbc" in wanted:
        if shutil.which("cbc"):
            launchers["cbc"] = shutil.which("cbc")
        else:
            notes.append("cbc skipped: not installed (apt-get install coinor-cbc).")
    if "highs" in wanted:
        launchers["highs"] = highs_launcher(args.highs, tmp, notes)
    return launchers


def unpack_model(name, work):
    """The model decompressed into work (not every solver reads .gz); returns its path."""
    mps = os.path.join(work, name + ".mps")
    with gzip.open(os.path.join(DATA, name + ".mps.gz"), "rb") as src, open(mps, "wb") as dst:
        shutil.copyfileobj(src, dst)
    return mps


def kill_after(time_limit):
    """Seconds a solver may run: some slack past its own limit to stop and
    report before it is killed."""
    return time_limit + max(10.0, 0.1 * time_limit)


def outcome(solver, parse, code, out, err, mps, name):
    """The parsed result of one run, (status class, solver's status text,
    objective, bound, nodes, iterations, solver's own time, detail), with
    kills and failed exits folded into the status class."""
    cls, text, obj, bound, nodes, its, own = parse(out)
    detail = ""
    if code is None:
        cls, detail = "killed", "killed after the time limit"
    # highs exits with 1 when it stops at a limit ("warning"), so a
    # peer's exit code only matters when it printed no result;
    # korva's must be 0.
    elif code != 0 and (solver == "korva" or cls == "error"):
        cls = "error"
        first = err.strip().replace(mps, name + ".mps").splitlines()
        detail = f"exit {code}" + (f": {first[0][:100]}" if first else "")
    elif cls == "error":
        detail = "no result in the output"
    return cls, text, obj, bound, nodes, its, own, detail
