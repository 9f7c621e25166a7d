#!/usr/bin/env python3
"""Turns the benchmark program's JSON output into one table.

Benchmarks are named ROW/IMPL/SIZE (see bench_common.h). For every peer (an
IMPL other than "ours", carrying the counter "target") the table shows ours
and the peer in Mpixel/s, the ratio ours/peer and whether it reaches the
target; the clock rows show microseconds against their "limit_us". Where ours
carries the counter "memcpy_bytes", the column "of memory" is the share of
the memory-bound rate it reaches: the time of MemoryBound/memcpy/BYTES (a
memcpy with the same memory traffic) over ours. With repetitions the fastest
of each is used. Exit code 1 when any benchmark failed.
"""
import json
import os
import sys

SIZE_ORDER = ["1920x1080", "256x256"]


def load(path):
    """Best repetition of each benchmark: on a shared machine interference
    only ever slows a run down, so the fastest one is the least disturbed."""
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    results, errors = {}, {}
    for r in runs:
        name = r.get("run_name", r["name"])
        if r.get("error_occurred"):
            errors[name] = r.get("error_message", "failed")
            continue
        if r.get("run_type", "iteration") != "iteration":
            continue
        best = results.get(name)
        if best is None or r["cpu_time"] < best["cpu_time"]:
            results[name] = r
    return results, errors


def split(name):
    parts = name.split("/")
    return parts[0], parts[1], parts[2] if len(parts) > 2 else ""


def seconds(r):
    return r["cpu_time"] * {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[r.get("time_unit", "ns")]


def memory_share(results, ours):
    """Ours' share of the rate of memcpy with the same traffic, as text."""
    if "memcpy_bytes" not in ours:
        return ""
    bound = results.get("MemoryBound/memcpy/%d" % round(ours["memcpy_bytes"]))
    return "%.2f" % (seconds(bound) / seconds(ours)) if bound else "?"


def processor():
    """The processor's name, and the library's choice of vector width when
    PIXOLAN_SIMD narrows it."""
    name = "unknown processor"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    name = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    simd = os.environ.get("PIXOLAN_SIMD")
    return name + (" (PIXOLAN_SIMD=%s)" % simd if simd else "")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: bench_table.py RESULTS.json")
    results, errors = load(sys.argv[1])
    print(processor())
    # Repetitions may run interleaved in random order: sort for a stable table.
    names = sorted(set(results) | set(errors))

    rows = {}  # size -> list of (operation, ours, peer, ratio, target, met)
    clock = []
    for name in names:
        row, impl, size = split(name)
        if impl == "ours" and size == "clock":
            r = results.get(name)
            if r is None:
                clock.append((row, "FAILED: " + errors.get(name, "no result"), "", ""))
                continue
            limit = r.get("limit_us", 0)
            scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[r.get("time_unit", "ns")]
            us = r["cpu_time"] * scale
            clock.append((row, "%.1f" % us, "< %g" % limit, "yes" if us < limit else "no"))
            continue
        if impl == "ours" or row == "MemoryBound":
            continue
        ours_name = "%s/ours/%s" % (row, size)
        operation = "%s vs %s" % (row, impl)
        failure = errors.get(ours_name) or errors.get(name)
        if failure is None and (name not in results or ours_name not in results):
            failure = "no result"
        if failure is not None:
            rows.setdefault(size, []).append((operation, "FAILED: " + failure, "", "", "", "", ""))
            continue
        ours = results[ours_name]["items_per_second"] / 1e6
        peer = results[name]["items_per_second"] / 1e6
        target = results[name].get("target", 0)
        ratio = ours / peer if peer > 0 else float("inf")
        rows.setdefault(size, []).append(
            (operation, "%.1f" % ours, "%.1f" % peer, "%.2f" % ratio, ">= %g" % target,
             "yes" if ratio >= target else "no", memory_share(results, results[ours_name])))

    header = ("operation", "ours Mpix/s", "peer Mpix/s", "ratio", "target", "met", "of memory")
    sizes = [s for s in SIZE_ORDER if s in rows] + sorted(s for s in rows if s not in SIZE_ORDER)
    table = []
    for size in sizes:
        table.append(("[%s]" % size, "", "", "", "", "", ""))
        table.extend(rows[size])
    if clock:
        table.append(("[clock, microseconds]", "time us", "limit us", "", "", "met", ""))
        table.extend((op, t, limit, "", "", met, "") for op, t, limit, met in clock)
    fitted = [header] + [line for line in table if not str(line[1]).startswith("FAILED")]
    widths = [max(len(str(line[i])) for line in fitted) for i in range(len(header))]
    for line in [header] + table:
        # Failure texts run past the columns instead of widening them.
        if str(line[1]).startswith("FAILED"):
            print(line[0].ljust(widths[0]), " ", line[1])
            continue
        print("  ".join(str(c).rjust(w) if i else str(c).ljust(w) for i, (c, w) in enumerate(zip(line, widths))))

    met = sum(1 for line in table if line[5] == "yes")
    missed = sum(1 for line in table if line[5] == "no")
    print("\ntargets met: %d, missed: %d, failed benchmarks: %d" % (met, missed, len(errors)))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
