#!/usr/bin/env python3
"""Generated networks: the network simplex against the peer program and the
dual simplex on the LP form.

For each kind (transshipment, transportation, assignment) and arc count,
runs build/bench/network_bench (network simplex, and the dual simplex on
the LP form up to --lp-max arcs) and build/bench/network_peer when it was
built, one process at a time, and prints seconds, objective and iterations:

    python3 bench/network_bench.py [--build build] [--sizes 10000 100000 1000000]
                                   [--kinds transshipment ...] [--seed 1]
"""
import argparse
import os
import subprocess


def run(program, args, timeout):
    try:
        out = subprocess.run([program] + args, capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return {"timeout": True}
    rows = {}
    for line in out.stdout.splitlines():
        fields = line.split()
        if len(fields) >= 3:
            rows[fields[0]] = fields[1:]
    if out.returncode != 0:
        rows["error"] = out.stderr.strip()
    return rows


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(here, "..", "build"))
    parser.add_argument("--sizes", type=int, nargs="*", default=[10000, 100000, 1000000])
    parser.add_argument("--kinds", nargs="*", default=["transshipment", "transportation", "assignment"])
    parser.add_argument("--seed", default="1")
    parser.add_argument("--lp-max", type=int, default=100000, help="largest arc count for the LP form")
    parser.add_argument("--timeout", type=int, default=1800)
    args = parser.parse_args()
    ours = os.path.join(args.build, "bench", "network_bench")
    peer = os.path.join(args.build, "bench", "network_peer")
    have_peer = os.path.exists(peer)
    print("%-15s %8s %10s %10s %10s %18s %s" % ("kind", "arcs", "network", "peer", "dual(LP)", "objective", "check"))
    for kind in args.kinds:
        for arcs in args.sizes:
            extra = ["--lp"] if arcs <= args.lp_max else []
            mine = run(ours, [kind, str(arcs), args.seed] + extra, args.timeout)
            theirs = run(peer, [kind, str(arcs), args.seed], args.timeout) if have_peer else {}
            net = mine.get("korva_network")
            lp = mine.get("korva_dual_lp")
            other = theirs.get("peer_network")
            objs = [float(r[1]) for r in (net, lp, other) if r]
            same = all(abs(o - objs[0]) <= 1e-9 * (1 + abs(objs[0])) for o in objs) if objs else False
            print("%-15s %8d %10s %10s %10s %18s %s" % (
                kind, arcs,
                net[0] if net else ("timeout" if mine.get("timeout") else "-"),
                other[0] if other else ("timeout" if theirs.get("timeout") else "-"),
                lp[0] if lp else "-",
                net[1] if net else "-",
                "same" if same else "DIFFERS"), flush=True)
            if net:
                print("  network iterations %s" % net[2], flush=True)


if __name__ == "__main__":
    main()
