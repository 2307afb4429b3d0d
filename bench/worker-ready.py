#!/usr/bin/env python3
"""How soon a picture worker is ready: from its spawn to its ready message, for each worker given, in turns.

usage: worker-ready.py WORKER...   (ROUNDS=n spawns of each, default 60)

Each worker is spawned as the application spawns it (its socket as descriptor 3, a session of its own, a
small environment), then killed once it has said it is ready.
"""
import os
import signal
import socket
import statistics
import sys
import time


def main():
    workers = sys.argv[1:]
    if not workers:
        sys.exit(__doc__)
    env = {k: v for k, v in os.environ.items() if k in ("HOME", "LANG", "XDG_CACHE_HOME", "XDG_DATA_DIRS")}
    null = os.open("/dev/null", os.O_RDWR)
    times = {w: [] for w in workers}
    for _ in range(int(os.environ.get("ROUNDS", "60"))):
        for worker in workers:
            mine, theirs = socket.socketpair()
            start = time.perf_counter()
            pid = os.posix_spawn(worker, [worker, "--memory", str(1 << 30)], env, setsid=True,
                                 file_actions=[(os.POSIX_SPAWN_DUP2, theirs.fileno(), 3)] +
                                 [(os.POSIX_SPAWN_DUP2, null, fd) for fd in (0, 1, 2)])
            theirs.close()
            ready = mine.recv(1)
            times[worker].append((time.perf_counter() - start) * 1000)
            os.kill(pid, signal.SIGKILL)
            os.waitpid(pid, 0)
            mine.close()
            if not ready:
                sys.exit(worker + " ended before it was ready")
    for worker in workers:
        t = sorted(times[worker])
        print(f"{worker}: ready after median {statistics.median(t):.1f} ms "
              f"(p10 {t[len(t) // 10]:.1f}, p90 {t[len(t) * 9 // 10]:.1f})")


main()
