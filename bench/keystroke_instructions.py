#!/usr/bin/env python3
"""Instructions per keystroke of bench_command_search, counted by callgrind.

    valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file=OUT/callgrind.%p \\
        build/bench/bench/bench_command_search --benchmark_filter=BM_Catalogue
    python3 bench/keystroke_instructions.py OUT [OTHER]

The benchmark dumps one profile per keystroke of each class (the first time through its queries);
this prints, per benchmark and class, the mean and the largest count with its query. Given a
second folder (a run of another version), it prints both and the change. Instruction counts do
not depend on what else the machine runs, so two versions can be compared on a busy machine.
"""
import collections
import glob
import os
import re
import sys

CLASSES = ["one_letter", "two_letters", "three_letters", "two_words", "initials", "one_slip"]


def read(folder):
    counts = collections.defaultdict(list)  # (benchmark, class) -> [(instructions, query)]
    for path in glob.glob(os.path.join(folder, "callgrind.*")):
        name = total = None
        with open(path, errors="replace") as dump:
            for line in dump:
                match = re.match(r"desc: Trigger: Client Request: keystroke:(\S+)", line)
                if match:
                    name = match.group(1)
                elif line.startswith("totals:") or (line.startswith("summary:") and total is None):
                    total = int(line.split()[1])
        if name and total is not None:
            benchmark, query_class, query = name.split("/", 2)
            counts[(benchmark, query_class)].append((total, query.replace("+", " ")))
    return counts


def summary(samples):
    samples = sorted(samples)
    return sum(n for n, _ in samples) / len(samples), samples[-1]


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    runs = [read(folder) for folder in sys.argv[1:]]
    if not runs[0]:
        sys.exit("no keystroke profiles in " + sys.argv[1])
    keys = sorted(runs[0], key=lambda k: (k[0], CLASSES.index(k[1]) if k[1] in CLASSES else 99))
    for key in keys:
        mean, (largest, query) = summary(runs[0][key])
        line = f"{key[0]:<16} {key[1]:<14} mean {mean / 1e3:7.0f}k  max {largest / 1e3:7.0f}k ({query})"
        if len(runs) == 2 and runs[1].get(key):
            other_mean, (other_largest, other_query) = summary(runs[1][key])
            line += (f"  |  other: mean {other_mean / 1e3:7.0f}k  max {other_largest / 1e3:7.0f}k ({other_query})"
                     f"  max {100 * (largest - other_largest) / other_largest:+.0f}%")
        print(line)


if __name__ == "__main__":
    main()
