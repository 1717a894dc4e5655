"""Loading libkorva and the ctypes signatures of the functions this package calls.

The table below is the only place where C types are spelled out; a test walks
include/korva/korva.h and compares every entry with the header's prototype, so
the two cannot drift apart.
"""
import ctypes
import os
from ctypes import (CFUNCTYPE, POINTER, c_char, c_char_p, c_double, c_int, c_longlong,
                    c_void_p)

ENV = c_void_p
PROB = c_void_p
CHANNEL = c_void_p
INT_P = POINTER(c_int)
LONG_P = POINTER(c_longlong)
DBL_P = POINTER(c_double)
CHAR_P = POINTER(c_char)
STR_ARRAY = POINTER(c_char_p)
ENV_P = POINTER(c_void_p)
PROB_P = POINTER(c_void_p)
VOID_PP = POINTER(c_void_p)

# Callback types, as typedef'd in the header.
MSGFUNC = CFUNCTYPE(None, c_void_p, c_char_p)
CALLBACKFUNC = CFUNCTYPE(c_int, ENV, c_void_p, c_int, c_void_p)
CUTCALLBACKFUNC = CFUNCTYPE(c_int, ENV, c_void_p, c_int, c_void_p, INT_P)
INCUMBENTCALLBACKFUNC = CFUNCTYPE(c_int, ENV, c_void_p, c_int, c_void_p, c_double, DBL_P,
                                  INT_P, INT_P)

_RANGE = [c_int, c_int]          # begin, end
_DBL_RANGE = [ENV, PROB, DBL_P] + _RANGE
_FILE = [ENV, PROB, c_char_p]

