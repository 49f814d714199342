#!/usr/bin/env python3
"""Times one program on one folder with several sets of arguments, taking turns round after round (so a
busy machine slows them alike), output to /dev/null after two warm-up rounds; prints each median and its
ratio to the first set's.

    take_turns.py RUNS PROGRAM FOLDER LABEL=ARGUMENTS...

ARGUMENTS are split at blanks and go before FOLDER; e.g. "plain=" "json=--format json". ARGUMENTS that
start with '@' name another program first, to compare builds: "before=@/path/to/old/arbolin --indented".
"""
import statistics
import subprocess
import sys
import time


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    runs, program, folder = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    sets = [given.split('=', 1) for given in sys.argv[4:]]

    def command(args):
        words = args.split()
        if words and words[0].startswith('@'):
            return [words[0][1:]] + words[1:]
        return [program] + words

    def once(args):
        start = time.perf_counter()
        subprocess.run(command(args) + [folder], stdout=subprocess.DEVNULL, check=True)
        return time.perf_counter() - start

    times = {label: [] for label, _ in sets}
    for round_ in range(runs + 2):
        for label, args in sets:
            took = once(args)
            if round_ >= 2:
                times[label].append(took)
    first = statistics.median(times[sets[0][0]])
    for label, args in sets:
        median = statistics.median(times[label])
        shown = ' '.join(command(args) + ['DIR'])
        print(f'{label}: {shown}: {median * 1000:.1f} ms, {median / first:.2f} times the first '
              f'(median of {runs} runs, taking turns)')


main()
