#!/usr/bin/env python3
"""Score a build's --parse against the pasted-listing corpus in tests/parse_corpus.

Usage: parse_corpus.py ARBOLIN [--set train|holdout|all] [--check SHARE] [--corpus DIR]

Each listing NNN.txt is read with `ARBOLIN --parse NNN.txt`; its standard output is compared, line by
line, with the answer key NNN.paths.  Per listing one word is printed:
  ok           the paths are the key's and the exit status is 0
  reported     the paths differ (or a line was reported) and the exit status is not 0
  wrong-exit0  the paths differ and the exit status is 0: wrong paths with no word of warning
The last line per set gives the share read as a reader would.  The exit status is 0 unless --check is
given; then it is 1 when the share is under SHARE percent or any listing is wrong-exit0.
"""
import argparse
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_CORPUS = os.path.join(HERE, '..', 'tests', 'parse_corpus')
TIMEOUT_S = 20


def key_lines(path):
    with open(path, 'rb') as f:
        data = f.read()
    return data.decode('utf-8').split('\n')[:-1] if data else []


def run_one(arbolin, listing):
    """Returns (exit status, output lines); a crash or time-out counts as a failing status."""
    try:
        p = subprocess.run([arbolin, '--parse', listing], stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, timeout=TIMEOUT_S)
    except subprocess.TimeoutExpired:
        return 124, None
    except OSError as e:
        sys.exit(f'parse_corpus: cannot run {arbolin}: {e.strerror}')
    out = p.stdout.decode('utf-8', errors='replace')
    lines = out.split('\n')
    if lines and lines[-1] == '':
        lines.pop()
    return p.returncode, lines


def verdict(status, got, want):
    if got == want and status == 0:
        return 'ok'
    if status == 0:
        return 'wrong-exit0'
    return 'reported'


def first_difference(got, want):
    got = got or []
    for i in range(max(len(got), len(want))):
        g = got[i] if i < len(got) else '(nothing)'
        w = want[i] if i < len(want) else '(nothing)'
        if g != w:
            return f'path {i + 1}: got {g!r}, key {w!r}'
    return 'same paths, exit status not 0'


def score_set(arbolin, corpus, name, verbose):
    folder = os.path.join(corpus, name)
    ids = sorted(f[:-4] for f in os.listdir(folder) if f.endswith('.txt'))
    counts = {'ok': 0, 'wrong-exit0': 0, 'reported': 0}
    for ident in ids:
        listing = os.path.join(folder, ident + '.txt')
        want = key_lines(os.path.join(folder, ident + '.paths'))
        status, got = run_one(arbolin, listing)
        v = verdict(status, got, want)
        counts[v] += 1
        line = f'{name}/{ident}: {v}'
        if v != 'ok' and verbose:
            line += f'  ({first_difference(got, want)}; exit {status})'
        print(line)
    total = len(ids)
    share = 100.0 * counts['ok'] / total if total else 0.0
    print(f"{name}: {counts['ok']}/{total} read as a reader would ({share:.0f}%), "
          f"{counts['wrong-exit0']} wrong with exit 0, {counts['reported']} reported")
    return total, counts


def main():
    ap = argparse.ArgumentParser(description='Score ARBOLIN --parse against the pasted-listing corpus.')
    ap.add_argument('arbolin')
    ap.add_argument('--set', choices=['train', 'holdout', 'all'], default='train')
    ap.add_argument('--check', type=float, metavar='SHARE',
                    help='exit 1 when under SHARE percent are read right or any is wrong with exit 0')
    ap.add_argument('--corpus', default=DEFAULT_CORPUS)
    ap.add_argument('-v', '--verbose', action='store_true', help='show the first difference per listing')
    args = ap.parse_args()

    sets = ['train', 'holdout'] if args.set == 'all' else [args.set]
    total = 0
    counts = {'ok': 0, 'wrong-exit0': 0, 'reported': 0}
    for s in sets:
        n, c = score_set(args.arbolin, args.corpus, s, args.verbose)
        total += n
        for k in counts:
            counts[k] += c[k]
    if len(sets) > 1:
        share = 100.0 * counts['ok'] / total if total else 0.0
        print(f"all: {counts['ok']}/{total} read as a reader would ({share:.0f}%), "
              f"{counts['wrong-exit0']} wrong with exit 0, {counts['reported']} reported")
    if args.check is not None:
        share = 100.0 * counts['ok'] / total if total else 0.0
        if total == 0 or share < args.check or counts['wrong-exit0'] > 0:
            return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
