"""Every function the package calls is declared with the header's exact types."""
import ctypes
import os
import pathlib
import re

from korva import _lib

HEADER = pathlib.Path(os.environ.get(
    "KORVA_HEADER", pathlib.Path(__file__).resolve().parents[2] / "include/korva/korva.h"))

_PROTOTYPE = re.compile(r"KRVAPI\s+([^;]*?)\b(KRV\w+)\s*\(([^;]*?)\)\s*(?:__attribute__[^;]*)?;",
                        re.S)
_FUNCTION_TYPEDEF = re.compile(r"typedef\s+[^;(]*\(\s*\*\s*(KRV\w+)\s*\)")

# Scalar and handle types of the header, by their C spelling.
_BASE = {
    "int": ctypes.c_int, "long long": ctypes.c_longlong, "double": ctypes.c_double,
    "size_t": ctypes.c_size_t, "void": None, "KRVenv": ctypes.c_void_p,
    "KRVprob": ctypes.c_void_p, "KRVnet": ctypes.c_void_p, "KRVchannel": ctypes.c_void_p,
    "FILE": None,
}
_CALLBACK_TYPES = {
    "KRVmsgfunc": _lib.MSGFUNC, "KRVcallbackfunc": _lib.CALLBACKFUNC,
    "KRVcutcallbackfunc": _lib.CUTCALLBACKFUNC,
    "KRVincumbentcallbackfunc": _lib.INCUMBENTCALLBACKFUNC,
}


def _strip_comments(text):
    return re.sub(r"/\*.*?\*/", " ", re.sub(r"//[^\n]*", " ", text), flags=re.S)


def parse_header():
    text = _strip_comments(HEADER.read_text())
    text = re.sub(r"#[^\n]*", " ", text)     # preprocessor lines
    return {name: (ret, args) for ret, name, args in _PROTOTYPE.findall(text)}


def _expected(c_type, callback_names):
    """The ctypes type that carries a C declaration (without its name)."""
    spelled = re.sub(r"\b(const|volatile)\b", " ", c_type)
    stars = spelled.count("*")
    base = " ".join(spelled.replace("*", " ").split())
    if base in callback_names:
        assert stars == 0, c_type
        return _CALLBACK_TYPES[base]
    if base == "char":
        if stars == 1:
            # Text in and out; an output buffer is passed as a char array.
            return (ctypes.c_char_p, ctypes.POINTER(ctypes.c_char))
        if stars == 2:
            return ctypes.POINTER(ctypes.c_char_p)
        return ctypes.c_int if stars == 0 else None
    if base in ("void", "FILE") and stars >= 1:
        return ctypes.c_void_p if stars == 1 else ctypes.POINTER(ctypes.c_void_p)
    t = _BASE[base]
    for _ in range(stars):
        t = ctypes.POINTER(t)
    return t


def _split_params(args):
    args = args.strip()
    if args in ("", "void"):
        return []
    out = []
    for param in args.split(","):
        param = param.strip()
        if param == "...":
            out.append("...")
            continue
        # Drop the parameter's name: the last identifier not followed by '*'.
        m = re.match(r"(.*?[\s*])(\w+)$", param)
        out.append(m.group(1).strip())
    return out


def _same(expected, actual):
    if isinstance(expected, tuple):
        return actual in expected
    return expected is actual


def test_every_declared_function_matches_its_prototype():
    header = parse_header()
    callback_names = set(_FUNCTION_TYPEDEF.findall(_strip_comments(HEADER.read_text())))
    assert len(header) > 300, "the header parser found too few prototypes"
    problems = []
    for name, (restype, argtypes) in _lib.SIGNATURES.items():
        if name not in header:
            problems.append("%s is not declared in korva.h" % name)
            continue
        ret, args = header[name]
        params = _split_params(args)
        expected_ret = _expected(ret, callback_names)
        if ret.strip() in ("const char *", "char *", "const char*", "char*"):
            expected_ret = ctypes.c_char_p
        if not _same(expected_ret, restype):
            problems.append("%s returns %s, declared %s" % (name, ret, restype))
        if len(params) != len(argtypes):
            problems.append("%s takes %d arguments, declared %d" % (name, len(params),
                                                                    len(argtypes)))
            continue
        for k, (param, actual) in enumerate(zip(params, argtypes)):
            if not _same(_expected(param, callback_names), actual):
                problems.append("%s argument %d is '%s', declared %s" % (name, k, param,
                                                                        actual))
    assert not problems, "\n".join(problems)


def test_loaded_functions_carry_the_table():
    for name, (restype, argtypes) in _lib.SIGNATURES.items():
        fn = getattr(_lib.lib, name)
        assert fn.restype is restype and list(fn.argtypes) == list(argtypes), name


def test_the_parser_reads_known_prototypes():
    header = parse_header()
    ret, args = header["KRVLcopylp"]
    assert ret.strip() == "int"
    params = _split_params(args)
    assert params[8] == "const long long *" and params[9] == "const int *"
    assert _split_params(header["KRVcutcallbackadd"][1])[5] == "int"
