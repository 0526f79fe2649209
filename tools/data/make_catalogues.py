#!/usr/bin/env python3
"""Write the four catalogue modules of src/sky/ from the tables in data/catalogues/.

    python3 tools/data/make_catalogues.py [--tables DIR] [--out DIR]

Each module gets its positions as a literal array, its count and its display
switches. Values are written so that the compiler's float is the one wanted:

- pulsars, X-ray sources and constellation stars keep the table's decimal text,
  so every copy of a star that ends several segments has the same literal and
  compiles to the same float bits;
- supernova remnants are given in whole seconds of time and whole arc-minutes;
  they are written as the float nearest seconds/240 and arc-minutes/60, with
  nine significant digits (enough for the literal to round-trip).

Standard-library Python 3 only. A file whose text is unchanged is not rewritten.
"""
import argparse
import csv
import os
import re
import struct
import sys
from fractions import Fraction

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TOOL = 'tools/data/make_catalogues.py'
DECIMAL = re.compile(r'^[+-]?\d+(\.\d+)?$')
RA_HMS = re.compile(r'^(\d+)h(\d+)m(\d+)s$')
DEC_DM = re.compile(r"^([+-])(\d+)d(\d+)'$")


class TableError(Exception):
    pass


# ------------------------------------------------------------ float32 helpers

def f32(x):
    return struct.unpack('<f', struct.pack('<f', float(x)))[0]


def f32_step(x, direction):
    """The float32 next to float32 x, towards +inf (direction 1) or -inf (-1)."""
    bits = struct.unpack('<I', struct.pack('<f', x))[0]
    if x == 0.0:
        return direction * struct.unpack('<f', struct.pack('<I', 1))[0]
    bits += direction if x > 0 else -direction
    return struct.unpack('<f', struct.pack('<I', bits))[0]


def nearest_f32(q):
    """The float32 nearest the exact rational q (ties to the even mantissa).
    Going through a double first could round twice, so the neighbours of the
    first guess are compared exactly."""
    guess = f32(float(q))
    candidates = [f32_step(guess, -1), guess, f32_step(guess, 1)]

    def key(c):
        even = struct.unpack('<I', struct.pack('<f', c))[0] & 1
        return (abs(Fraction(c) - q), even)
    return min(candidates, key=key)


def float_literal(x):
    """A C++ float literal that compiles to exactly the float32 x."""
    text = '%.9g' % x
    assert f32(text) == x, text
    if '.' not in text and 'e' not in text:
        text += '.0'
    return text + 'f'


def decimal_literal(text, where):
    """The table's decimal text as a C++ float literal, unchanged otherwise."""
    if not DECIMAL.match(text):
        raise TableError('%s: %r is not a plain decimal number' % (where, text))
    text = text.lstrip('+')
    if '.' not in text:
        text += '.0'
    return text + 'f'


# ------------------------------------------------------------ tables

def read_table(tables, name, columns):
    path = os.path.join(tables, name)
    with open(path, newline='', encoding='utf-8') as fh:
        reader = csv.DictReader(fh)
        missing = [c for c in columns if c not in (reader.fieldnames or [])]
        if missing:
            raise TableError('%s: missing columns %s' % (name, ', '.join(missing)))
        rows = list(reader)
    key = 'segment' if 'segment' in columns else 'index'
    for i, row in enumerate(rows):
        if row[key] != str(i):
            raise TableError('%s row %d: %s is %r, expected %d' % (name, i + 2, key, row[key], i))
    return rows


def snr_ra(text, where):
    m = RA_HMS.match(text)
    if not m:
        raise TableError('%s: bad right ascension %r' % (where, text))
    h, mi, s = map(int, m.groups())
    return nearest_f32(Fraction(h * 3600 + mi * 60 + s, 240))


def snr_dec(text, where):
    m = DEC_DM.match(text)
    if not m:
        raise TableError('%s: bad declination %r' % (where, text))
    sign = -1 if m.group(1) == '-' else 1
    return nearest_f32(Fraction(sign * (int(m.group(2)) * 60 + int(m.group(3))), 60))


# ------------------------------------------------------------ modules

def entry(ra, dec, comment):
    return '    {%s, %s},  // %s' % (ra, dec, comment)


def pulsar_entries(tables):
    rows = read_table(tables, 'pulsars.csv', ['index', 'psrj', 'psrb', 'ra', 'dec'])
    out = []
    for r in rows:
        where = 'pulsars.csv index ' + r['index']
        name = r['psrj'] or r['psrb'] or '(no catalogue pulsar)'
        out.append(entry(decimal_literal(r['ra'], where), decimal_literal(r['dec'], where),
                         '%s %s' % (r['index'], name)))
    return out


