#!/usr/bin/python3
"""Builds a small production-planning LP from NumPy arrays, solves it and
prints the plan, the duals and the library's status text.
Run with KORVA_LIBRARY=build/libkorva.so PYTHONPATH=python from the source tree."""
import numpy as np

import korva

profit = np.array([3.0, 5.0, 4.0])            # per unit of each product
usage = np.array([[2.0, 3.0, 1.0],            # machine hours
                  [1.0, 2.0, 3.0]])           # labour hours
available = np.array([40.0, 30.0])

with korva.Env() as env, env.model("plan") as model:
    env.params.EPRHS = 1e-7                   # parameters by name, checked by the library
    model.load(profit, usage, available, "LL", objsense=korva.MAXIMIZE)
    status = model.optimize()
    print("status   :", status.text)
    print("profit   :", model.objval)
    print("plan     :", model.x)
    print("duals    :", model.pi)
    print("slacks   :", model.slack)
