"""MIP callbacks written in Python: informational, lazy constraint, incumbent."""
import numpy as np
import pytest

import korva

WEIGHTS = np.array([12, 7, 11, 8, 9, 6, 14, 5, 10, 13, 4, 15, 7, 9, 11, 8, 6, 12, 10, 5],
                   dtype=float)
VALUES = np.array([24, 13, 23, 15, 16, 11, 29, 9, 19, 25, 7, 31, 12, 17, 22, 14, 10, 23, 18, 8],
                  dtype=float)


def knapsack(env):
    m = env.model("knapsack")
    n = WEIGHTS.size
    m.load(VALUES, WEIGHTS.reshape(1, -1), [61.0], "L", ub=np.ones(n), ctype="B" * n,
           objsense=korva.MAXIMIZE)
    return m


def test_info_callback_sees_the_search_and_can_stop_it(env):
    calls = []

    def watch(ctx):
        # The node LPs report too (where-values 1 to 10); the search's
        # progress comes with 101.
        if ctx.where == 101:
            calls.append((ctx.where, ctx.node_count, ctx.best_bound))
        return False

    with knapsack(env) as m:
        assert m.optimize(info=watch) == korva.Status.MIP_OPTIMAL
        best = m.objval
    assert calls and all(where == 101 for where, _, _ in calls)
    assert all(bound >= best - 1e-6 for _, _, bound in calls)

    with knapsack(env) as m:
        status = m.optimize(info=lambda ctx: True)
        assert status in (korva.Status.MIP_ABORT_FEAS, korva.Status.MIP_ABORT_INFEAS)


def test_lazy_constraints_cut_off_candidates(env):
    with knapsack(env) as m:
        m.optimize()
        free_optimum, packed = m.objval, np.flatnonzero(m.x > 0.5)[:4]
    # Lazily: no two of four items that the free optimum packs together.
    pairs = [(i, j) for i in packed for j in packed if i < j]
    added = []

    def separate(ctx):
        x = ctx.node_x()
        assert x.shape == (WEIGHTS.size,)
        for i, j in pairs:
            if x[i] + x[j] > 1 + 1e-6:
                ctx.add_lazy([i, j], [1.0, 1.0], "L", 1.0)
                added.append((i, j))

    with knapsack(env) as m:
        assert m.optimize(lazy=separate) == korva.Status.MIP_OPTIMAL
        x = np.round(m.x)
        assert added
        assert all(x[i] + x[j] <= 1 for i, j in pairs)
        assert WEIGHTS @ x <= 61 + 1e-9
        assert m.objval <= free_optimum + 1e-9
        # The callbacks are gone after the call: the free optimum comes back.
        m.optimize()
        assert m.objval == pytest.approx(free_optimum)


def test_incumbent_callback_receives_candidates_and_can_reject_them(env):
    seen = []

    def record(ctx, objval, x):
        seen.append((objval, x))
        return not x[0] > 0.5            # refuse every solution that packs item 0

    with knapsack(env) as m:
        m.optimize(incumbent=record)
        assert seen
        for objval, x in seen:
            assert objval == pytest.approx(VALUES @ x)
        if m.has_solution:
            assert m.x[0] < 0.5


@pytest.mark.parametrize("slot", ["info", "lazy", "incumbent"])
def test_an_exception_in_a_callback_stops_the_search_and_is_raised(env, slot):
    def fail(*args):
        raise ZeroDivisionError("from the callback")

    with knapsack(env) as m:
        with pytest.raises(ZeroDivisionError, match="from the callback"):
            m.optimize(**{slot: fail})
        if slot != "incumbent":
            assert m.status in (korva.Status.MIP_ABORT_FEAS, korva.Status.MIP_ABORT_INFEAS)
        # The environment is fine afterwards, without the callback.
        assert m.optimize() == korva.Status.MIP_OPTIMAL
        assert env.params.MIPCBREDLP == 1
