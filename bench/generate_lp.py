#!/usr/bin/env python3
"""Writes large sparse LPs for the interior-point benchmarks, as free MPS.

  multicommodity  K commodities routed over a grid network whose arcs have a
                  shared capacity: rows are flow conservation per commodity
                  and node plus one capacity row per arc; 3·K·arcs nonzeros.
  transportation  S sources and T sinks, every pair an arc: S·T columns,
                  2·S·T nonzeros.

  bench/generate_lp.py multicommodity --size 40 --commodities 60 --seed 1 out.mps
  bench/generate_lp.py transportation --size 700 --seed 1 out.mps
"""
import argparse
import random


def grid_arcs(side):
    arcs = []
    for r in range(side):
        for c in range(side):
            v = r * side + c
            if c + 1 < side:
                arcs += [(v, v + 1), (v + 1, v)]
            if r + 1 < side:
                arcs += [(v, v + side), (v + side, v)]
    return arcs


def write_mps(path, name, rows, columns, rhs, bounds):
    """rows: [(name, sense)]; columns: [(name, cost, [(row, value)])];
    rhs: {row: value}; bounds: {column: upper}."""
    with open(path, "w") as f:
        f.write(f"NAME {name}\nROWS\n N obj\n")
        for r, s in rows:
            f.write(f" {s} {r}\n")
        f.write("COLUMNS\n")
        for c, cost, entries in columns:
            if cost:
                f.write(f" {c} obj {cost:.12g}\n")
            for r, v in entries:
                f.write(f" {c} {r} {v:.12g}\n")
        f.write("RHS\n")
        for r, v in rhs.items():
            if v:
                f.write(f" rhs {r} {v:.12g}\n")
        if bounds:
            f.write("BOUNDS\n")
            for c, u in bounds.items():
                f.write(f" UP bnd {c} {u:.12g}\n")
        f.write("ENDATA\n")


def multicommodity(side, commodities, rng):
    arcs = grid_arcs(side)
    nodes = side * side
    rows = [(f"n{k}_{v}", "E") for k in range(commodities) for v in range(nodes)]
    rows += [(f"cap{a}", "L") for a in range(len(arcs))]
    rhs = {}
    for k in range(commodities):
        s, t = rng.sample(range(nodes), 2)
        demand = rng.randint(5, 20)
        rhs[f"n{k}_{s}"] = -demand
        rhs[f"n{k}_{t}"] = demand
    capacity = max(10, commodities * 4)
    for a in range(len(arcs)):
        rhs[f"cap{a}"] = rng.randint(capacity // 2, capacity)
    columns = []
    cost = [rng.randint(1, 20) for _ in arcs]
    for k in range(commodities):
        for a, (u, v) in enumerate(arcs):
            columns.append((f"x{k}_{a}", cost[a], [(f"n{k}_{u}", -1), (f"n{k}_{v}", 1), (f"cap{a}", 1)]))
    # Unmet demand at a high price keeps every instance feasible.
    for k in range(commodities):
        for v in range(nodes):
            key = f"n{k}_{v}"
            if rhs.get(key, 0) > 0:
                columns.append((f"short{k}", 1000, [(key, 1)]))
    return rows, columns, rhs, {}


def transportation(size, rng):
    sources, sinks = size, 2 * size
    supply = [rng.randint(20, 60) for _ in range(sources)]
    demand_total = int(sum(supply) * 0.9)
    demand = [demand_total // sinks] * sinks
    rows = [(f"s{i}", "L") for i in range(sources)] + [(f"t{j}", "G") for j in range(sinks)]
    rhs = {f"s{i}": supply[i] for i in range(sources)}
    rhs.update({f"t{j}": demand[j] for j in range(sinks)})
    columns = [(f"x{i}_{j}", rng.randint(1, 100), [(f"s{i}", 1), (f"t{j}", 1)])
               for i in range(sources) for j in range(sinks)]
    return rows, columns, rhs, {}


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("kind", choices=["multicommodity", "transportation"])
    ap.add_argument("out")
    ap.add_argument("--size", type=int, default=40)
    ap.add_argument("--commodities", type=int, default=60)
    ap.add_argument("--seed", type=int, default=1)
    args = ap.parse_args()
    rng = random.Random(args.seed)
    if args.kind == "multicommodity":
        model = multicommodity(args.size, args.commodities, rng)
    else:
        model = transportation(args.size, rng)
    write_mps(args.out, args.kind, *model)


if __name__ == "__main__":
    main()
