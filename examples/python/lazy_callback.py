#!/usr/bin/python3
"""MIP callbacks from Python: a progress line from the informational callback
and a constraint added lazily only when a candidate violates it."""
import numpy as np

import korva

values = np.array([9.0, 8.0, 7.0, 6.0, 5.0, 4.0])
weights = np.array([[4.0, 4.0, 3.0, 3.0, 2.0, 2.0]])


def progress(ctx):
    if ctx.where == 101:                       # the search (1..10: inside node LPs)
        print("nodes %d  bound %.2f" % (ctx.node_count, ctx.best_bound))
    return False                               # True would stop the search


def at_most_one_of_first_two(ctx):
    x = ctx.node_x()
    if x[0] + x[1] > 1.5:
        ctx.add_lazy([0, 1], [1.0, 1.0], "L", 1.0)


with korva.Env() as env, env.model("knapsack") as m:
    m.load(values, weights, [10.0], "L", ub=np.ones(6), ctype="B" * 6,
           objsense=korva.MAXIMIZE)
    status = m.optimize(info=progress, lazy=at_most_one_of_first_two)
    print(status.text, m.objval, np.round(m.x))