# name -> (restype, argtypes)
SIGNATURES = {
    # environment, errors, channels
    "KRVopenKORVA": (ENV, [INT_P]),
    "KRVcloseKORVA": (c_int, [ENV_P]),
    "KRVversion": (c_char_p, [ENV]),
    "KRVgeterrorstring": (c_char_p, [ENV, c_int, CHAR_P]),
    "KRVgetstatstring": (c_char_p, [ENV, c_int, CHAR_P]),
    "KRVgetchannels": (c_int, [ENV, POINTER(CHANNEL), POINTER(CHANNEL), POINTER(CHANNEL),
                               POINTER(CHANNEL)]),
    "KRVaddfuncdest": (c_int, [ENV, CHANNEL, c_void_p, MSGFUNC]),
    "KRVdelfuncdest": (c_int, [ENV, CHANNEL, c_void_p, MSGFUNC]),
    "KRVsetterminate": (c_int, [ENV, INT_P]),
    # parameters
    "KRVsetintparam": (c_int, [ENV, c_int, c_int]),
    "KRVsetlongparam": (c_int, [ENV, c_int, c_longlong]),
    "KRVsetdblparam": (c_int, [ENV, c_int, c_double]),
    "KRVsetstrparam": (c_int, [ENV, c_int, c_char_p]),
    "KRVgetintparam": (c_int, [ENV, c_int, INT_P]),
    "KRVgetlongparam": (c_int, [ENV, c_int, LONG_P]),
    "KRVgetdblparam": (c_int, [ENV, c_int, DBL_P]),
    "KRVgetstrparam": (c_int, [ENV, c_int, CHAR_P]),
    "KRVinfointparam": (c_int, [ENV, c_int, INT_P, INT_P, INT_P]),
    "KRVinfolongparam": (c_int, [ENV, c_int, LONG_P, LONG_P, LONG_P]),
    "KRVinfodblparam": (c_int, [ENV, c_int, DBL_P, DBL_P, DBL_P]),
    "KRVinfostrparam": (c_int, [ENV, c_int, CHAR_P]),
    "KRVgetparamname": (c_int, [ENV, c_int, CHAR_P]),
    "KRVgetparamnum": (c_int, [ENV, c_char_p, INT_P]),
    "KRVgetparamtype": (c_int, [ENV, c_int, INT_P]),
    "KRVsetdefaults": (c_int, [ENV]),
    "KRVwriteparam": (c_int, [ENV, c_char_p]),
    "KRVreadcopyparam": (c_int, [ENV, c_char_p]),
    # problem object and data
    "KRVcreateprob": (PROB, [ENV, INT_P, c_char_p]),
    "KRVfreeprob": (c_int, [ENV, PROB_P]),
    "KRVcloneprob": (PROB, [ENV, PROB, INT_P]),
    "KRVLcopylp": (c_int, [ENV, PROB, c_int, c_int, c_int, DBL_P, DBL_P, c_char_p, LONG_P,
                           INT_P, INT_P, DBL_P, DBL_P, DBL_P, DBL_P]),
    "KRVcopyctype": (c_int, [ENV, PROB, c_char_p]),
    "KRVgetctype": (c_int, [ENV, PROB, CHAR_P] + _RANGE),
    "KRVchgprobtype": (c_int, [ENV, PROB, c_int]),
    "KRVgetprobtype": (c_int, [ENV, PROB]),
    "KRVgetnumcols": (c_int, [ENV, PROB]),
    "KRVgetnumrows": (c_int, [ENV, PROB]),
    "KRVLgetnumnz": (c_longlong, [ENV, PROB]),
    "KRVgetobjsen": (c_int, [ENV, PROB]),
    "KRVchgobjsen": (c_int, [ENV, PROB, c_int]),
    "KRVgetobj": (c_int, _DBL_RANGE),
    "KRVgetrhs": (c_int, _DBL_RANGE),
    "KRVgetsense": (c_int, [ENV, PROB, CHAR_P] + _RANGE),
    "KRVgetlb": (c_int, _DBL_RANGE),
    "KRVgetub": (c_int, _DBL_RANGE),
    "KRVgetrngval": (c_int, _DBL_RANGE),
    "KRVLgetcols": (c_int, [ENV, PROB, LONG_P, LONG_P, INT_P, DBL_P, c_longlong, LONG_P]
                    + _RANGE),
    "KRVnewcols": (c_int, [ENV, PROB, c_int, DBL_P, DBL_P, DBL_P, c_char_p, STR_ARRAY]),
    "KRVnewrows": (c_int, [ENV, PROB, c_int, DBL_P, c_char_p, DBL_P, STR_ARRAY]),
    "KRVLaddrows": (c_int, [ENV, PROB, c_int, c_int, c_longlong, DBL_P, c_char_p, LONG_P,
                            INT_P, DBL_P, STR_ARRAY, STR_ARRAY]),
    "KRVLaddcols": (c_int, [ENV, PROB, c_int, c_longlong, DBL_P, LONG_P, INT_P, DBL_P,
                            DBL_P, DBL_P, STR_ARRAY]),
    "KRVdelrows": (c_int, [ENV, PROB] + _RANGE),
    "KRVdelcols": (c_int, [ENV, PROB] + _RANGE),
    "KRVchgbds": (c_int, [ENV, PROB, c_int, INT_P, c_char_p, DBL_P]),
    "KRVchgobj": (c_int, [ENV, PROB, c_int, INT_P, DBL_P]),
    "KRVchgrhs": (c_int, [ENV, PROB, c_int, INT_P, DBL_P]),
    "KRVchgrngval": (c_int, [ENV, PROB, c_int, INT_P, DBL_P]),
    "KRVchgctype": (c_int, [ENV, PROB, c_int, INT_P, c_char_p]),
    "KRVchgcoef": (c_int, [ENV, PROB, c_int, c_int, c_double]),
    "KRVLgetcolname": (c_int, [ENV, PROB, STR_ARRAY, CHAR_P, c_longlong, LONG_P] + _RANGE),
    "KRVLgetrowname": (c_int, [ENV, PROB, STR_ARRAY, CHAR_P, c_longlong, LONG_P] + _RANGE),
    "KRVgetcolindex": (c_int, [ENV, PROB, c_char_p, INT_P]),
    "KRVgetrowindex": (c_int, [ENV, PROB, c_char_p, INT_P]),
    # files
    "KRVreadcopyprob": (c_int, [ENV, PROB, c_char_p, c_char_p]),
    "KRVwriteprob": (c_int, [ENV, PROB, c_char_p, c_char_p]),
    "KRVmstwrite": (c_int, _FILE),
    "KRVreadcopymipstarts": (c_int, _FILE),
    "KRVreadcopysol": (c_int, _FILE),
    "KRVfltwrite": (c_int, _FILE),
    "KRVreadcopysolnpoolfilters": (c_int, _FILE),
    "KRVdualwrite": (c_int, [ENV, PROB, c_char_p, DBL_P]),
    "KRVcopymipstart": (c_int, [ENV, PROB, c_int, INT_P, DBL_P]),
    # optimisers and solution
    "KRVlpopt": (c_int, [ENV, PROB]),
    "KRVprimopt": (c_int, [ENV, PROB]),
    "KRVdualopt": (c_int, [ENV, PROB]),
    "KRVmipopt": (c_int, [ENV, PROB]),
    "KRVgetstat": (c_int, [ENV, PROB]),
    "KRVgetmethod": (c_int, [ENV, PROB]),
    "KRVsolninfo": (c_int, [ENV, PROB, INT_P, INT_P, INT_P, INT_P]),
    "KRVgetobjval": (c_int, [ENV, PROB, DBL_P]),
    "KRVgetx": (c_int, _DBL_RANGE),
    "KRVgetpi": (c_int, _DBL_RANGE),
    "KRVgetslack": (c_int, _DBL_RANGE),
    "KRVgetdj": (c_int, _DBL_RANGE),
    "KRVgetbase": (c_int, [ENV, PROB, INT_P, INT_P]),
    "KRVLgetitcnt": (c_longlong, [ENV, PROB]),
    "KRVLgetnodecnt": (c_longlong, [ENV, PROB]),
    "KRVLgetmipitcnt": (c_longlong, [ENV, PROB]),
    "KRVgetbestobjval": (c_int, [ENV, PROB, DBL_P]),
    "KRVgetmiprelgap": (c_int, [ENV, PROB, DBL_P]),
    # MIP callbacks
    "KRVsetinfocallbackfunc": (c_int, [ENV, CALLBACKFUNC, c_void_p]),
    "KRVsetlazyconstraintcallbackfunc": (c_int, [ENV, CUTCALLBACKFUNC, c_void_p]),
    "KRVsetincumbentcallbackfunc": (c_int, [ENV, INCUMBENTCALLBACKFUNC, c_void_p]),
    "KRVgetcallbackinfo": (c_int, [ENV, c_void_p, c_int, c_int, c_void_p]),
    "KRVgetcallbacknodex": (c_int, [ENV, c_void_p, c_int, DBL_P, c_int, c_int]),
    "KRVgetcallbacknodeobjval": (c_int, [ENV, c_void_p, c_int, DBL_P]),
    "KRVgetcallbackincumbent": (c_int, [ENV, c_void_p, c_int, DBL_P, c_int, c_int]),
    "KRVcutcallbackadd": (c_int, [ENV, c_void_p, c_int, c_int, c_double, c_int, INT_P, DBL_P,
                                  c_int]),
}


def _candidates():
    """Where the library may be, in the order it is looked for."""
    explicit = os.environ.get("KORVA_LIBRARY")
    if explicit:
        return [explicit]
    found = []
    try:
        from . import _install_paths  # written by `cmake --install`
        here = os.path.dirname(os.path.abspath(__file__))
        found.append(os.path.normpath(os.path.join(here, _install_paths.LIBRARY_RELATIVE)))
    except ImportError:
        pass
    found += ["libkorva.so.1", "libkorva.so"]
    return found


def _load():
    errors = []
    for path in _candidates():
        try:
            lib = ctypes.CDLL(path)
            break
        except OSError as e:
            errors.append(str(e))
    else:
        raise OSError("libkorva could not be loaded (set KORVA_LIBRARY to its path): "
                      + "; ".join(errors))
    for name, (restype, argtypes) in SIGNATURES.items():
        fn = getattr(lib, name)
        fn.restype = restype
        fn.argtypes = argtypes
    return lib


lib = _load()
