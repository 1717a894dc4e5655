"""linprog and milp: SciPy's signatures, checked against SciPy's own answers
and the reference optima of the shared collections."""
import numpy as np
import pytest
from scipy import optimize, sparse

import korva
from korva.status import Status

from conftest import as_linprog, data_file, model_arrays, reference_optima

NETLIB = ["afiro", "sc50a", "sc50b", "kb2", "adlittle", "blend", "share2b", "recipe"]
MIPLIB = ["flugpl", "p0033", "egout", "gt2", "stein27"]


def random_lp(rng, m, n):
    A = rng.uniform(-1, 1, size=(m, n)) * (rng.random((m, n)) < 0.6)
    x0 = rng.uniform(0, 2, n)                  # a feasible point keeps the LP feasible
    b = A @ x0 + rng.uniform(0, 1, m)
    c = rng.uniform(-1, 1, n)
    return c, A, b


@pytest.mark.parametrize("seed", range(12))
def test_linprog_matches_scipy_on_random_problems(seed):
    rng = np.random.default_rng(seed)
    m, n = 8 + seed, 10 + 2 * seed
    c, A, b = random_lp(rng, m, n)
    A_eq, b_eq = A[:2], A[:2] @ rng.uniform(0, 2, n)
    bounds = [(0, 3 if k % 3 == 0 else None) for k in range(n)]
    ours = korva.linprog(c, A_ub=A, b_ub=b, A_eq=A_eq, b_eq=b_eq, bounds=bounds)
    theirs = optimize.linprog(c, A_ub=A, b_ub=b, A_eq=A_eq, b_eq=b_eq, bounds=bounds)
    assert ours.status == theirs.status
    if theirs.status == 0:
        assert ours.success
        assert ours.fun == pytest.approx(theirs.fun, abs=1e-7, rel=1e-7)
        np.testing.assert_allclose(ours.slack, b - A @ ours.x, atol=1e-9)
        assert np.all(ours.slack >= -1e-6) and np.allclose(ours.con, 0, atol=1e-6)
        np.testing.assert_allclose(ours.ineqlin.marginals, theirs.ineqlin.marginals,
                                   atol=1e-6)


@pytest.mark.parametrize("seed", range(8))
def test_milp_matches_scipy_on_random_problems(seed):
    rng = np.random.default_rng(100 + seed)
    m, n = 6 + seed, 8 + seed
    c, A, b = random_lp(rng, m, n)
    integrality = (np.arange(n) % 2 == 0).astype(int)
    cons = optimize.LinearConstraint(A, -np.inf, b)
    bounds = optimize.Bounds(np.zeros(n), np.full(n, 4.0))
    ours = korva.milp(c, integrality=integrality, bounds=bounds, constraints=cons)
    theirs = optimize.milp(c, integrality=integrality, bounds=bounds, constraints=cons)
    assert ours.status == theirs.status
    if theirs.status == 0:
        assert ours.fun == pytest.approx(theirs.fun, abs=1e-7, rel=1e-7)
        xi = ours.x[integrality == 1]
        np.testing.assert_allclose(xi, np.round(xi), atol=1e-9)
        assert np.all(A @ ours.x <= b + 1e-6)


def test_infeasible_and_unbounded_are_told_apart():
    infeasible = korva.linprog([1, 1], A_ub=[[1, 1]], b_ub=[-1])
    assert (infeasible.status, infeasible.success, infeasible.x) == (2, False, None)
    unbounded = korva.linprog([-1, 0], A_ub=[[0, 1]], b_ub=[1])
    assert unbounded.status == 3
    mip = korva.milp([1], integrality=[1], bounds=(0.2, 0.8))
    assert mip.status == 2


def test_milp_takes_tuples_and_ranged_rows():
    res = korva.milp([-1, -1], integrality=[1, 1],
                     constraints=[(np.array([[1, 2]]), 1, 5), ([[3, 1]], [-np.inf], [6])],
                     bounds=(0, 10))
    assert res.success and res.fun == pytest.approx(-3)
    lp = korva.linprog([1, 1], A_eq=sparse.csr_matrix([[1, 1]]), b_eq=[2], method="dual")
    assert lp.fun == pytest.approx(2)


def test_options_reach_the_parameters_and_are_put_back():
    from korva import scipy_api
    rng = np.random.default_rng(5)
    c, A, b = random_lp(rng, 10, 14)
    res = korva.milp(c, integrality=1, bounds=(0, 4),
                     constraints=optimize.LinearConstraint(A, -np.inf, b),
                     options={"node_limit": 0, "presolve": False})
    assert res.status in (0, 1)
    env = scipy_api._env()
    assert env.params.NODELIM != 0 and env.params.PREIND == 1
    with pytest.warns(RuntimeWarning):
        korva.linprog([1], bounds=[(0, 1)], options={"no_such_option": 1})


@pytest.mark.parametrize("name", NETLIB)
def test_linprog_reaches_the_netlib_optima(env, name):
    with env.read(str(data_file("netlib/%s.mps.gz" % name))) as m:
        c, A_ub, b_ub, A_eq, b_eq, bounds = as_linprog(m)
        sign = m.objsense
    res = korva.linprog(c, A_ub=A_ub, b_ub=b_ub, A_eq=A_eq, b_eq=b_eq, bounds=bounds)
    assert res.success, res.message
    expected = reference_optima("netlib")[name]
    assert sign * res.fun == pytest.approx(expected, rel=1e-6, abs=1e-9)


@pytest.mark.parametrize("name", MIPLIB)
def test_milp_reaches_the_miplib_optima(env, name):
    with env.read(str(data_file("miplib3/%s.mps.gz" % name))) as m:
        c, A, rhs, sense, rng, lb, ub, ctype, objsense = model_arrays(m)
    s = np.frombuffer(sense.encode(), dtype="S1")
    lo = np.where((s == b"L"), -np.inf, rhs)
    hi = np.where((s == b"G"), np.inf, np.where(s == b"R", rhs + rng, rhs))
    integrality = np.array([0 if t == "C" else 1 for t in ctype])
    lb = np.where(lb <= -1e20, -np.inf, lb)
    ub = np.where(ub >= 1e20, np.inf, ub)
    res = korva.milp(objsense * c, integrality=integrality, bounds=optimize.Bounds(lb, ub),
                     constraints=optimize.LinearConstraint(A, lo, hi))
    assert res.status == 0, res.message
    expected = reference_optima("miplib3")[name]
    assert objsense * res.fun == pytest.approx(expected, rel=1e-6)
    assert res.mip_gap is not None and res.mip_gap <= 1e-4


def test_result_messages_carry_the_status_text():
    res = korva.linprog([1], bounds=[(0, 1)])
    assert Status.OPTIMAL.text in res.message and res.nit >= 0
