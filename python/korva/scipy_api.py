"""``linprog`` and ``milp`` with SciPy's signatures and result fields, so that
code written for scipy.optimize switches by changing the import."""
import contextlib
import threading
import warnings

import numpy as np

from . import _arrays as arr
from .env import Env
from .status import Status

# One environment per thread serves every call; options are set for a call
# and put back afterwards.
_local = threading.local()

_OPTION_PARAMS = {
    "time_limit": "TILIM",
    "maxiter": "ITLIM",
    "primal_feasibility_tolerance": "EPRHS",
    "dual_feasibility_tolerance": "EPOPT",
    "mip_rel_gap": "EPGAP",
    "node_limit": "NODELIM",
}
_IGNORED_OPTIONS = {"tol", "autoscale", "rr", "rr_method", "sparse", "lstsq", "sym_pos",
                    "cholesky", "pc", "ip", "permc_spec", "ipm_optimality_tolerance",
                    "simplex_dual_edge_weight_strategy", "bland"}

_SUCCESS = {Status.OPTIMAL, Status.MIP_OPTIMAL, Status.MIP_OPTIMAL_TOL}
_LIMIT = {Status.ABORT_IT_LIM, Status.ABORT_TIME_LIM, Status.ABORT_DETTIME_LIM,
          Status.MIP_SOL_LIM, Status.MIP_NODE_LIM_FEAS, Status.MIP_NODE_LIM_INFEAS,
          Status.MIP_TIME_LIM_FEAS, Status.MIP_TIME_LIM_INFEAS, Status.MIP_DETTIME_LIM_FEAS,
          Status.MIP_DETTIME_LIM_INFEAS, Status.MIP_ABORT_IT_LIM_FEAS,
          Status.MIP_ABORT_IT_LIM_INFEAS}
_INFEASIBLE = {Status.INFEASIBLE, Status.MIP_INFEASIBLE}
_UNBOUNDED = {Status.UNBOUNDED, Status.MIP_UNBOUNDED}
_AMBIGUOUS = {Status.INF_OR_UNBD, Status.MIP_INF_OR_UNBD}
_MESSAGES = {
    0: "Optimization terminated successfully. (%s)",
    1: "Iteration or time limit reached. (%s)",
    2: "The problem is infeasible. (%s)",
    3: "The problem is unbounded. (%s)",
    4: "The solver stopped without an optimal solution. (%s)",
}


def _result(**fields):
    try:
        from scipy.optimize import OptimizeResult
    except ImportError:
        OptimizeResult = _Result
    return OptimizeResult(**fields)


class _Result(dict):
    """A stand-in for scipy.optimize.OptimizeResult when SciPy is absent."""

    def __getattr__(self, name):
        try:
            return self[name]
        except KeyError:
            raise AttributeError(name) from None

    __setattr__ = dict.__setitem__


def _env():
    env = getattr(_local, "env", None)
    if env is None or env.closed:
        env = _local.env = Env()
    return env


@contextlib.contextmanager
def _options(env, options):
    saved = {}
    try:
        for key, value in (options or {}).items():
            if key == "disp":
                name, value = "SCRIND", int(bool(value))
            elif key == "presolve":
                name, value = "PREIND", int(bool(value))
            elif key in _OPTION_PARAMS:
                name = _OPTION_PARAMS[key]
            else:
                if key not in _IGNORED_OPTIONS:
                    warnings.warn("Unrecognized options detected: %r" % key, RuntimeWarning,
                                  stacklevel=4)
                continue
            if name not in saved:
                saved[name] = env.params[name]
            env.params[name] = value
        yield
    finally:
        for name, value in saved.items():
            env.params[name] = value


def _scipy_status(status):
    if status in _SUCCESS:
        return 0
    if status in _LIMIT:
        return 1
    if status in _INFEASIBLE:
        return 2
    if status in _UNBOUNDED:
        return 3
    return 4


def _solve(env, model, options):
    """Optimises; an infeasible-or-unbounded verdict of presolve is settled
    by solving again without it, as SciPy reports the two apart."""
    with _options(env, options):
        status = model.optimize()
        if status in _AMBIGUOUS:
            saved = env.params.PREIND
            env.params.PREIND = 0
            try:
                status = model.optimize()
            finally:
                env.params.PREIND = saved
    return status


