"""The environment: parameters, the log and the lifetime of every model in it."""
import ctypes
import logging
import weakref

from . import _lib
from ._handle import OwnsHandle
from ._lib import lib
from .errors import KorvaError, check

_INT_MAX = 2**31 - 1
_LONG_MAX = 2**63 - 1
_PARAM_PREFIX = "KRV_PARAM_"
_TYPE_INT, _TYPE_DOUBLE, _TYPE_STRING, _TYPE_LONG = 1, 2, 3, 4


def _clamp(value, limit):
    # Out-of-range integers go to the library as its nearest representable
    # value, so that it, not ctypes, reports "Parameter value too big/small".
    return max(-limit - 1, min(limit, int(value)))


class Params:
    """Parameters by name: ``env.params.EPRHS = 1e-7``, ``env.params["KRV_PARAM_EPRHS"]``
    or ``env.params[1016]``. The library checks every value against its range."""

    __slots__ = ("_env",)

    def __init__(self, env):
        object.__setattr__(self, "_env", env)

    def number(self, key):
        """The parameter number of a name (with or without KRV_PARAM_) or number."""
        if isinstance(key, int):
            return key
        name = key if key.startswith(_PARAM_PREFIX) else _PARAM_PREFIX + key
        num = ctypes.c_int()
        status = lib.KRVgetparamnum(self._env._live(), name.encode("latin-1"), ctypes.byref(num))
        check(status, self._env._handle)
        return num.value

    def _type(self, num):
        kind = ctypes.c_int()
        check(lib.KRVgetparamtype(self._env._live(), num, ctypes.byref(kind)), self._env._handle)
        if kind.value == 0:
            raise KorvaError(1013, self._env._handle)
        return kind.value

    def __getitem__(self, key):
        num = self.number(key)
        kind = self._type(num)
        env = self._env._live()
        if kind == _TYPE_STRING:
            buf = ctypes.create_string_buffer(512)
            check(lib.KRVgetstrparam(env, num, buf), env)
            return buf.value.decode("latin-1")
        holder = {_TYPE_INT: ctypes.c_int, _TYPE_LONG: ctypes.c_longlong,
                  _TYPE_DOUBLE: ctypes.c_double}[kind]()
        getter = {_TYPE_INT: lib.KRVgetintparam, _TYPE_LONG: lib.KRVgetlongparam,
                  _TYPE_DOUBLE: lib.KRVgetdblparam}[kind]
        check(getter(env, num, ctypes.byref(holder)), env)
        return holder.value

    def __setitem__(self, key, value):
        num = self.number(key)
        kind = self._type(num)
        env = self._env._live()
        if kind == _TYPE_STRING:
            status = lib.KRVsetstrparam(env, num, str(value).encode("latin-1"))
        elif kind == _TYPE_DOUBLE:
            status = lib.KRVsetdblparam(env, num, float(value))
        else:
            if isinstance(value, float) and not value.is_integer():
                raise TypeError("parameter %s takes an integer, not %r" % (key, value))
            if kind == _TYPE_INT:
                status = lib.KRVsetintparam(env, num, _clamp(value, _INT_MAX))
            else:
                status = lib.KRVsetlongparam(env, num, _clamp(value, _LONG_MAX))
        check(status, env)

    def __getattr__(self, name):
        if name.startswith("_"):
            raise AttributeError(name)
        return self[name]

    def __setattr__(self, name, value):
        self[name] = value

    def info(self, key):
        """(default, minimum, maximum) of a numeric parameter; (default,) of a string one."""
        num = self.number(key)
        kind = self._type(num)
        env = self._env._live()
        if kind == _TYPE_STRING:
            buf = ctypes.create_string_buffer(512)
            check(lib.KRVinfostrparam(env, num, buf), env)
            return (buf.value.decode("latin-1"),)
        ctype = {_TYPE_INT: ctypes.c_int, _TYPE_LONG: ctypes.c_longlong,
                 _TYPE_DOUBLE: ctypes.c_double}[kind]
        info = {_TYPE_INT: lib.KRVinfointparam, _TYPE_LONG: lib.KRVinfolongparam,
                _TYPE_DOUBLE: lib.KRVinfodblparam}[kind]
        d, lo, hi = ctype(), ctype(), ctype()
        check(info(env, num, ctypes.byref(d), ctypes.byref(lo), ctypes.byref(hi)), env)
        return d.value, lo.value, hi.value

    def name(self, number):
        buf = ctypes.create_string_buffer(512)
        check(lib.KRVgetparamname(self._env._live(), number, buf), self._env._handle)
        return buf.value.decode("latin-1")

    def reset(self):
        """All parameters back to their defaults."""
        check(lib.KRVsetdefaults(self._env._live()), self._env._handle)

    def write(self, path):
        check(lib.KRVwriteparam(self._env._live(), _path(path)), self._env._handle)

    def read(self, path):
        check(lib.KRVreadcopyparam(self._env._live(), _path(path)), self._env._handle)


