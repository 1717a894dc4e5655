"""A problem object: building from arrays, files, optimisation and results."""
import ctypes
import os

import numpy as np

from . import _arrays as arr
from ._handle import OwnsHandle
from ._lib import lib
from .callbacks import installed_callbacks
from .errors import KorvaError, check
from .status import Status

MINIMIZE = 1
MAXIMIZE = -1
_MIP_TYPES = (1, 7, 11)   # MILP, MIQP, MIQCP
_LP_METHODS = {None: "KRVlpopt", "auto": "KRVlpopt", "primal": "KRVprimopt",
               "dual": "KRVdualopt"}


class Model(OwnsHandle):
    """A libkorva problem object inside an Env. Use it as a context manager,
    or call close(); closing the Env frees it too."""

    def __init__(self, env, name=""):
        status = ctypes.c_int(0)
        handle = lib.KRVcreateprob(env._live(), ctypes.byref(status), name.encode("latin-1"))
        if not handle:
            raise KorvaError(status.value or 1001, env._handle)
        self._env = env
        self._handle = handle
        env._models.add(self)

    # ---- lifetime -------------------------------------------------------
    def _free(self):
        handle, self._handle = self._handle, None
        if handle is not None and self._env._handle is not None:
            lib.KRVfreeprob(self._env._handle, ctypes.byref(ctypes.c_void_p(handle)))

    def close(self):
        self._free()


    @property
    def env(self):
        return self._env

    @property
    def handle(self):
        """The raw KRVprob handle (for calling the C API directly)."""
        if self._handle is None:
            raise KorvaError(1009, self._env._handle)
        return self._handle

    def _args(self):
        return self._env._live(), self.handle

    def _check(self, status):
        check(status, self._env._handle)

    def clone(self):
        env, lp = self._args()
        status = ctypes.c_int(0)
        handle = lib.KRVcloneprob(env, lp, ctypes.byref(status))
        if not handle:
            raise KorvaError(status.value or 1001, env)
        other = Model.__new__(Model)
        other._env, other._handle = self._env, handle
        self._env._models.add(other)
        return other

    # ---- building -------------------------------------------------------
    def load(self, obj, A=None, rhs=None, sense=None, lb=None, ub=None, rngval=None,
             objsense=MINIMIZE, ctype=None):
        """Replaces the model by min/max obj'x subject to A x (sense) rhs, lb <= x <= ub.

        A is a NumPy array or any SciPy sparse matrix (CSC is used as it is);
        sense is a string or array of 'L', 'E', 'G', 'R' letters (default 'E');
        bounds default to 0 and +inf, and infinities may be given as np.inf.
        ctype ('C', 'B', 'I', 'S', 'N' per column) makes it a MIP."""
        c = np.ascontiguousarray(obj, dtype=np.float64).ravel()
        n = c.size
        shape = arr.shape_of(A)
        m = shape[0] if shape is not None else (0 if rhs is None else np.size(rhs))
        beg, cnt, ind, val = arr.csc_parts(A, m, n)
        r = arr.vector(rhs, m, 0.0, "rhs")
        s = arr.letters(sense, m, b"E", "sense")
        low = arr.vector(lb, n, 0.0, "lb")
        up = arr.vector(ub, n, arr.INF, "ub")
        rng = None if rngval is None else arr.vector(rngval, m, 0.0, "rngval")
        env, lp = self._args()
        self._check(lib.KRVLcopylp(env, lp, n, m, int(objsense), arr.dbl(c), arr.dbl(r), s,
                                   arr.i64(beg), arr.i32(cnt), arr.i32(ind), arr.dbl(val),
                                   arr.dbl(low), arr.dbl(up), arr.dbl(rng)))
        if ctype is not None:
            self._check(lib.KRVcopyctype(env, lp, arr.letters(ctype, n, b"C", "ctype")))
        return self

    def add_variables(self, count, obj=None, lb=None, ub=None, ctype=None, names=None):
        """Appends count columns without coefficients; returns their indices."""
        first = self.num_cols
        env, lp = self._args()
        self._check(lib.KRVnewcols(
            env, lp, count, arr.dbl(arr.vector(obj, count, 0.0, "obj")),
            arr.dbl(arr.vector(lb, count, 0.0, "lb")),
            arr.dbl(arr.vector(ub, count, arr.INF, "ub")),
            None if ctype is None else arr.letters(ctype, count, b"C", "ctype"),
            arr.names(names, count, "names")))
        return np.arange(first, first + count)

    def add_constraints(self, A, sense, rhs, names=None):
        """Appends the rows A x (sense) rhs over the existing columns; A dense or sparse."""
        if not arr.is_sparse(A):
            A = np.asarray(A, dtype=np.float64)
            A = A.reshape(1, -1) if A.ndim == 1 else A
        m, n = A.shape
        beg, ind, val = arr.csr_parts(A, m, n)
        return self.add_rows_csr(beg, ind, val, rhs, sense, names)

    def add_rows_csr(self, beg, ind, val, rhs, sense, names=None):
        """Appends rows given by row: row i's entries are at beg[i] .. beg[i+1]-1
        of ind (column indices) and val; beg has one entry per row."""
        beg = np.ascontiguousarray(beg, dtype=np.int64)
        ind = np.ascontiguousarray(ind, dtype=np.int32)
        val = np.ascontiguousarray(val, dtype=np.float64)
        m = beg.size
        first = self.num_rows
        env, lp = self._args()
        self._check(lib.KRVLaddrows(env, lp, 0, m, ind.size,
                                    arr.dbl(arr.vector(rhs, m, 0.0, "rhs")),
                                    arr.letters(sense, m, b"E", "sense"), arr.i64(beg),
                                    arr.i32(ind), arr.dbl(val), None,
                                    arr.names(names, m, "names")))
        return np.arange(first, first + m)

    def set_bounds(self, indices, lb=None, ub=None):
        idx = np.ascontiguousarray(indices, dtype=np.int32).ravel()
        env, lp = self._args()
        for letter, values in ((b"L", lb), (b"U", ub)):
            if values is not None:
                self._check(lib.KRVchgbds(env, lp, idx.size, arr.i32(idx), letter * idx.size,
                                          arr.dbl(arr.vector(values, idx.size, 0.0, "bounds"))))

    def set_obj(self, indices, values):
        idx = np.ascontiguousarray(indices, dtype=np.int32).ravel()
        env, lp = self._args()
        self._check(lib.KRVchgobj(env, lp, idx.size, arr.i32(idx),
                                  arr.dbl(arr.vector(values, idx.size, 0.0, "obj"))))

    def set_rhs(self, indices, values):
        idx = np.ascontiguousarray(indices, dtype=np.int32).ravel()
        env, lp = self._args()
        self._check(lib.KRVchgrhs(env, lp, idx.size, arr.i32(idx),
                                  arr.dbl(arr.vector(values, idx.size, 0.0, "rhs"))))

    def set_coef(self, i, j, value):
        env, lp = self._args()
        self._check(lib.KRVchgcoef(env, lp, int(i), int(j), float(value)))

    def set_ctype(self, ctype):
        env, lp = self._args()
        self._check(lib.KRVcopyctype(env, lp, arr.letters(ctype, self.num_cols, b"C", "ctype")))

    def delete_rows(self, begin, end):
        self._check(lib.KRVdelrows(*self._args(), begin, end))

    def delete_cols(self, begin, end):
        self._check(lib.KRVdelcols(*self._args(), begin, end))

    def set_mip_start(self, indices, values):
        idx = np.ascontiguousarray(indices, dtype=np.int32).ravel()
        self._check(lib.KRVcopymipstart(*self._args(), idx.size, arr.i32(idx),
                                        arr.dbl(arr.vector(values, idx.size, 0.0, "values"))))

    # ---- reading the model -----------------------------------------------
    @property
    def num_cols(self):
        return lib.KRVgetnumcols(*self._args())

    @property
    def num_rows(self):
        return lib.KRVgetnumrows(*self._args())

    @property
    def num_nz(self):
        return lib.KRVLgetnumnz(*self._args())

    @property
    def objsense(self):
        return lib.KRVgetobjsen(*self._args())

    @objsense.setter
    def objsense(self, sense):
        self._check(lib.KRVchgobjsen(*self._args(), int(sense)))

    @property
    def probtype(self):
        return lib.KRVgetprobtype(*self._args())

    @property
    def is_mip(self):
        return self.probtype in _MIP_TYPES

    def _doubles(self, fn, count):
        out = np.empty(count, dtype=np.float64)
        if count:
            self._check(fn(*self._args(), arr.dbl(out), 0, count - 1))
        return out

    def _letters(self, fn, count):
        if not count:
            return ""
        buf = ctypes.create_string_buffer(count)
        self._check(fn(*self._args(), buf, 0, count - 1))
        return buf.raw.decode("ascii")

    @property
    def obj(self):
        return self._doubles(lib.KRVgetobj, self.num_cols)

    @property
    def lb(self):
        return self._doubles(lib.KRVgetlb, self.num_cols)

    @property
    def ub(self):
        return self._doubles(lib.KRVgetub, self.num_cols)

    @property
    def rhs(self):
        return self._doubles(lib.KRVgetrhs, self.num_rows)

    @property
    def rngval(self):
        """Range values of the rows; zeros for a model without ranged rows."""
        m = self.num_rows
        out = np.zeros(m, dtype=np.float64)
        if m and "R" in self.sense:
            self._check(lib.KRVgetrngval(*self._args(), arr.dbl(out), 0, m - 1))
        return out

    @property
    def sense(self):
        return self._letters(lib.KRVgetsense, self.num_rows)

    @property
    def ctype(self):
        """Column types; a continuous problem has none (1017 would say so): all 'C'."""
        n = self.num_cols
        return self._letters(lib.KRVgetctype, n) if self.is_mip else "C" * n

    def matrix(self):
        """The constraint matrix as a SciPy CSC matrix, or (beg, ind, val) without SciPy."""
        n, m = self.num_cols, self.num_rows
        env, lp = self._args()
        nz = self.num_nz
        beg = np.zeros(n + 1, dtype=np.int64)
        ind = np.empty(nz, dtype=np.int32)
        val = np.empty(nz, dtype=np.float64)
        if n:
            got = ctypes.c_longlong(0)
            surplus = ctypes.c_longlong(0)
            self._check(lib.KRVLgetcols(env, lp, ctypes.byref(got), arr.i64(beg), arr.i32(ind),
                                        arr.dbl(val), nz, ctypes.byref(surplus), 0, n - 1))
            beg[n] = got.value
        try:
            from scipy.sparse import csc_matrix
        except ImportError:
            return beg, ind, val
        return csc_matrix((val, ind, beg), shape=(m, n))

    def _names(self, fn, count):
        if not count:
            return []
        env, lp = self._args()
        surplus = ctypes.c_longlong(0)
        status = fn(env, lp, None, None, 0, ctypes.byref(surplus), 0, count - 1)
        if status == 1219:   # no names
            return None
        if status not in (0, 1207):
            self._check(status)
        space = -surplus.value
        ptrs = (ctypes.c_char_p * count)()
        store = ctypes.create_string_buffer(max(space, 1))
        self._check(fn(env, lp, ptrs, store, space, ctypes.byref(surplus), 0, count - 1))
        return [p.decode("latin-1") for p in ptrs]

    @property
    def col_names(self):
        return self._names(lib.KRVLgetcolname, self.num_cols)

    @property
    def row_names(self):
        return self._names(lib.KRVLgetrowname, self.num_rows)

    # ---- files ----------------------------------------------------------
    def _file(self, fn, path):
        self._check(fn(*self._args(), os.fsencode(path)))

    def read(self, path, filetype=None):
        """Replaces the model by a model file (LP, MPS, SAV; .gz/.bz2 too)."""
        self._check(lib.KRVreadcopyprob(*self._args(), os.fsencode(path),
                                        None if filetype is None else filetype.encode()))
        return self

    def write(self, path, filetype=None):
        """Writes the model; the format is filetype's or the file name's."""
        self._check(lib.KRVwriteprob(*self._args(), os.fsencode(path),
                                     None if filetype is None else filetype.encode()))

    def write_mipstarts(self, path):
        self._file(lib.KRVmstwrite, path)

    def read_mipstarts(self, path):
        self._file(lib.KRVreadcopymipstarts, path)

    def read_solution(self, path):
        """Reads a solution file into a MIP as its start."""
        self._file(lib.KRVreadcopysol, path)

    def write_filters(self, path):
        self._file(lib.KRVfltwrite, path)

    def read_filters(self, path):
        self._file(lib.KRVreadcopysolnpoolfilters, path)

    def write_dual(self, path):
        """Writes the dual LP; returns the objective constant the dual omits."""
        shift = ctypes.c_double(0.0)
        self._check(lib.KRVdualwrite(*self._args(), os.fsencode(path), ctypes.byref(shift)))
        return shift.value

    # ---- optimisation ---------------------------------------------------
    def optimize(self, method=None, info=None, lazy=None, incumbent=None):
        """Solves the model: branch-and-cut for a MIP, else the LP method
        ("auto", "primal" or "dual"). Returns the Status.

        info(ctx) runs where the library reports progress (ctx.where: 101 for
        the search, 1 to 10 inside LP solves) and stops it when it returns a
        true value; lazy(ctx) may add constraints with ctx.add_lazy() for each
        integral candidate; incumbent(ctx, objval, x) rejects a candidate by
        returning False. An exception raised in a callback stops the search
        and is raised again here."""
        env, lp = self._args()
        if method == "mip" or self.is_mip:
            entry = lib.KRVmipopt
        else:
            if method not in _LP_METHODS:
                raise ValueError("method must be one of auto, primal, dual, mip")
            entry = getattr(lib, _LP_METHODS[method])
        if info is None and lazy is None and incumbent is None:
            self._check(entry(env, lp))
        else:
            with installed_callbacks(self, info, lazy, incumbent) as state:
                status = entry(env, lp)
            if state.error is not None:
                raise state.error
            self._check(status)
        return self.status

    # ---- results --------------------------------------------------------
    @property
    def status(self):
        return Status(lib.KRVgetstat(*self._args()))

    @property
    def objval(self):
        value = ctypes.c_double(0.0)
        self._check(lib.KRVgetobjval(*self._args(), ctypes.byref(value)))
        return value.value

    @property
    def has_solution(self):
        kind = ctypes.c_int(0)
        status = lib.KRVsolninfo(*self._args(), None, ctypes.byref(kind), None, None)
        return status == 0 and kind.value != 0

    @property
    def x(self):
        return self._doubles(lib.KRVgetx, self.num_cols)

    @property
    def pi(self):
        return self._doubles(lib.KRVgetpi, self.num_rows)

    @property
    def slack(self):
        return self._doubles(lib.KRVgetslack, self.num_rows)

    @property
    def dj(self):
        return self._doubles(lib.KRVgetdj, self.num_cols)

    def basis(self):
        """(column statuses, row statuses): 0 at lower, 1 basic, 2 at upper, 3 free."""
        c = np.empty(self.num_cols, dtype=np.int32)
        r = np.empty(self.num_rows, dtype=np.int32)
        self._check(lib.KRVgetbase(*self._args(), arr.i32(c), arr.i32(r)))
        return c, r

    @property
    def iterations(self):
        if self.is_mip:
            return lib.KRVLgetmipitcnt(*self._args())
        return lib.KRVLgetitcnt(*self._args())

    @property
    def node_count(self):
        return lib.KRVLgetnodecnt(*self._args())

    @property
    def best_bound(self):
        value = ctypes.c_double(0.0)
        self._check(lib.KRVgetbestobjval(*self._args(), ctypes.byref(value)))
        return value.value

    @property
    def mip_gap(self):
        value = ctypes.c_double(0.0)
        self._check(lib.KRVgetmiprelgap(*self._args(), ctypes.byref(value)))
        return value.value

    @property
    def method(self):
        return lib.KRVgetmethod(*self._args())
