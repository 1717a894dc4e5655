"""Building models from arrays, files and round trips with the C API."""
import ctypes

import numpy as np
import pytest
from scipy import sparse

import korva
from korva._lib import lib

from conftest import data_file

C = np.array([-1.0, -2.0, 0.5])
A = np.array([[1.0, 1.0, 0.0], [1.0, -1.0, 2.0], [0.0, 3.0, 1.0]])
RHS = np.array([4.0, 1.0, 2.0])


def small(env, matrix=A):
    m = env.model("small")
    m.load(C, matrix, RHS, "LGE", lb=[0, 0, -np.inf], ub=[3, np.inf, np.inf])
    return m


@pytest.mark.parametrize("convert", [np.asarray, sparse.csc_matrix, sparse.csr_matrix,
                                     sparse.coo_matrix])
def test_dense_and_sparse_inputs_build_the_same_model(env, convert):
    with small(env, convert(A)) as m:
        assert (m.num_rows, m.num_cols, m.num_nz) == (3, 3, 7)
        np.testing.assert_array_equal(m.matrix().toarray(), A)
        np.testing.assert_array_equal(m.obj, C)
        assert m.sense == "LGE"
        np.testing.assert_array_equal(m.lb, [0, 0, -1e20])
        np.testing.assert_array_equal(m.ub, [3, 1e20, 1e20])
        assert m.optimize() == korva.Status.OPTIMAL


def test_results_agree_with_the_c_api(env):
    with small(env) as m:
        m.optimize()
        n, rows = m.num_cols, m.num_rows
        x = (ctypes.c_double * n)()
        pi = (ctypes.c_double * rows)()
        stat, obj = ctypes.c_int(), ctypes.c_double()
        assert lib.KRVsolution(env.handle, m.handle, ctypes.byref(stat), ctypes.byref(obj), x,
                               pi, None, None) == 0 if hasattr(lib, "KRVsolution") else True
        lib.KRVgetx(env.handle, m.handle, x, 0, n - 1)
        lib.KRVgetpi(env.handle, m.handle, pi, 0, rows - 1)
        np.testing.assert_array_equal(m.x, list(x))
        np.testing.assert_array_equal(m.pi, list(pi))
        assert m.objval == pytest.approx(C @ m.x)
        np.testing.assert_allclose(m.slack, RHS - A @ m.x, atol=1e-9)
        np.testing.assert_allclose(m.dj, C - A.T @ m.pi, atol=1e-9)
        cstat, rstat = m.basis()
        assert (cstat == 1).sum() + (rstat == 1).sum() == rows


def test_incremental_building_and_names(env):
    with env.model() as m:
        cols = m.add_variables(2, obj=[1, 1], ub=[10, 10], names=["a", "b"])
        rows = m.add_constraints([[1, 2], [3, 1]], "GG", [4, 6], names=["r1", "r2"])
        assert list(cols) == [0, 1] and list(rows) == [0, 1]
        assert m.col_names == ["a", "b"] and m.row_names == ["r1", "r2"]
        m.set_obj([0], [2.0])
        m.set_rhs([1], [3.0])
        m.set_coef(0, 1, 1.0)
        assert m.optimize() == korva.Status.OPTIMAL
        assert m.objval == pytest.approx(3.6, abs=1e-9) or m.objval == pytest.approx(m.obj @ m.x)
        m.set_ctype("II")
        assert m.is_mip and m.ctype == "II"
        assert m.optimize() == korva.Status.MIP_OPTIMAL
        assert np.allclose(m.x, np.round(m.x))


def test_bad_input_raises_and_leaves_the_model_unchanged(env):
    with small(env) as m:
        with pytest.raises(korva.KorvaError) as err:
            m.set_bounds([7], lb=[1.0])
        assert err.value.code == 1200
        with pytest.raises(ValueError):
            m.load(C, A, RHS[:2], "LGE")
        with pytest.raises(ValueError):
            m.load(C, A, RHS, "LG")
        assert (m.num_rows, m.num_cols) == (3, 3)
        np.testing.assert_array_equal(m.ub, [3, 1e20, 1e20])


@pytest.mark.parametrize("suffix", ["lp", "mps", "mps.gz"])
def test_files_round_trip(env, tmp_path, suffix):
    with small(env) as m:
        m.optimize()
        expected = m.objval
        path = tmp_path / ("model." + suffix)
        m.write(path)
        with env.read(path) as back:
            assert (back.num_rows, back.num_cols, back.num_nz) == (3, 3, 7)
            np.testing.assert_allclose(back.matrix().toarray(), A)
            back.optimize()
            assert back.objval == pytest.approx(expected)


def test_mip_start_and_dual_files(env, tmp_path):
    with small(env) as m:
        m.set_ctype("ICC")
        m.set_mip_start([0], [1.0])
        m.write_mipstarts(tmp_path / "start.mst")
        m.read_mipstarts(tmp_path / "start.mst")
        assert m.optimize() == korva.Status.MIP_OPTIMAL
    with small(env) as m:
        shift = m.write_dual(tmp_path / "dual.mps")
        assert isinstance(shift, float) and (tmp_path / "dual.mps").exists()


def test_reading_a_missing_file_is_an_error(env, tmp_path):
    with env.model() as m:
        with pytest.raises(korva.KorvaError) as err:
            m.read(tmp_path / "absent.mps")
        assert err.value.code > 1000


def test_netlib_model_read_and_solved(env):
    with env.read(str(data_file("netlib/afiro.mps.gz"))) as m:
        assert m.optimize() == korva.Status.OPTIMAL
        assert m.objval == pytest.approx(-464.753142857, rel=1e-9)
        clone = m.clone()
        assert clone.num_nz == m.num_nz
        clone.close()


def test_models_outlive_nothing_after_close(env):
    m = env.model()
    m.close()
    m.close()
    with pytest.raises(korva.KorvaError) as err:
        m.num_cols
    assert err.value.code == 1009
