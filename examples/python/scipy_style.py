#!/usr/bin/python3
"""The same calls as scipy.optimize.linprog and milp: only the import changes."""
import numpy as np
from scipy.optimize import Bounds, LinearConstraint

from korva import linprog, milp   # instead of: from scipy.optimize import linprog, milp

c = [-1.0, 4.0]
A_ub = [[-3.0, 1.0], [1.0, 2.0]]
b_ub = [6.0, 4.0]
res = linprog(c, A_ub=A_ub, b_ub=b_ub, bounds=[(None, None), (-3, None)])
print("linprog:", res.status, res.fun, res.x, res.ineqlin.marginals)

values = np.array([10.0, 13.0, 7.0, 8.0])
weights = np.array([[5.0, 7.0, 3.0, 4.0]])
res = milp(-values, integrality=np.ones(4), bounds=Bounds(0, 1),
           constraints=LinearConstraint(weights, -np.inf, 12))
print("milp   :", res.status, -res.fun, res.x, res.mip_node_count)
