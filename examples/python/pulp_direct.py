#!/usr/bin/python3
"""A PuLP model solved through the library in the same process (KORVA) and
through the korva program (KORVA_CMD, which finds the program on the search
path or through KORVA_PROGRAM)."""
import pulp

from korva.pulp_solvers import KORVA, KORVA_CMD

prob = pulp.LpProblem("bakery", pulp.LpMaximize)
bread = pulp.LpVariable("bread", 0, None, pulp.LpInteger)
cake = pulp.LpVariable("cake", 0, 20, pulp.LpInteger)
prob += 2 * bread + 5 * cake
prob += 0.5 * bread + 2 * cake <= 40, "oven_hours"
prob += bread + cake <= 50, "flour"
for solver in (KORVA(msg=False), KORVA_CMD(msg=False)):
    if not solver.available():
        print(solver.name, "is not available here")
        continue
    prob.solve(solver)
    print(solver.name, pulp.LpStatus[prob.status], pulp.value(prob.objective),
          bread.value(), cake.value())
