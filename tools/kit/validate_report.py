#!/usr/bin/env python3
"""validate_report.py OUT_TXT...

Checks a Tidewrack result file (out.txt) for BOINC's stock script_validator
(--init_script): exit status 0 if every file named is a complete report, 1 with
the reason on standard error if not.

A complete report is one header block per start of the program, then exactly
one summary: the CPU-time line (absent when the framework could not give the
CPU time), the "APP: CPU time" line and the closing line, and nothing after.
The values (names, times, credits) differ between hosts and are not compared.
Lines end in LF, or all in CR LF as a Windows host writes them in text mode.
"""
import re
import sys

NUMBER = r'-?[0-9]+\.[0-9]{6}'

# One line pattern per line of the header block, as the program writes it.
HEADER = [
    r'Hello, BOINC World!',
    r'===================',
    r'',
    r'User: .* \t\tAuth: .* ',
    r'Team: .* ',
    r'',
    r'BOINC Dir: .* ',
    r'',
    r'Total Credit:\t ' + NUMBER,
    r'Avg Credit:\t ' + NUMBER,
    r'',
    r'APP Name: .* ',
    r'WU Name:  .* ',
    r'',
    r'================',
]
CPU_LINE = r' CPU is ' + NUMBER + r' seconds'
SUMMARY = [
    r'APP: CPU time: ' + NUMBER + r' seconds, Wall clock time: ' + NUMBER + r' seconds',
    r'',
    r'Blow me down!',
]


def matches(pattern, line):
    return re.fullmatch(pattern, line) is not None


def check(data):
    """Returns None for a complete report, or the reason it is not one."""
    if not data:
        return 'empty file'
    try:
        text = data.decode('utf-8')
    except UnicodeDecodeError:
        # Names come from the project's database in UTF-8; anything else is damage.
        return 'not UTF-8 text'
    if '\r\n' in text:
        # A Windows host's C library writes the report in text mode: every
        # line ends CR LF. That is the platform's form, not damage, as long
        # as it holds for the whole file.
        if text.count('\r') != text.count('\r\n') or text.count('\n') != text.count('\r\n'):
            return 'mixed line ends in the report'
        text = text.replace('\r\n', '\n')
    if '\0' in text or '\r' in text:
        return 'control characters in the report'
    if not text.endswith('\n'):
        return 'last line unterminated (truncated)'
    lines = text[:-1].split('\n')
    at = 0
    starts = 0
    while at < len(lines) and lines[at] == HEADER[0]:
        for offset, pattern in enumerate(HEADER):
            if at + offset >= len(lines):
                return 'header block %d cut short' % (starts + 1)
            if not matches(pattern, lines[at + offset]):
                return 'line %d: not a header line: %r' % (at + offset + 1, lines[at + offset])
        at += len(HEADER)
        starts += 1
    if starts == 0:
        return 'line 1: no header block'
    if at < len(lines) and matches(CPU_LINE, lines[at]):
        at += 1
    if at >= len(lines):
        return 'no summary after %d header block(s)' % starts
    for offset, pattern in enumerate(SUMMARY):
        if at + offset >= len(lines):
            return 'summary cut short'
        if not matches(pattern, lines[at + offset]):
            return 'line %d: not a summary line: %r' % (at + offset + 1, lines[at + offset])
    at += len(SUMMARY)
    if at < len(lines):
        return 'line %d: text after the summary: %r' % (at + 1, lines[at])
    return None


def main(paths):
    if not paths:
        sys.stderr.write('usage: validate_report.py OUT_TXT...\n')
        return 2
    status = 0
    for path in paths:
        try:
            with open(path, 'rb') as f:
                reason = check(f.read())
        except OSError as e:
            reason = 'cannot read: %s' % e.strerror
        if reason:
            sys.stderr.write('%s: invalid report: %s\n' % (path, reason))
            status = 1
    return status


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
