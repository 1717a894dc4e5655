"""PuLP solver classes: ``KORVA`` solves through the library in the same
process (no files), ``KORVA_CMD`` through the ``korva`` program with an MPS
file and a solution file, in PuLP's command-line style.

    import pulp
    from korva.pulp_solvers import KORVA
    prob.solve(KORVA(msg=False, timeLimit=60))
"""
import os
import shutil
import subprocess
import sys

import numpy as np
import pulp
from pulp import constants as const

from .env import Env
from .status import Status

_PULP_OPTIONS = {"gapRel": "EPGAP", "gapAbs": "EPAGAP", "threads": "THREADS",
                 "maxNodes": "NODELIM"}
_OPTIMAL = {Status.OPTIMAL, Status.MIP_OPTIMAL, Status.MIP_OPTIMAL_TOL}
_INFEASIBLE = {Status.INFEASIBLE, Status.MIP_INFEASIBLE}
_UNBOUNDED = {Status.UNBOUNDED, Status.MIP_UNBOUNDED}
_AMBIGUOUS = {Status.INF_OR_UNBD, Status.MIP_INF_OR_UNBD}


def pulp_status(status, has_solution):
    """(PuLP status, PuLP solution status) of a library status."""
    if status in _OPTIMAL:
        return const.LpStatusOptimal, const.LpSolutionOptimal
    if status in _INFEASIBLE:
        return const.LpStatusInfeasible, const.LpSolutionInfeasible
    if status in _UNBOUNDED:
        return const.LpStatusUnbounded, const.LpSolutionUnbounded
    if status in _AMBIGUOUS:
        return const.LpStatusUndefined, const.LpSolutionNoSolutionFound
    if has_solution:
        # A limit reached with a solution in hand, as PuLP's own CBC
        # interface reports it.
        return const.LpStatusOptimal, const.LpSolutionIntegerFeasible
    return const.LpStatusNotSolved, const.LpSolutionNoSolutionFound


def _parameter_settings(solver):
    """(name, value) pairs from PuLP's generic options and the solver's list."""
    settings = []
    if solver.timeLimit is not None:
        settings.append(("TILIM", float(solver.timeLimit)))
    for key, name in _PULP_OPTIONS.items():
        value = solver.optionsDict.get(key)
        if value is not None:
            settings.append((name, value))
    for option in solver.options:
        name, value = option.split("=", 1) if isinstance(option, str) else option
        settings.append((name, value))
    return settings


class KORVA(pulp.LpSolver):
    """Solves a PuLP problem with libkorva directly: the model goes over as
    arrays, the values, duals and slacks come back into PuLP's objects."""

    name = "KORVA"

    def available(self):
        try:
            from . import _lib  # noqa: F401 - loading the library is the test
            return True
        except OSError:
            return False

    def actualSolve(self, lp):
        with Env() as env:
            if self.msg:
                env.params.SCRIND = 1
            for name, value in _parameter_settings(self):
                env.params[name] = value
            with env.model(lp.name or "") as model:
                variables, constraints = self.build(lp, model)
                status = model.optimize()
                if status in _AMBIGUOUS:
                    env.params.PREIND = 0
                    status = model.optimize()
                self.solution_time = 0
                self._read_back(lp, model, status, variables, constraints)
        return lp.status

    def build(self, lp, model):
        """Copies the PuLP problem into the model; returns its variables and
        constraint names in the model's column and row order."""
        variables = lp.variables()
        position = {v.name: j for j, v in enumerate(variables)}
        n = len(variables)
        obj = np.zeros(n)
        for v, a in lp.objective.items():
            obj[position[v.name]] += a
        inf = float("inf")
        lb = np.array([-inf if v.lowBound is None else v.lowBound for v in variables], float)
        ub = np.array([inf if v.upBound is None else v.upBound for v in variables], float)
        ctype = None
        if self.mip and any(v.cat == const.LpInteger for v in variables):
            ctype = "".join("I" if v.cat == const.LpInteger else "C" for v in variables)
        model.add_variables(n, obj, lb, ub, ctype, [v.name for v in variables])
        names = list(lp.constraints)
        m = len(names)
        beg = np.zeros(m, np.int64)
        ind, val = [], []
        rhs = np.empty(m)
        sense = bytearray(m)
        letter = {const.LpConstraintLE: ord("L"), const.LpConstraintEQ: ord("E"),
                  const.LpConstraintGE: ord("G")}
        for i, name in enumerate(names):
            c = lp.constraints[name]
            beg[i] = len(ind)
            for v, a in c.items():
                ind.append(position[v.name])
                val.append(a)
            rhs[i] = -c.constant
            sense[i] = letter[c.sense]
        if m:
            model.add_rows_csr(beg, ind, val, rhs, bytes(sense), names)
        model.objsense = lp.sense
        return variables, names

    def _read_back(self, lp, model, status, variables, constraints):
        has_solution = model.has_solution
        lp.assignStatus(*pulp_status(status, has_solution))
        if not has_solution:
            return
        x = model.x
        lp.assignVarsVals({v.name: float(x[j]) for j, v in enumerate(variables)})
        if model.is_mip:
            return
        dj, pi, slack = model.dj, model.pi, model.slack
        lp.assignVarsDj({v.name: float(dj[j]) for j, v in enumerate(variables)})
        lp.assignConsPi({name: float(pi[i]) for i, name in enumerate(constraints)})
        lp.assignConsSlack({name: float(slack[i]) for i, name in enumerate(constraints)})


