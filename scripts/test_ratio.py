#!/usr/bin/env python3
"""Non-blank, non-comment lines of C/C++ files under tests/ against src/, peers/ and tools/.
  scripts/test_ratio.py [-v]    (-v: the test lines per folder)"""
import os, sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXTENSIONS = ('.c', '.cc', '.cpp', '.cxx', '.h', '.hh', '.hpp', '.hxx', '.inc', '.ipp')


def lines(path):
    n, in_block = 0, False
    for line in open(path, encoding='utf-8', errors='replace'):
        s = line.strip()
        if in_block:
            if '*/' not in s:
                continue
            in_block, s = False, s.split('*/', 1)[1].strip()
        if s.startswith('/*'):
            if '*/' not in s:
                in_block = True
                continue
            s = s.split('*/', 1)[1].strip()
        if s and not s.startswith('//'):
            n += 1
    return n


def tree(folder):
    out = {}
    for d, _, files in os.walk(os.path.join(ROOT, folder)):
        for f in files:
            if f.endswith(EXTENSIONS):
                p = os.path.join(d, f)
                out[os.path.relpath(p, ROOT)] = lines(p)
    return out


tests = tree('tests')
code = sum(sum(tree(d).values()) for d in ('src', 'peers', 'tools'))
total = sum(tests.values())
print(f'tests {total} lines, code {code} lines: {100 * total / code:.1f} %')
if '-v' in sys.argv:
    folders = {}
    for p, n in tests.items():
        key = '/'.join(p.split('/')[:2])
        folders[key] = folders.get(key, 0) + n
    for key, n in sorted(folders.items(), key=lambda kv: -kv[1]):
        print(f'{n:6d}  {key}')
