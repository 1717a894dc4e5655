"""The PuLP solvers: in-process through the library, and through the korva program."""
import os

import numpy as np
import pulp
import pytest

from korva.pulp_solvers import KORVA, KORVA_CMD

from conftest import data_file, model_arrays, reference_optima


def pulp_problem(env, relative):
    """A PuLP problem holding a model of the shared collections."""
    with env.read(str(data_file(relative))) as m:
        c, A, rhs, sense, rng, lb, ub, ctype, objsense = model_arrays(m)
    A = A.tocsr()
    prob = pulp.LpProblem("m", pulp.LpMinimize if objsense == 1 else pulp.LpMaximize)
    xs = [pulp.LpVariable("x%d" % j, None if lb[j] <= -1e20 else lb[j],
                          None if ub[j] >= 1e20 else ub[j],
                          pulp.LpInteger if ctype[j] != "C" else pulp.LpContinuous)
          for j in range(len(c))]
    prob += pulp.LpAffineExpression([(xs[j], c[j]) for j in np.flatnonzero(c)])
    for i in range(A.shape[0]):
        lo, hi = A.indptr[i], A.indptr[i + 1]
        expr = pulp.LpAffineExpression([(xs[j], v) for j, v in zip(A.indices[lo:hi],
                                                                     A.data[lo:hi])])
        if sense[i] == "L":
            prob += expr <= rhs[i], "r%d" % i
        elif sense[i] == "G":
            prob += expr >= rhs[i], "r%d" % i
        elif sense[i] == "E":
            prob += expr == rhs[i], "r%d" % i
        else:
            prob += expr >= min(rhs[i], rhs[i] + rng[i]), "r%d" % i
            prob += expr <= max(rhs[i], rhs[i] + rng[i]), "q%d" % i
    return prob


def small_mix():
    prob = pulp.LpProblem("mix", pulp.LpMaximize)
    x = pulp.LpVariable("x", 0, 3)
    y = pulp.LpVariable("y", 0, None, pulp.LpInteger)
    prob += x + 2 * y + 1
    prob += x + y <= 4.5, "cap"
    prob += x - y <= 1, "diff"
    return prob, x, y


@pytest.mark.parametrize("solver", [KORVA, KORVA_CMD])
def test_small_problems_return_values_duals_and_status(solver):
    prob, x, y = small_mix()
    assert prob.solve(solver(msg=False)) == pulp.LpStatusOptimal
    assert pulp.value(prob.objective) == pytest.approx(9.5)
    assert (x.value(), y.value()) == (pytest.approx(0.5), pytest.approx(4))
    lp = pulp.LpProblem("lp", pulp.LpMinimize)
    a, b = pulp.LpVariable("a", 0), pulp.LpVariable("b", 0)
    lp += 2 * a + 3 * b
    lp += a + b >= 2, "need"
    lp += a - b <= 1, "spread"
    assert lp.solve(solver(msg=False)) == pulp.LpStatusOptimal
    assert lp.constraints["need"].pi == pytest.approx(2.5)
    assert lp.constraints["spread"].pi == pytest.approx(-0.5)
    bad = pulp.LpProblem("bad", pulp.LpMinimize)
    z = pulp.LpVariable("z", 0, 1)
    bad += z
    bad += z >= 2, "impossible"
    assert bad.solve(solver(msg=False)) == pulp.LpStatusInfeasible
    unb = pulp.LpProblem("unb", pulp.LpMaximize)
    w = pulp.LpVariable("w", 0)
    unb += w
    unb += w >= 1, "low"
    assert unb.solve(solver(msg=False)) == pulp.LpStatusUnbounded


@pytest.mark.parametrize("name", ["afiro", "sc50a", "adlittle", "blend"])
def test_netlib_models_through_both_solvers(env, name):
    expected = reference_optima("netlib")[name]
    for solver in (KORVA(msg=False), KORVA_CMD(msg=False)):
        prob = pulp_problem(env, "netlib/%s.mps.gz" % name)
        assert prob.solve(solver) == pulp.LpStatusOptimal
        assert pulp.value(prob.objective) == pytest.approx(expected, rel=1e-6)


@pytest.mark.parametrize("name", ["p0033", "egout", "gt2"])
def test_small_mips_through_both_solvers(env, name):
    expected = reference_optima("miplib3")[name]
    for solver in (KORVA(msg=False), KORVA_CMD(msg=False)):
        prob = pulp_problem(env, "miplib3/%s.mps.gz" % name)
        assert prob.solve(solver) == pulp.LpStatusOptimal
        assert pulp.value(prob.objective) == pytest.approx(expected, rel=1e-6)


def test_a_collection_sized_mip_solves_without_temporary_files(env, tmp_path, monkeypatch):
    # air03: 10757 binary columns, 91028 nonzeros.
    prob = pulp_problem(env, "miplib3/air03.mps.gz")
    scratch = tmp_path / "scratch"
    scratch.mkdir()
    for var in ("TMPDIR", "TMP", "TEMP"):
        monkeypatch.setenv(var, str(scratch))
    monkeypatch.chdir(scratch)
    opened = []
    real_open = open

    def watching_open(file, *args, **kwargs):
        opened.append(file)
        return real_open(file, *args, **kwargs)

    monkeypatch.setattr("builtins.open", watching_open)
    assert prob.solve(KORVA(msg=False)) == pulp.LpStatusOptimal
    monkeypatch.undo()
    assert pulp.value(prob.objective) == pytest.approx(reference_optima("miplib3")["air03"])
    assert os.listdir(scratch) == [] and opened == []


def test_the_command_line_solver_needs_its_program():
    solver = KORVA_CMD(path="/nonexistent/korva", msg=False)
    assert not solver.available()
    prob, _, _ = small_mix()
    with pytest.raises(pulp.PulpSolverError):
        prob.solve(solver)
