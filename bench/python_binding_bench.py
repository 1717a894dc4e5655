#!/usr/bin/python3
"""Cost of the Python binding against the C API doing the same work.

  1. 10,000 tiny LPs created, solved, queried and freed from Python
     (korva.Model) and from C;
  2. building a model from a SciPy CSC matrix with 10^6 nonzeros (Model.load)
     against one KRVLcopylp of the same arrays;
  3. copying and solving LPs of the shared collection above 10^4 nonzeros.

The C side is bench/python_overhead_ref.c, compiled here against the
library being measured. Run from the source tree after building korva:
  KORVA_LIBRARY=build/libkorva.so /usr/bin/python3 bench/python_binding_bench.py
"""
import os
import pathlib
import subprocess
import sys
import tempfile
import time

import numpy as np

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "python"))
import korva  # noqa: E402

LIBRARY = pathlib.Path(os.environ.get("KORVA_LIBRARY", ROOT / "build" / "libkorva.so")).resolve()
DATA = pathlib.Path(os.environ.get("KORVA_DATA_DIR", ROOT.parent / "shared" / "data"))
TINY = 10000
LARGE_LPS = ["25fv47", "ship08l", "sctap3"]


def c_reference():
    exe = pathlib.Path(tempfile.mkdtemp()) / "python_overhead_ref"
    subprocess.check_call(["cc", "-O2", "-std=c99", "-D_POSIX_C_SOURCE=199309L",
                           "-I", str(ROOT / "include"), str(ROOT / "bench" / "python_overhead_ref.c"),
                           "-o", str(exe), str(LIBRARY), "-Wl,-rpath," + str(LIBRARY.parent)])
    return exe


def run_c(exe, *args):
    return float(subprocess.check_output([str(exe)] + [str(a) for a in args]))


def python_tiny(env, n):
    c, A, b = np.array([-1.0, -2.0]), np.array([[1.0, 1.0], [1.0, -1.0]]), np.array([4.0, 1.0])
    from scipy import sparse
    A = sparse.csc_matrix(A)
    t = time.perf_counter()
    for _ in range(n):
        with env.model("tiny") as m:
            m.load(c, A, b, "LL", ub=[3, np.inf])
            m.optimize()
            m.objval, m.x
    return time.perf_counter() - t


def generated_matrix(n, m, nz):
    from scipy import sparse
    per = nz // n
    j = np.repeat(np.arange(n, dtype=np.int64), per)
    k = np.tile(np.arange(per, dtype=np.int64), n)
    rows = (j * 7 + k * 13) % m
    vals = 1.0 + k
    indptr = np.arange(0, n * per + 1, per)
    return sparse.csc_matrix((vals, rows.astype(np.int32), indptr), shape=(m, n))


def python_build(env, n, m, nz):
    A = generated_matrix(n, m, nz)
    A.has_sorted_indices = False
    A.sort_indices()
    zeros_c, zeros_r = np.zeros(n), np.zeros(m)
    with env.model("big") as model:
        t = time.perf_counter()
        model.load(zeros_c, A, zeros_r, "L", lb=None, ub=None)
        return time.perf_counter() - t


def python_file(env, path):
    with env.read(path) as src:
        c, A, rhs, sense, lb, ub, sen = (src.obj, src.matrix(), src.rhs, src.sense, src.lb,
                                         src.ub, src.objsense)
    t = time.perf_counter()
    with env.model("copy") as m:
        m.load(c, A, rhs, sense, lb, ub, objsense=sen)
        m.optimize()
        m.objval, m.x
    return time.perf_counter() - t, A.nnz


def best_of(k, fn):
    return min(fn() for _ in range(k))


def main():
    exe = c_reference()
    with korva.Env() as env:
        print("library: %s (%s)" % (LIBRARY, env.version))
        c_tiny = best_of(3, lambda: run_c(exe, "tiny", TINY))
        py_tiny = best_of(3, lambda: python_tiny(env, TINY))
        print("%d tiny LPs: C %.3f s (%.1f us each), Python %.3f s (%.1f us each), "
              "binding adds %.1f us per model"
              % (TINY, c_tiny, 1e6 * c_tiny / TINY, py_tiny, 1e6 * py_tiny / TINY,
                 1e6 * (py_tiny - c_tiny) / TINY))
        n, m, nz = 100000, 50000, 10**6
        c_build = best_of(3, lambda: run_c(exe, "build", n, m, nz))
        py_build = best_of(3, lambda: python_build(env, n, m, nz))
        print("build from CSC, %d nonzeros: C %.3f s, Python %.3f s (%+.1f%%)"
              % (nz, c_build, py_build, 100 * (py_build / c_build - 1)))
        for name in LARGE_LPS:
            path = DATA / "netlib" / (name + ".mps.gz")
            if not path.exists():
                continue
            c_file = best_of(3, lambda: run_c(exe, "file", path))
            py_file, nnz = min(python_file(env, str(path)) for _ in range(3))
            print("%-8s %6d nonzeros, build and solve: C %.3f s, Python %.3f s (%+.1f%%)"
                  % (name, nnz, c_file, py_file, 100 * (py_file / c_file - 1)))


if __name__ == "__main__":
    main()
