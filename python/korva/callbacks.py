"""MIP callbacks written in Python.

ctypes takes the GIL when the library calls a callback and releases it while
the optimiser runs, so searches in several threads may call these
concurrently. An exception must not cross into C: the callback records it,
asks the search to stop (a non-zero return, or user action 1) and the
optimize call raises it once the library has returned.
"""
import contextlib
import ctypes

import numpy as np

from . import _lib
from ._lib import DBL_P, lib
from .errors import check

MIPCBREDLP = 2055
USER_ABORT = 1      # user action: stop the search

# Items of KRVgetcallbackinfo by the C type of their result.
_DOUBLE_ITEMS = {101, 102, 106, 125, 127, 128, 129, 130, 131, 132}
_LONG_ITEMS = {140, 141, 142}


class CallbackContext:
    """What a Python callback may ask and do during one call from the search.
    Indices are those of the model as built (the presolved problem is hidden)."""

    def __init__(self, env, cbdata, where, num_cols):
        self.env = env
        self.cbdata = cbdata
        self.where = where
        self.num_cols = num_cols
        self.aborted = False

    def info(self, item):
        """KRVgetcallbackinfo for a numeric item (KRV_CALLBACK_INFO_*)."""
        if item in _DOUBLE_ITEMS:
            out = ctypes.c_double()
        elif item in _LONG_ITEMS:
            out = ctypes.c_longlong()
        else:
            out = ctypes.c_int()
        check(lib.KRVgetcallbackinfo(self.env, self.cbdata, self.where, item,
                                     ctypes.byref(out)), self.env)
        return out.value

    @property
    def best_integer(self):
        return self.info(101)

    @property
    def best_bound(self):
        return self.info(102)

    @property
    def node_count(self):
        return self.info(140)

    @property
    def nodes_left(self):
        return self.info(141)

    @property
    def has_incumbent(self):
        return bool(self.info(109))

    @property
    def gap(self):
        return self.info(125)

    def _values(self, fn):
        out = np.empty(self.num_cols, dtype=np.float64)
        if self.num_cols:
            check(fn(self.env, self.cbdata, self.where, out.ctypes.data_as(DBL_P), 0,
                     self.num_cols - 1), self.env)
        return out

    def node_x(self):
        """The candidate's (node LP's) values of all columns."""
        return self._values(lib.KRVgetcallbacknodex)

    def incumbent_x(self):
        return self._values(lib.KRVgetcallbackincumbent)

    def node_objval(self):
        out = ctypes.c_double()
        check(lib.KRVgetcallbacknodeobjval(self.env, self.cbdata, self.where,
                                           ctypes.byref(out)), self.env)
        return out.value

    def add_lazy(self, indices, values, sense, rhs, purgeable=0):
        """Adds the constraint sum(values[k] * x[indices[k]]) (sense) rhs."""
        ind = np.ascontiguousarray(indices, dtype=np.int32)
        val = np.ascontiguousarray(values, dtype=np.float64)
        if ind.shape != val.shape:
            raise ValueError("indices and values differ in length")
        check(lib.KRVcutcallbackadd(self.env, self.cbdata, self.where, ind.size, float(rhs),
                                    ord(sense), ind.ctypes.data_as(_lib.INT_P),
                                    val.ctypes.data_as(DBL_P), purgeable), self.env)

    def abort(self):
        """Stops the search after this call."""
        self.aborted = True


class _State:
    def __init__(self):
        self.error = None


@contextlib.contextmanager
def installed_callbacks(model, info, lazy, incumbent):
    """Installs the given Python callbacks on the model's environment for one
    optimisation, with the callback queries in the model's own indices."""
    env_obj = model.env
    env = env_obj._live()
    n = model.num_cols
    state = _State()

    def guarded(body, failed):
        def thunk(*args):
            if state.error is not None:
                return failed(args)
            try:
                return body(*args)
            except BaseException as e:  # noqa: B902 - re-raised after the search
                state.error = e
                return failed(args)
        return thunk

    def info_body(cb_env, cbdata, where, _handle):
        return 1 if info(CallbackContext(cb_env, cbdata, where, n)) else 0

    def lazy_body(cb_env, cbdata, where, _handle, useraction_p):
        ctx = CallbackContext(cb_env, cbdata, where, n)
        useraction_p[0] = 0
        lazy(ctx)
        useraction_p[0] = USER_ABORT if ctx.aborted else 0
        return 0

    def incumbent_body(cb_env, cbdata, where, _handle, objval, x, isfeas_p, useraction_p):
        ctx = CallbackContext(cb_env, cbdata, where, n)
        values = np.ctypeslib.as_array(x, shape=(n,)).copy() if n else np.empty(0)
        accept = incumbent(ctx, objval, values)
        isfeas_p[0] = 0 if accept is False else 1
        useraction_p[0] = USER_ABORT if ctx.aborted else 0
        return 0

    def stop_plain(_args):
        return 1

    def stop_action(args):
        args[-1][0] = USER_ABORT
        return 0

    slots = []
    if info is not None:
        slots.append((lib.KRVsetinfocallbackfunc,
                      _lib.CALLBACKFUNC(guarded(info_body, stop_plain))))
    if lazy is not None:
        slots.append((lib.KRVsetlazyconstraintcallbackfunc,
                      _lib.CUTCALLBACKFUNC(guarded(lazy_body, stop_action))))
    if incumbent is not None:
        slots.append((lib.KRVsetincumbentcallbackfunc,
                      _lib.INCUMBENTCALLBACKFUNC(guarded(incumbent_body, stop_action))))
    saved_redlp = env_obj.params[MIPCBREDLP]
    installed = []
    try:
        env_obj.params[MIPCBREDLP] = 0
        for setter, func in slots:
            check(setter(env, func, None), env)
            installed.append((setter, func))
        # Keep the ctypes thunks alive while C holds their addresses.
        env_obj._callbacks["active"] = slots
        yield state
    finally:
        for setter, func in installed:
            setter(env, type(func)(), None)     # a null function pointer uninstalls
        env_obj._callbacks.pop("active", None)
        env_obj.params[MIPCBREDLP] = saved_redlp
