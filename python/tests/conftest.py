"""Shared fixtures: an environment, and the shared model collections."""
import csv
import gzip
import os
import pathlib

import pytest

import korva

SOURCE_DIR = pathlib.Path(os.environ.get("KORVA_SOURCE_DIR",
                                         pathlib.Path(__file__).resolve().parents[2]))


def data_dir():
    return pathlib.Path(os.environ.get("KORVA_DATA_DIR", SOURCE_DIR.parent / "shared" / "data"))


def data_file(relative):
    """Path of a file of the shared collections; a missing collection skips
    the test, or fails it where CI demands the data (KORVA_REQUIRE_DATA)."""
    path = data_dir() / relative
    if not path.exists():
        if os.environ.get("KORVA_REQUIRE_DATA"):
            pytest.fail("shared data file missing: %s" % path)
        pytest.skip("shared data file missing: %s" % path)
    return path


def reference_optima(collection):
    """{name: reference objective} of the Netlib or MIPLIB catalogue."""
    if collection == "netlib":
        rows = csv.DictReader(open(data_file("netlib/optimal.csv")))
        return {r["name"]: float(r["reference"]) for r in rows}
    rows = csv.DictReader(open(data_file("miplib3/catalogue.csv")))
    return {r["name"]: float(r["best_integer"]) for r in rows}


@pytest.fixture
def env():
    with korva.Env() as e:
        yield e


def read_model(env, relative):
    return env.read(str(data_file(relative)))


def model_arrays(model):
    """The model as arrays: (c, A csc, rhs, sense, rngval, lb, ub, ctype, objsense)."""
    return (model.obj, model.matrix(), model.rhs, model.sense, model.rngval, model.lb,
            model.ub, model.ctype, model.objsense)


def as_linprog(model):
    """linprog's arguments for a model read from a file (rows split into
    A_ub x <= b_ub and A_eq x == b_eq; ranged rows give two inequalities)."""
    import numpy as np
    from scipy import sparse
    c, A, rhs, sense, rng, lb, ub, _, objsense = model_arrays(model)
    A = A.tocsr()
    s = np.frombuffer(sense.encode(), dtype="S1")
    le, ge, eq, rr = s == b"L", s == b"G", s == b"E", s == b"R"
    lo_r = np.where(rng >= 0, rhs, rhs + rng)
    hi_r = np.where(rng >= 0, rhs + rng, rhs)
    A_ub = sparse.vstack([A[le], -A[ge], A[rr], -A[rr]]).tocsr()
    b_ub = np.concatenate([rhs[le], -rhs[ge], hi_r[rr], -lo_r[rr]])
    big = 1e20
    bounds = [(None if l <= -big else l, None if u >= big else u) for l, u in zip(lb, ub)]
    return objsense * c, A_ub, b_ub, A[eq], rhs[eq], bounds


__all__ = ["data_file", "reference_optima", "read_model", "model_arrays", "as_linprog", "gzip"]
