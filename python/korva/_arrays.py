"""Turning Python and NumPy inputs into the contiguous arrays the C API takes."""
import ctypes

import numpy as np

from ._lib import DBL_P, INT_P, LONG_P

INF = 1e20


def dbl(a):
    return None if a is None else a.ctypes.data_as(DBL_P)


def i32(a):
    return None if a is None else a.ctypes.data_as(INT_P)


def i64(a):
    return None if a is None else a.ctypes.data_as(LONG_P)


def vector(values, n, default, what):
    """A float64 vector of length n, infinities clipped to the library's 1e20."""
    if values is None:
        return np.full(n, default, dtype=np.float64)
    a = np.ascontiguousarray(values, dtype=np.float64)
    if a.ndim == 0:
        a = np.full(n, float(a), dtype=np.float64)
    if a.shape != (n,):
        raise ValueError("%s has %d entries, expected %d" % (what, a.size, n))
    if not np.all(np.isfinite(a)):
        if np.any(np.isnan(a)):
            raise ValueError("%s contains NaN" % what)
        a = np.clip(a, -INF, INF)
    return a


def letters(values, n, default, what):
    """Sense or type letters as bytes of length n."""
    if values is None:
        return default * n
    if isinstance(values, str):
        b = values.encode("ascii")
    elif isinstance(values, (bytes, bytearray)):
        b = bytes(values)
    else:
        b = "".join(str(v) for v in np.asarray(values).ravel()).encode("ascii")
    if len(b) == 1 and n != 1:
        b = b * n
    if len(b) != n:
        raise ValueError("%s has %d letters, expected %d" % (what, len(b), n))
    return b


def names(values, n, what):
    if values is None:
        return None
    encoded = [str(v).encode("latin-1") for v in values]
    if len(encoded) != n:
        raise ValueError("%s has %d names, expected %d" % (what, len(encoded), n))
    return (ctypes.c_char_p * n)(*encoded)


def is_sparse(A):
    return hasattr(A, "tocsc") and hasattr(A, "nnz")


def shape_of(A):
    if A is None:
        return None
    if is_sparse(A):
        return A.shape
    return np.shape(A)


def csc_parts(A, nrows, ncols):
    """(beg int64, cnt int32, ind int32, val float64) of A by columns."""
    if A is None:
        return (np.zeros(ncols, np.int64), np.zeros(ncols, np.int32),
                np.zeros(0, np.int32), np.zeros(0, np.float64))
    if is_sparse(A):
        C = A.tocsc()
        if C.shape != (nrows, ncols):
            raise ValueError("matrix is %dx%d, expected %dx%d" % (C.shape + (nrows, ncols)))
        if not C.has_canonical_format:
            C = C.copy()
            C.sum_duplicates()
        ptr = C.indptr
        return (np.ascontiguousarray(ptr[:-1], dtype=np.int64),
                np.ascontiguousarray(np.diff(ptr), dtype=np.int32),
                np.ascontiguousarray(C.indices, dtype=np.int32),
                np.ascontiguousarray(C.data, dtype=np.float64))
    D = np.asarray(A, dtype=np.float64)
    if D.ndim == 1 and nrows == 1:
        D = D.reshape(1, -1)
    if D.shape != (nrows, ncols):
        raise ValueError("matrix is %s, expected %dx%d" % (D.shape, nrows, ncols))
    cols, rows = np.nonzero(D.T)
    cnt = np.bincount(cols, minlength=ncols).astype(np.int32)
    beg = np.zeros(ncols, np.int64)
    np.cumsum(cnt[:-1], out=beg[1:])
    return beg, cnt, rows.astype(np.int32), np.ascontiguousarray(D[rows, cols])


def csr_parts(A, nrows, ncols):
    """(beg int64, ind int32, val float64) of A by rows."""
    if is_sparse(A):
        R = A.tocsr()
        if R.shape != (nrows, ncols):
            raise ValueError("matrix is %dx%d, expected %dx%d" % (R.shape + (nrows, ncols)))
        if not R.has_canonical_format:
            R = R.copy()
            R.sum_duplicates()
        return (np.ascontiguousarray(R.indptr[:-1], dtype=np.int64),
                np.ascontiguousarray(R.indices, dtype=np.int32),
                np.ascontiguousarray(R.data, dtype=np.float64))
    D = np.asarray(A, dtype=np.float64)
    if D.ndim == 1:
        D = D.reshape(1, -1)
    if D.shape != (nrows, ncols):
        raise ValueError("matrix is %s, expected %dx%d" % (D.shape, nrows, ncols))
    rows, cols = np.nonzero(D)
    beg = np.zeros(nrows, np.int64)
    np.cumsum(np.bincount(rows, minlength=nrows)[:-1], out=beg[1:])
    return beg, cols.astype(np.int32), np.ascontiguousarray(D[rows, cols])
