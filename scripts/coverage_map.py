#!/usr/bin/env python3
"""What each test covers, from the per-test lists of scripts/coverage-per-test.

  coverage_map.py union OUT                  the lines any test covers
  coverage_map.py lost BASE NEW              lines of union BASE that union NEW lacks, with their text
  coverage_map.py unique OUT [-v FILE]       per test file: its size, the lines only its tests cover
  coverage_map.py removable OUT [--only RE] [--keep RE]
                                             tests whose covered lines all stay covered by the rest,
                                             largest first (a greedy pick, not a verdict)
"""
import collections, glob, gzip, os, re, sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TEST = re.compile(r'^(TEST|TEST_F|TEST_P|TYPED_TEST)\(\s*(\w+)\s*,\s*(\w+)\s*\)')


def code_lines(lines):
    return sum(1 for l in lines if l.strip() and not l.strip().startswith('//'))


def per_test(out):
    """{"Suite.name": set of "file:line"}; parameterised instances count as their test."""
    tests = collections.defaultdict(set)
    for d in glob.glob(os.path.join(out, '*', '*', '')):
        if not os.path.exists(d + 'lines.gz'):
            continue
        name = open(d + 'name').read().strip()
        name = re.sub(r'/[^.]*$', '', re.sub(r'^\w+/', '', name))
        tests[name] |= set(gzip.open(d + 'lines.gz', 'rt').read().split())
    return tests


def test_places():
    """{"Suite.name": (file, first line, code lines)} of the test bodies under tests/."""
    places = {}
    for f in glob.glob(os.path.join(REPO, 'tests', '**', '*.cpp'), recursive=True):
        text = open(f, errors='replace').read().split('\n')
        for i, l in enumerate(text):
            m = TEST.match(l) or (i + 1 < len(text) and TEST.match(l + ' ' + text[i + 1].strip()))
            if not m:
                continue
            j = i
            while j < len(text) and text[j] != '}':
                j += 1
            places[m.group(2) + '.' + m.group(3)] = (
                os.path.relpath(f, REPO), i + 1, code_lines(text[i:j + 1]))
    return places


def source_text(where):
    f, n = where.rsplit(':', 1)
    try:
        return open(os.path.join(REPO, f), errors='replace').read().split('\n')[int(n) - 1].strip()
    except (OSError, IndexError):
        return '?'


def by_line(items):
    return sorted(items, key=lambda x: (x.rsplit(':', 1)[0], int(x.rsplit(':', 1)[1])))


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    command, out = argv[1], argv[2]
    if command == 'union':
        union = set().union(*per_test(out).values())
        print('\n'.join(by_line(union)))
    elif command == 'lost':
        base, new = (set(open(p).read().split()) for p in (argv[2], argv[3]))
        for x in by_line(base - new):
            print(f'{x}: {source_text(x)[:110]}')
        print(f'baseline {len(base)} new {len(new)} lost {len(base - new)} gained {len(new - base)}')
    elif command == 'unique':
        places, files = test_places(), collections.defaultdict(set)
        for name, lines in per_test(out).items():
            files[places.get(name, ('?',))[0]] |= lines
        count = collections.Counter()
        for lines in files.values():
            count.update(lines)
        show = argv[argv.index('-v') + 1] if '-v' in argv else None
        for f, lines in sorted(files.items(), key=lambda kv: len(kv[1])):
            only = [x for x in lines if count[x] == 1]
            size = code_lines(open(os.path.join(REPO, f)).read().split('\n')) if f != '?' else 0
            print(f'{len(only):5d} only here {size:5d} lines  {f}')
            if f == show:
                for x in by_line(only):
                    print(f'        {x}: {source_text(x)[:100]}')
    elif command == 'removable':
        only = re.compile(argv[argv.index('--only') + 1]) if '--only' in argv else None
        keep = re.compile(argv[argv.index('--keep') + 1]) if '--keep' in argv else None
        places, tests = test_places(), per_test(out)
        count = collections.Counter()
        for lines in tests.values():
            count.update(lines)
        saved = 0
        for name in sorted(tests, key=lambda k: -places.get(k, ('', 0, 0))[2]):
            f, first, size = places.get(name, ('?', 0, 0))
            if (only and not only.search(f + ':' + name)) or (keep and keep.search(f + ':' + name)):
                continue
            if all(count[x] >= 2 for x in tests[name]):
                for x in tests[name]:
                    count[x] -= 1
                saved += size
                print(f'{size:5d}  {f}:{first}  {name}')
        print(f'{saved} lines of tests whose lines the others cover')
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main(sys.argv)
