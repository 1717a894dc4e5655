#!/usr/bin/python3
"""Creates and frees a million small models from Python and reports the
resident memory along the way: it must not grow (no handle leaks).
  KORVA_LIBRARY=build/libkorva.so /usr/bin/python3 bench/python_million_models.py [COUNT]
"""
import gc
import pathlib
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "python"))
import korva  # noqa: E402


def resident_kib():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * 4


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 10**6
    step = max(count // 10, 1)
    start = time.perf_counter()
    with korva.Env() as env:
        for k in range(count):
            if k % step == 0:
                gc.collect()
                print("%8d models  resident %7d KiB  %.1f s" % (k, resident_kib(),
                                                             time.perf_counter() - start),
                      flush=True)
            with env.model() as m:
                m.load([1.0, 2.0], [[1.0, 1.0]], [1.0], "G")
    gc.collect()
    print("%8d models  resident %7d KiB  %.1f s" % (count, resident_kib(),
                                                 time.perf_counter() - start))


if __name__ == "__main__":
    main()
