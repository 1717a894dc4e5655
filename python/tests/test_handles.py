"""Handles are freed: creating and freeing many small models does not grow
the process (bench/python_million_models.py runs the full million)."""
import gc

import korva


def resident_kib():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * 4


def churn(env, count):
    for _ in range(count):
        with env.model() as m:
            m.load([1.0, 2.0], [[1.0, 1.0]], [1.0], "G")


def test_many_small_models_do_not_grow_memory():
    with korva.Env() as env:
        churn(env, 3000)                      # warm up allocators and caches
        gc.collect()
        before = resident_kib()
        churn(env, 20000)
        gc.collect()
        grown = resident_kib() - before
    # A leak of one model (handle plus arrays) per iteration would be
    # megabytes here; allow some allocator noise.
    assert grown < 2048, "resident memory grew by %d KiB" % grown


def test_environments_and_unclosed_models_are_freed():
    with korva.Env() as env:
        env.model().load([1.0], None, None)
    gc.collect()
    before = resident_kib()
    for _ in range(2000):
        env = korva.Env()
        env.model().load([1.0], None, None)   # left open: the environment frees it
        env.close()
    gc.collect()
    assert resident_kib() - before < 4096
