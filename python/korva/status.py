"""Solution statuses, with the library's own texts."""
import ctypes
import enum

from ._lib import lib


_TEXT_ENV = []


def _text_env():
    """An environment kept for the process to look status texts up in."""
    if not _TEXT_ENV:
        status = ctypes.c_int(0)
        _TEXT_ENV.append(lib.KRVopenKORVA(ctypes.byref(status)))
    return _TEXT_ENV[0]


class Status(enum.IntEnum):
    """Outcome of an optimisation; ``text`` is the library's status text."""

    UNKNOWN = 0
    OPTIMAL = 1
    UNBOUNDED = 2
    INFEASIBLE = 3
    INF_OR_UNBD = 4
    OPTIMAL_INFEAS = 5
    NUM_BEST = 6
    ABORT_IT_LIM = 10
    ABORT_TIME_LIM = 11
    ABORT_OBJ_LIM = 12
    ABORT_USER = 13
    FEASIBLE = 23
    ABORT_DETTIME_LIM = 25
    MIP_OPTIMAL = 101
    MIP_OPTIMAL_TOL = 102
    MIP_INFEASIBLE = 103
    MIP_SOL_LIM = 104
    MIP_NODE_LIM_FEAS = 105
    MIP_NODE_LIM_INFEAS = 106
    MIP_TIME_LIM_FEAS = 107
    MIP_TIME_LIM_INFEAS = 108
    MIP_FAIL_FEAS = 109
    MIP_FAIL_INFEAS = 110
    MIP_MEM_LIM_FEAS = 111
    MIP_MEM_LIM_INFEAS = 112
    MIP_ABORT_FEAS = 113
    MIP_ABORT_INFEAS = 114
    MIP_OPTIMAL_INFEAS = 115
    MIP_FAIL_FEAS_NO_TREE = 116
    MIP_FAIL_INFEAS_NO_TREE = 117
    MIP_UNBOUNDED = 118
    MIP_INF_OR_UNBD = 119
    MIP_FEASIBLE = 127
    MIP_POPULATE_LIM = 128
    MIP_ENUM_OPTIMAL = 129
    MIP_ENUM_TOL = 130
    MIP_DETTIME_LIM_FEAS = 131
    MIP_DETTIME_LIM_INFEAS = 132
    MIP_ABORT_IT_LIM_FEAS = 133
    MIP_ABORT_IT_LIM_INFEAS = 134

    @classmethod
    def _missing_(cls, value):
        # Statuses this enum does not name (relaxations, conflicts) still
        # come back as members, so comparisons with ints keep working.
        member = int.__new__(cls, value)
        member._name_ = "STATUS_%d" % value
        member._value_ = value
        return member

    @property
    def text(self):
        buf = ctypes.create_string_buffer(1024)
        lib.KRVgetstatstring(_text_env(), int(self), buf)
        return buf.value.decode("latin-1")

    @property
    def is_mip(self):
        return self >= 101

    @property
    def has_optimum(self):
        return self in (Status.OPTIMAL, Status.MIP_OPTIMAL, Status.MIP_OPTIMAL_TOL,
                        Status.MIP_ENUM_OPTIMAL)

    def __str__(self):
        return self.text