def _path(path):
    import os
    return os.fsencode(path)


class _LogRoute:
    """Function destinations on the four standard channels."""

    # results, warning, error, log
    LEVELS = (logging.INFO, logging.WARNING, logging.ERROR, logging.DEBUG)

    def __init__(self, env, target):
        self.env = env
        self.target = target
        self.pending = ["", "", "", ""]
        self.funcs = []
        self.channels = []

    def attach(self):
        chans = [ctypes.c_void_p() for _ in range(4)]
        check(lib.KRVgetchannels(self.env, *[ctypes.byref(c) for c in chans]), self.env)
        for index, chan in enumerate(chans):
            func = _lib.MSGFUNC(self._receiver(index))
            check(lib.KRVaddfuncdest(self.env, chan, None, func), self.env)
            self.funcs.append(func)
            self.channels.append(chan)

    def detach(self):
        for chan, func in zip(self.channels, self.funcs):
            lib.KRVdelfuncdest(self.env, chan, None, func)
        self.flush()
        self.funcs, self.channels = [], []

    def _receiver(self, index):
        level = self.LEVELS[index]

        def receive(_handle, message):
            text = message.decode("latin-1") if message else ""
            if not isinstance(self.target, logging.Logger):
                self.target(text)
                return
            # A logger wants whole lines; the library may send pieces.
            text = self.pending[index] + text
            *lines, self.pending[index] = text.split("\n")
            for line in lines:
                self.target.log(level, "%s", line)
        return receive

    def flush(self):
        if isinstance(self.target, logging.Logger):
            for index, rest in enumerate(self.pending):
                if rest:
                    self.target.log(self.LEVELS[index], "%s", rest)
        self.pending = ["", "", "", ""]


class Env(OwnsHandle):
    """A libkorva environment. Use it as a context manager, or call close().

    ``log`` routes the library's output: a ``logging.Logger``, ``True`` for
    the logger named "korva", or any callable that takes a text.
    """

    def __init__(self, log=None, **params):
        status = ctypes.c_int(0)
        handle = lib.KRVopenKORVA(ctypes.byref(status))
        if not handle:
            raise KorvaError(status.value or 1001)
        self._handle = handle
        self._models = weakref.WeakSet()
        self._log = None
        self._callbacks = {}
        self.params = Params(self)
        if log is not None:
            self.set_log(log)
        for name, value in params.items():
            self.params[name] = value

    def _live(self):
        if self._handle is None:
            raise KorvaError(1002)
        return self._handle

    @property
    def handle(self):
        """The raw KRVenv handle (for calling the C API directly)."""
        return self._live()

    @property
    def version(self):
        return lib.KRVversion(self._live()).decode("latin-1")

    def set_log(self, target):
        """Routes the library's messages to a logger or callable; None stops it."""
        env = self._live()
        if self._log is not None:
            self._log.detach()
            self._log = None
        if target is None or target is False:
            return
        if target is True:
            target = logging.getLogger("korva")
        if not (isinstance(target, logging.Logger) or callable(target)):
            raise TypeError("log must be a logging.Logger, True or a callable")
        route = _LogRoute(env, target)
        route.attach()
        self._log = route

    def model(self, name="", **kwargs):
        from .model import Model
        return Model(self, name, **kwargs)

    def read(self, path, filetype=None):
        """A new model holding the contents of a model file."""
        m = self.model()
        try:
            m.read(path, filetype)
        except BaseException:
            m.close()
            raise
        return m

    def close(self):
        """Frees the environment and every model still open in it."""
        if self._handle is None:
            return
        for model in list(self._models):
            model._free()
        if self._log is not None:
            self._log.flush()
        handle = ctypes.c_void_p(self._handle)
        self._handle = None
        lib.KRVcloseKORVA(ctypes.byref(handle))
        self._log = None
        self._callbacks.clear()

