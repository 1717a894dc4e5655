"""Environments, parameters, errors and the log."""
import logging

import pytest

import korva


def test_parameters_by_name_number_and_full_name(env):
    assert env.params.EPRHS == pytest.approx(1e-6)
    env.params.EPRHS = 1e-7
    assert env.params["KRV_PARAM_EPRHS"] == pytest.approx(1e-7)
    assert env.params[1016] == pytest.approx(1e-7)
    env.params.THREADS = 1
    env.params.ITLIM = 12345678901       # a 64-bit parameter
    assert env.params.ITLIM == 12345678901
    env.params.WORKDIR = "/tmp"
    assert env.params.WORKDIR == "/tmp"
    assert env.params.info("EPRHS") == (1e-6, 1e-9, 0.1)
    assert env.params.name(1016) == "KRV_PARAM_EPRHS"
    env.params.reset()
    assert env.params.EPRHS == pytest.approx(1e-6)


def test_ranges_are_checked_by_the_library(env):
    with pytest.raises(korva.KorvaError) as err:
        env.params.EPRHS = 0.5
    assert err.value.code == 1015
    assert err.value.message == "Parameter value too big"
    assert str(err.value) == "KORVA Error  1015: Parameter value too big."
    with pytest.raises(korva.KorvaError) as err:
        env.params.PREIND = -1
    assert err.value.code == 1014
    with pytest.raises(korva.KorvaError) as err:
        env.params.SCRIND = 2**40          # beyond an int: still the library's verdict
    assert err.value.code == 1015
    assert env.params.EPRHS == pytest.approx(1e-6)


def test_unknown_parameter_names_and_numbers(env):
    with pytest.raises(korva.KorvaError) as err:
        env.params.NOSUCHTHING = 1
    assert err.value.code == 1028
    with pytest.raises(korva.KorvaError) as err:
        env.params[999] = 1
    assert err.value.code == 1013
    with pytest.raises(TypeError):
        env.params.THREADS = 1.5


def test_parameter_files_round_trip(env, tmp_path):
    env.params.EPOPT = 1e-8
    env.params.NODELIM = 77
    path = tmp_path / "settings.prm"
    env.params.write(path)
    with korva.Env() as other:
        other.params.read(path)
        assert other.params.EPOPT == pytest.approx(1e-8)
        assert other.params.NODELIM == 77


def test_closed_environment_raises_no_environment():
    env = korva.Env()
    model = env.model()
    env.close()
    assert env.closed and model.closed
    with pytest.raises(korva.KorvaError) as err:
        env.params.EPRHS = 1e-7
    assert err.value.code == 1002
    with pytest.raises(korva.KorvaError):
        model.num_cols
    env.close()                                  # closing twice is harmless


def test_log_to_a_callable_and_to_logging(env, caplog):
    seen = []
    env.set_log(seen.append)
    with env.model() as m:
        m.load([1.0], [[1.0]], [1.0], "G")
        env.params.SIMDISPLAY = 2
        m.optimize()
        with pytest.raises(korva.KorvaError):
            m.set_bounds([5], lb=[0.0])
    text = "".join(seen)
    assert "KORVA Error  1200" in text
    env.set_log(logging.getLogger("korva.test"))
    with caplog.at_level(logging.INFO, logger="korva.test"):
        with pytest.raises(korva.KorvaError):
            env.params.EPRHS = 1.0
    errors = [r for r in caplog.records if r.levelno == logging.ERROR]
    assert [r.getMessage() for r in errors] == ["KORVA Error  1015: Parameter value too big."]
    env.set_log(None)


def test_status_enum_carries_the_library_texts():
    assert korva.Status.OPTIMAL.text == "optimal"
    assert str(korva.Status.MIP_OPTIMAL) == "integer optimal solution"
    assert korva.Status(108).text == "time limit exceeded, no integer solution"
    assert korva.Status(14) == 14          # statuses the enum does not name still work
