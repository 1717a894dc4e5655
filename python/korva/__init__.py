"""Python access to libkorva: environments, models, MIP callbacks and
SciPy-style ``linprog``/``milp`` entry points.

    import korva
    with korva.Env() as env, env.model() as m:
        m.load(c, A, rhs, "LLG")
        m.optimize()
        print(m.status.text, m.objval, m.x)
"""
from .callbacks import CallbackContext
from .env import Env, Params
from .errors import KorvaError
from .model import MAXIMIZE, MINIMIZE, Model
from .scipy_api import linprog, milp
from .status import Status

__all__ = ["CallbackContext", "Env", "KorvaError", "MAXIMIZE", "MINIMIZE", "Model", "Params",
           "Status", "linprog", "milp", "read"]


def read(path, filetype=None, env=None):
    """Reads a model file into a new Model (in a new Env unless one is given)."""
    return (env or Env()).read(path, filetype)
