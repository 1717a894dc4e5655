"""The one exception class of the package: the library's error code and text."""
import ctypes

from ._lib import lib


class KorvaError(Exception):
    """An error reported by libkorva.

    ``code`` is the library's error code and ``message`` its text, exactly as
    KRVgeterrorstring gives it (without the "KORVA Error" prefix and the final
    period); ``str(error)`` is the whole line the library prints.
    """

    def __init__(self, code, env_handle=None):
        self.code = int(code)
        self.line = error_line(self.code, env_handle)
        self.message = _strip(self.line)
        super().__init__(self.line)


def error_line(code, env_handle=None):
    buf = ctypes.create_string_buffer(1024)
    text = lib.KRVgeterrorstring(env_handle, code, buf)
    raw = text if text is not None else buf.value
    return raw.decode("latin-1").rstrip("\n") or "KORVA Error %5d: Unknown error code." % code


def _strip(line):
    head, sep, tail = line.partition(": ")
    body = tail if sep else head
    return body[:-1] if body.endswith(".") else body


def check(status, env_handle=None):
    """Raises KorvaError for a non-zero status of a library call."""
    if status:
        raise KorvaError(status, env_handle)
