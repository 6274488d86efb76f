#!/usr/bin/env python3
"""A production batch: one configuration written to 20 controllers by k330ctl in a shell loop,
each a fresh simulated controller. Prints the wall time per controller against the protocol's
own floor (the sum of the pauses the controller takes to store the blocks) and their ratio.

With --parallel N it writes N simulated controllers at once instead, with one
`k330ctl write --all --sim-count N`, and prints the wall time against the floor of one write
(the controllers store their blocks side by side) and the CPU time the process spent per
controller.

Usage: ctl_batch.py PATH/TO/k330ctl [--count N] [--mode N] [--parallel N] [--quick]
With --quick it writes two controllers in the loop and two at once: that checks that both run,
their figures mean little.
"""

import argparse
import os
import resource
import subprocess
import sys
import tempfile
import time


def write_floor_ms(count):
    # The block rule of the usual case (N > 66): 64-byte blocks, a shorter even last one
    # shortened by one byte; the controller stores each block for 10 ms a byte plus 10 ms.
    ms = 0
    remaining = count
    while remaining > 0:
        n = min(64, remaining)
        if n < 64 and n % 2 == 0:
            n -= 1
        ms += 10 * n + 10
        remaining -= n
    return ms


def loop_batch(ctl, image, count, mode):
    loop = ('for i in $(seq %d); do "$CTL" write --simulate --mode %d "$IMG" 2>/dev/null '
            '|| exit 1; done' % (count, mode))
    env = dict(os.environ, CTL=ctl, IMG=image)
    start = time.monotonic()
    done = subprocess.run(["sh", "-c", loop], env=env)
    wall = (time.monotonic() - start) * 1000
    if done.returncode != 0:
        print("a write failed", file=sys.stderr)
        return 1
    written = 388 if mode == 10 else 182
    floor = write_floor_ms(written)
    per = wall / count
    print("%-34s %10s %10s %7s" % ("k330ctl write batch", "ms/ctrl", "floor ms", "ratio"))
    print("%-34s %10.1f %10d %7.4f" % ("%d controllers, %d bytes" % (count, written), per, floor,
                                       per / floor))
    print("limit 1.02 x floor: %s" % ("within" if per <= 1.02 * floor else "above"))
    return 0


def parallel_batch(ctl, image, count, mode):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    done = subprocess.run([ctl, "write", "--all", "--simulate", "--sim-count", str(count),
                           "--mode", str(mode), image], stderr=subprocess.DEVNULL)
    wall = (time.monotonic() - start) * 1000
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if done.returncode != 0:
        print("the parallel write failed with status %d" % done.returncode, file=sys.stderr)
        return 1
    cpu = ((after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)) * 1000
    written = 388 if mode == 10 else 182
    floor = write_floor_ms(written)
    print("%-34s %10s %10s %7s %12s" % ("k330ctl write --all", "wall ms", "floor ms", "ratio",
                                        "CPU ms/ctrl"))
    print("%-34s %10.1f %10d %7.4f %12.1f" % ("%d controllers at once, %d bytes" % (count, written),
                                             wall, floor, wall / floor, cpu / count))
    print("limit 1.05 x floor: %s" % ("within" if wall <= 1.05 * floor else "above"))
    print("load average: %.2f %.2f %.2f" % os.getloadavg())
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("k330ctl")
    parser.add_argument("--count", type=int, default=20)
    parser.add_argument("--mode", type=int, default=1)
    parser.add_argument("--parallel", type=int, default=0, metavar="N")
    parser.add_argument("--quick", action="store_true")
    args = parser.parse_args()
    ctl = os.path.abspath(args.k330ctl)
    with tempfile.TemporaryDirectory() as tmp:
        # The records of the benchmark's writes go to a station database of its own, not to the
        # user's journal.
        os.environ["XDG_DATA_HOME"] = os.path.join(tmp, "data")
        image = os.path.join(tmp, "batch.mcd")
        subprocess.run([ctl, "new", "--model", "RA", "-o", image], check=True,
                       stderr=subprocess.DEVNULL)
        if args.quick:
            return loop_batch(ctl, image, 2, args.mode) or parallel_batch(ctl, image, 2,
                                                                          args.mode)
        if args.parallel > 0:
            return parallel_batch(ctl, image, args.parallel, args.mode)
        return loop_batch(ctl, image, args.count, args.mode)


if __name__ == "__main__":
    sys.exit(main())