def _linprog_bounds(bounds, n):
    if bounds is None:
        return np.zeros(n), np.full(n, np.inf)
    if hasattr(bounds, "lb") and hasattr(bounds, "ub"):
        return (np.broadcast_to(np.asarray(bounds.lb, float), (n,)),
                np.broadcast_to(np.asarray(bounds.ub, float), (n,)))
    b = np.array(bounds, dtype=object)
    if b.ndim == 1 and b.size == 2:
        b = np.tile(b, (n, 1))
    if b.shape != (n, 2):
        raise ValueError("Invalid input for linprog: unable to interpret bounds with this "
                         "dimension tuple: %s." % (b.shape,))
    lb = np.array([-np.inf if v is None else float(v) for v in b[:, 0]])
    ub = np.array([np.inf if v is None else float(v) for v in b[:, 1]])
    return lb, ub


def _stack(blocks, n):
    """Stacks the given matrices vertically, sparse when any of them is."""
    blocks = [b for b in blocks if b is not None and arr.shape_of(b)[0] > 0]
    if not blocks:
        return None
    if any(arr.is_sparse(b) for b in blocks):
        from scipy import sparse
        return sparse.vstack([sparse.csc_matrix(b) for b in blocks], format="csc")
    return np.vstack([np.asarray(b, dtype=np.float64).reshape(-1, n) for b in blocks])


def _rows(A, n):
    if A is None:
        return None, 0
    if not arr.is_sparse(A):
        A = np.asarray(A, dtype=np.float64)
        A = A.reshape(-1, n) if A.size else np.zeros((0, n))
    return A, A.shape[0]


def _product(A, x):
    return np.asarray(A @ x).ravel()


def linprog(c, A_ub=None, b_ub=None, A_eq=None, b_eq=None, bounds=(0, None), method="auto",
            callback=None, options=None, x0=None, integrality=None):
    """Minimises c @ x subject to A_ub @ x <= b_ub, A_eq @ x == b_eq and the
    bounds, as scipy.optimize.linprog does. The method names of SciPy are
    accepted; "primal" and "dual" choose a simplex, anything else lets the
    library choose. callback and x0 are accepted and not used."""
    c = np.asarray(c, dtype=np.float64).ravel()
    n = c.size
    A_ub, m_ub = _rows(A_ub, n)
    A_eq, m_eq = _rows(A_eq, n)
    b_ub = np.zeros(0) if b_ub is None else np.asarray(b_ub, dtype=np.float64).ravel()
    b_eq = np.zeros(0) if b_eq is None else np.asarray(b_eq, dtype=np.float64).ravel()
    if b_ub.size != m_ub or b_eq.size != m_eq:
        raise ValueError("Invalid input for linprog: b_ub and b_eq must match the rows of "
                         "A_ub and A_eq")
    lb, ub = _linprog_bounds(bounds, n)
    ctype = None
    if integrality is not None and np.any(np.asarray(integrality) != 0):
        ctype = "".join("CISN"[int(k)] for k in np.broadcast_to(integrality, (n,)))
    env = _env()
    with env.model() as model:
        model.load(c, _stack([A_ub, A_eq], n), np.concatenate([b_ub, b_eq]),
                   b"L" * m_ub + b"E" * m_eq, lb, ub, ctype=ctype)
        lp_method = method if method in ("primal", "dual") else None
        with _options(env, options):
            status = model.optimize(lp_method) if ctype is None else model.optimize()
            if status in _AMBIGUOUS:
                saved = env.params.PREIND
                env.params.PREIND = 0
                try:
                    status = model.optimize(lp_method) if ctype is None else model.optimize()
                finally:
                    env.params.PREIND = saved
        code = _scipy_status(status)
        res = _result(status=code, success=code == 0, message=_MESSAGES[code] % status.text,
                      nit=model.iterations, x=None, fun=None, slack=None, con=None)
        if code in (0, 1) and model.has_solution:
            x = model.x
            res.x, res.fun = x, float(c @ x)
            res.slack = b_ub - _product(A_ub, x) if m_ub else np.zeros(0)
            res.con = b_eq - _product(A_eq, x) if m_eq else np.zeros(0)
            if ctype is None:
                pi, dj = model.pi, model.dj
                res.ineqlin = _result(residual=res.slack, marginals=pi[:m_ub])
                res.eqlin = _result(residual=res.con, marginals=pi[m_ub:])
                res.lower = _result(residual=x - lb, marginals=np.where(dj > 0, dj, 0.0))
                res.upper = _result(residual=ub - x, marginals=np.where(dj < 0, dj, 0.0))
            else:
                res.mip_node_count = model.node_count
                res.mip_dual_bound = model.best_bound
                res.mip_gap = model.mip_gap
    return res


