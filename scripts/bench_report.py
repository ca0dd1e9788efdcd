"""Prints the benchmark table of scripts/bench from the goals file and the JSON results."""
import json
import os
import sys


def load(folder):
    results = {}
    for name in os.listdir(folder):
        if name.endswith(".json"):
            with open(os.path.join(folder, name)) as f:
                data = json.load(f)
            results[name[:-5]] = {b["name"]: b for b in data.get("benchmarks", [])
                                  if b.get("run_type", "iteration") == "iteration"}
    return results


def lookup(found, name):
    """The run of benchmark name: the exact name, or the name with its decorations
    ("/iterations:15/manual_time", "/real_time")."""
    if name in found:
        return found[name]
    return next((b for n, b in found.items() if n.startswith(name + "/")), None)


def time_ns(b):
    """The time Google Benchmark reports for the run: wall time where the benchmark asked
    for it (real or manual time), else the process's CPU time, which a busy machine
    disturbs less."""
    scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[b.get("time_unit", "ns")]
    wall = "/real_time" in b["name"] or "/manual_time" in b["name"]
    return (b["real_time"] if wall else b["cpu_time"]) * scale


def show_time(ns):
    for unit, div in (("s", 1e9), ("ms", 1e6), ("µs", 1e3)):
        if ns >= div:
            return "%.3g %s" % (ns / div, unit)
    return "%.3g ns" % ns


def meets(value, goal):
    if goal == "-":
        return ""
    op, limit = goal.split()
    limit = float(limit)
    ok = value <= limit if op == "<=" else abs(value - limit) < 1e-9
    return "met" if ok else "MISSED"


def main(goals_path, folder):
    results = load(folder)
    rows = [("measure", "figure", "floor or peer", "ratio", "goal", "")]
    for line in open(goals_path, encoding="utf-8"):
        if not line.strip() or line.startswith("#"):
            continue
        measure, program, bench, against, kind, goal = line.rstrip("\n").split("\t")
        found = results.get(program, {})
        b = lookup(found, bench)
        if b is None:
            rows.append((measure, "not run", "", "", goal, ""))
            continue
        if kind == "time":
            ns = time_ns(b)
            if goal == "-":
                rows.append((measure, show_time(ns), "", "", goal, ""))
                continue
            op, limit, unit = goal.split()
            limit_ns = float(limit) * {"s": 1e9, "ms": 1e6, "us": 1e3, "µs": 1e3, "ns": 1}[unit]
            ok = ns <= limit_ns if op == "<=" else False
            rows.append((measure, show_time(ns), "", "", goal, "met" if ok else "MISSED"))
            continue
        if kind == "counter":
            value = b.get(against)
            if value is None:
                rows.append((measure, show_time(time_ns(b)), "no counter " + against, "", goal, ""))
                continue
            rows.append((measure, show_time(time_ns(b)), against, "%.3g" % value, goal, meets(value, goal)))
            continue
        a = lookup(found, against)
        if a is None:
            rows.append((measure, show_time(time_ns(b)), against + " not run", "", goal, ""))
            continue
        ratio = time_ns(b) / time_ns(a)
        rows.append((measure, show_time(time_ns(b)), "%s %s" % (against, show_time(time_ns(a))),
                     "%.2f×" % ratio, goal, meets(ratio, goal)))
    widths = [max(len(r[i]) for r in rows) for i in range(len(rows[0]))]
    for r in rows:
        print("  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip())


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