class KORVA_CMD(pulp.LpSolver_CMD):
    """Solves a PuLP problem by running the ``korva`` program on an MPS file.
    The program is taken from ``path``, the KORVA_PROGRAM environment
    variable or the search path."""

    name = "KORVA_CMD"

    def defaultPath(self):
        return os.environ.get("KORVA_PROGRAM") or shutil.which("korva") or "korva"

    def available(self):
        return self.executable(self.path)

    def actualSolve(self, lp):
        if not self.executable(self.path):
            raise pulp.PulpSolverError("KORVA_CMD: cannot execute " + str(self.path))
        # The program's plain solution form (a .sol name would get the XML one).
        tmp_mps, tmp_sol = self.create_tmp_files(lp.name, "mps", "txt")
        # The file holds the minimisation; generic names keep any PuLP name
        # valid in the MPS format.
        written = lp.writeMPS(tmp_mps, mpsSense=const.LpMinimize, rename=1, mip=self.mip)
        variables, column_names = written[0], written[1]
        constraint_names = list(lp.constraints)
        self._mark_unbounded_integers(tmp_mps, variables, column_names)
        cmd = [self.path, tmp_mps, "--solution", tmp_sol]
        if not self.msg:
            cmd.append("--quiet")
        for name, value in _parameter_settings(self):
            full = name if name.startswith("KRV_PARAM_") else "KRV_PARAM_" + name
            cmd += ["--param", "%s=%s" % (full, value)]
        status, x, pi = self._run(cmd, tmp_mps, tmp_sol)
        if status in _AMBIGUOUS:
            # Presolve cannot tell infeasible from unbounded; the simplex can.
            status, x, pi = self._run(cmd + ["--param", "KRV_PARAM_PREIND=0"], tmp_mps,
                                      tmp_sol)
        self.delete_tmp_files(tmp_mps, tmp_sol)
        has_solution = bool(x) and status not in _INFEASIBLE | _UNBOUNDED | _AMBIGUOUS
        lp.assignStatus(*pulp_status(status, has_solution))
        if has_solution:
            lp.assignVarsVals({v.name: x.get(j, 0.0) for j, v in enumerate(variables)})
            if pi:
                sign = 1.0 if lp.sense == const.LpMinimize else -1.0
                lp.assignConsPi({name: sign * pi.get(i, 0.0)
                                 for i, name in enumerate(constraint_names)})
        return lp.status

    def _run(self, cmd, tmp_mps, tmp_sol):
        out = None if self.msg else subprocess.DEVNULL
        code = subprocess.call(cmd, stdout=out, stderr=out if out else sys.stderr)
        if code != 0 or not os.path.exists(tmp_sol):
            self.delete_tmp_files(tmp_mps, tmp_sol)
            raise pulp.PulpSolverError("KORVA_CMD: the korva program failed (exit %d)" % code)
        return self.read_solution(tmp_sol)

    def _mark_unbounded_integers(self, path, variables, column_names):
        """MPS readers take an integer column without an upper bound as
        binary; PuLP writes none for an unbounded integer, so say PL."""
        if not self.mip:
            return
        lines = [" PL BND       %s\n" % column_names[v.name] for v in variables
                 if v.cat == const.LpInteger and v.upBound is None]
        if not lines:
            return
        with open(path) as f:
            text = f.read()
        head, sep, tail = text.rpartition("ENDATA")
        with open(path, "w") as f:
            f.write(head + "".join(lines) + sep + tail)

    @staticmethod
    def read_solution(path):
        """Status, {column: value} and {row: dual} of the program's solution file."""
        status, x, pi = Status.UNKNOWN, {}, {}
        with open(path) as f:
            for line in f:
                parts = line.split()
                if not parts:
                    continue
                if parts[0] == "status":
                    status = Status(int(parts[1]))
                elif parts[0] == "x":
                    x[int(parts[1])] = float(parts[2])
                elif parts[0] == "pi":
                    pi[int(parts[1])] = float(parts[2])
        return status, x, pi