def snr_entries(tables):
    rows = read_table(tables, 'snr.csv', ['index', 'green_name', 'ra_hms', 'dec_dm'])
    out = []
    for r in rows:
        where = 'snr.csv index ' + r['index']
        ra = float_literal(snr_ra(r['ra_hms'], where))
        dec = float_literal(snr_dec(r['dec_dm'], where))
        out.append(entry(ra, dec, '%s %s %s %s' % (r['index'], r['green_name'], r['ra_hms'], r['dec_dm'])))
    return out


def star_entries(tables):
    rows = read_table(tables, 'constellation_segments.csv',
                      ['segment', 'figure', 'hip1', 'ra1', 'dec1', 'hip2', 'ra2', 'dec2'])
    text_of_star = {}
    out = []
    for r in rows:
        where = 'constellation_segments.csv segment ' + r['segment']
        for end in ('1', '2'):
            hip = r['hip' + end]
            text = (r['ra' + end], r['dec' + end])
            # The star-point layer finds repeated stars by equal bits.
            if text_of_star.setdefault(hip, text) != text:
                raise TableError('%s: HIP %s written differently from an earlier segment' % (where, hip))
            comment = 'HIP %s' % hip
            if end == '1':
                comment = 'segment %s %s: %s' % (r['segment'], r['figure'], comment)
            out.append(entry(decimal_literal(text[0], where), decimal_literal(text[1], where), comment))
    return out


def xray_entries(tables):
    rows = read_table(tables, 'xray.csv', ['index', 'ra', 'dec'])
    return [entry(decimal_literal(r['ra'], 'xray.csv'), decimal_literal(r['dec'], 'xray.csv'), r['index'])
            for r in rows]


MODULES = [
    # file, table, what one entry is, array, count, switches, entries
    ('pulsar_list.cpp', 'pulsars.csv',
     'Pulsar catalogue: one entry per pulsar, in search order (the index is the\n'
     '// search position the worker reports and checkpoints).',
     'pulsar_list', 'pulsar_count', ['show_pulsars'], pulsar_entries),
    ('snr_list.cpp', 'snr.csv',
     'Galactic supernova remnants: one centre each, by Galactic longitude;\n'
     '// right ascension in whole seconds of time, declination in whole arc-minutes.',
     'snr_list', 'snr_count', ['show_snr'], snr_entries),
    ('starlist.cpp', 'constellation_segments.csv',
     'Constellation figures: entries 2k and 2k+1 are the two ends of segment k.\n'
     '// A star that ends several segments has the same literal at each end.',
     'starlist', 'starlist_count', ['show_stars', 'show_constellations'], star_entries),
    ('xray_list.cpp', 'xray.csv',
     'X-ray sources.',
     'xray_list', 'xray_count', ['show_xray'], xray_entries),
]


def module_text(tables, table, about, array, count, switches, make_entries):
    lines = [
        '// %s' % about,
        '//',
        '// GENERATED by %s from data/catalogues/%s.' % (TOOL, table),
        '// Do not edit by hand: change the table and run `python3 %s`.' % TOOL,
        '#include "sky/catalogues.h"',
        '',
        'const sky_position %s[] = {' % array,
    ]
    lines += make_entries(tables)
    lines += [
        '};',
        'const int %s = (int)(sizeof %s / sizeof %s[0]);' % (count, array, array),
        '',
    ]
    lines += ['bool %s = true;' % s for s in switches]
    return '\n'.join(lines) + '\n'


def write_if_changed(path, text):
    try:
        with open(path, encoding='utf-8', newline='') as fh:
            if fh.read() == text:
                return False
    except FileNotFoundError:
        pass
    with open(path, 'w', encoding='utf-8', newline='\n') as fh:
        fh.write(text)
    return True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--tables', default=os.path.join(ROOT, 'data', 'catalogues'),
                        help='directory of the CSV tables (default: data/catalogues)')
    parser.add_argument('--out', default=os.path.join(ROOT, 'src', 'sky'),
                        help='directory for the .cpp modules (default: src/sky)')
    args = parser.parse_args()
    try:
        texts = [(name, module_text(args.tables, table, about, array, count, switches, make))
                 for name, table, about, array, count, switches, make in MODULES]
    except (TableError, OSError) as e:
        print('make_catalogues: %s' % e, file=sys.stderr)
        return 1
    os.makedirs(args.out, exist_ok=True)
    for name, text in texts:
        changed = write_if_changed(os.path.join(args.out, name), text)
        print('%s %s' % ('wrote' if changed else 'unchanged', os.path.join(args.out, name)))
    return 0


if __name__ == '__main__':
    sys.exit(main())