def _milp_bounds(bounds, n):
    if bounds is None:
        return np.zeros(n), np.full(n, np.inf)
    if hasattr(bounds, "lb"):
        lo, hi = bounds.lb, bounds.ub
    else:
        lo, hi = bounds
    return (np.broadcast_to(np.asarray(lo, dtype=np.float64), (n,)).copy(),
            np.broadcast_to(np.asarray(hi, dtype=np.float64), (n,)).copy())


def _constraint_list(constraints):
    if constraints is None:
        return []
    if hasattr(constraints, "A"):
        return [(constraints.A, constraints.lb, constraints.ub)]
    if (isinstance(constraints, tuple) and len(constraints) == 3
            and not any(hasattr(part, "A") for part in constraints)
            and (arr.is_sparse(constraints[0]) or np.ndim(constraints[0]) == 2)):
        return [constraints]
    out = []
    for con in constraints:
        out.extend(_constraint_list(con))
    return out


def _ranged_rows(A, lo, hi, n):
    """rhs, sense and range of lo <= A x <= hi, one row per row of A."""
    A, m = _rows(A, n)
    lo = np.broadcast_to(np.asarray(lo, dtype=np.float64), (m,))
    hi = np.broadcast_to(np.asarray(hi, dtype=np.float64), (m,))
    rhs = np.empty(m)
    rng = np.zeros(m)
    sense = np.empty(m, dtype="S1")
    lo_fin, hi_fin = np.isfinite(lo), np.isfinite(hi)
    equal = lo == hi
    ranged = lo_fin & hi_fin & ~equal
    only_hi = ~lo_fin & hi_fin
    only_lo = lo_fin & ~hi_fin
    free = ~lo_fin & ~hi_fin
    sense[equal] = b"E"
    rhs[equal] = lo[equal]
    sense[ranged] = b"R"
    rhs[ranged] = lo[ranged]
    rng[ranged] = hi[ranged] - lo[ranged]
    sense[only_hi] = b"L"
    rhs[only_hi] = hi[only_hi]
    sense[only_lo] = b"G"
    rhs[only_lo] = lo[only_lo]
    sense[free] = b"L"
    rhs[free] = arr.INF
    return A, rhs, sense.tobytes(), rng


def milp(c, *, integrality=None, bounds=None, constraints=None, options=None):
    """Minimises c @ x subject to linear constraints lb <= A @ x <= ub, the
    bounds and integrality (0 continuous, 1 integer, 2 semi-continuous,
    3 semi-integer), as scipy.optimize.milp does."""
    c = np.asarray(c, dtype=np.float64).ravel()
    n = c.size
    lb, ub = _milp_bounds(bounds, n)
    parts = [_ranged_rows(A, lo, hi, n) for A, lo, hi in _constraint_list(constraints)]
    A = _stack([p[0] for p in parts], n)
    rhs = np.concatenate([p[1] for p in parts]) if parts else np.zeros(0)
    sense = b"".join(p[2] for p in parts)
    rng = np.concatenate([p[3] for p in parts]) if parts else np.zeros(0)
    kinds = np.zeros(n, dtype=int) if integrality is None else np.broadcast_to(
        np.asarray(integrality, dtype=int), (n,))
    ctype = "".join("CISN"[k] for k in kinds) if np.any(kinds != 0) else None
    env = _env()
    with env.model() as model:
        model.load(c, A, rhs, sense, lb, ub, rngval=rng if b"R" in sense else None,
                   ctype=ctype)
        status = _solve(env, model, options)
        code = _scipy_status(status)
        res = _result(status=code, success=code == 0, message=_MESSAGES[code] % status.text,
                      x=None, fun=None, mip_node_count=0, mip_dual_bound=None, mip_gap=None)
        if code in (0, 1) and model.has_solution:
            res.x = model.x
            res.fun = model.objval
        if ctype is not None:
            res.mip_node_count = model.node_count
            if code in (0, 1):
                res.mip_dual_bound = model.best_bound
                res.mip_gap = model.mip_gap if res.x is not None else None
        elif res.x is not None:
            res.mip_dual_bound, res.mip_gap = res.fun, 0.0
    return res
