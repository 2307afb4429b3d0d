#!/usr/bin/env python3
"""Times commands in turns: every round runs each command once, starting one further along each
round, so that load that comes and goes on the machine falls on all alike (one after the other, the
first command's runs and the last's can meet different machines). Prints median, min and max per
command and writes them as JSON (hyperfine's "results" layout: command, median, min).

Usage: turns.py ROUNDS JSON NAME=COMMAND...   (WARMUP=n untimed rounds first, default 1;
PREPARE=command run before every timed run, e.g. to drop the caches)"""
import json
import os
import shlex
import statistics
import subprocess
import sys
import time


def main():
    rounds, out = int(sys.argv[1]), sys.argv[2]
    commands = [arg.split("=", 1) for arg in sys.argv[3:]]
    warmup = int(os.environ.get("WARMUP", "1"))
    prepare = os.environ.get("PREPARE")
    times = {name: [] for name, _ in commands}
    for round_ in range(warmup + rounds):
        shift = round_ % len(commands)
        for name, command in commands[shift:] + commands[:shift]:
            if prepare:
                subprocess.run(prepare, shell=True, check=True)
            start = time.perf_counter()
            subprocess.run(shlex.split(command), stdout=subprocess.DEVNULL, check=True)
            if round_ >= warmup:
                times[name].append(time.perf_counter() - start)
    results = []
    for name, runs in times.items():
        median = statistics.median(runs)
        results.append({"command": name, "median": median, "min": min(runs), "max": max(runs)})
        print("%-10s median %.3f s, min %.3f s, max %.3f s (%d runs)" % (name, median, min(runs), max(runs), len(runs)))
    with open(out, "w") as f:
        json.dump({"results": results}, f)


if __name__ == "__main__":
    main()
