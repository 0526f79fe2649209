#!/usr/bin/env python3
"""validate_report.py [RESULT_ID] OUT_TXT...

Checks a Tidewrack result file (out.txt) for BOINC's stock script_validator,
run as --init_script "validate_report.py result_id files":
  exit 0          every file named is a complete report of its work unit;
  exit 1          not (the reason on standard error): the result is invalid;
  "try again"     the server could not read the upload or its database: the
                  script ends the validator's shell with SIGHUP, which
                  script_validator 7.20.5 takes as a "suspicious" result (the
                  only verdict besides valid and invalid that a script can
                  give it): the result is left inconclusive, not invalid, and
                  judged again with the work unit's next replica. Run by hand,
                  it exits with 75 (EX_TEMPFAIL) instead.

A complete report is one header block per start of the program, then exactly
one summary: the CPU-time line (absent when the framework could not give the
CPU time), the "APP: CPU time" line and the closing line, and nothing after.
Lines end in LF, or all in CR LF as a Windows host writes them in text mode.
The times and names differ between hosts and are not compared with other
results, but they must agree with each other, with the upload's name and, given
RESULT_ID, with what the project's database knows of the result: its work unit,
the CPU time the client measured, and the work unit's size over the host's
benchmark (a report written without running the search has no CPU time).
"""
import errno
import os
import re
import signal
import stat
import sys

NUMBER = r'-?[0-9]+\.[0-9]{6}'
# The result template's max_nbytes: the client uploads no larger out.txt, so
# anything larger is refused before it is read.
MAX_BYTES = 2000000
# The longest line the program writes: a name of 255 bytes, the data
# directory of 4095.
MAX_LINE = 8192
# Tolerances for honest hosts: the in-process display's thread counts in the
# process's CPU time (the framework holds it to 20 % of a core); the client
# measures a task a little after the report's summary.
CPU_OVER_WALL = 1.25
CLIENT_SLACK = 1.1
# A lower bound on a work unit's CPU time: rsc_fpops_est over the host's
# benchmark, divided by this. Slow and emulated hosts take longer, never less.
SPEED_MARGIN = 4.0
FASTEST_FPOPS = 5e10   # per core: no CPU's benchmark comes near; also for a host without one
# An upload name: RESULT_r<random>_0, and a result's name is WORKUNIT_<replica>.
UPLOAD_NAME = re.compile(r'(.+)_[0-9]+_r[0-9]+_[0-9]+')
EX_TEMPFAIL = 75

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




class TryLater(Exception):
    """The server's fault, not the volunteer's: the upload or the database cannot be read."""


def matches(pattern, line):
    return re.fullmatch(pattern, line) is not None


def numbers(line):
    return [float(x) for x in re.findall(NUMBER, line)]


def check(data, wu_name=None, summary=None):
    """Returns None for a complete report of work unit wu_name (any, if None),
    or the reason it is not one. On success, a dict given as summary gets the
    summary's times ('cpu', 'wall') and the number of header blocks ('starts')."""
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
    longest = max(len(line) for line in lines)
    if longest > MAX_LINE:
        return 'a line of %d characters' % longest
    at = 0
    starts = 0
    names = set()
    while at < len(lines) and lines[at] == HEADER[0]:
        for offset, pattern in enumerate(HEADER):
            if at + offset >= len(lines):
                return 'header block %d cut short' % (starts + 1)
            if not matches(pattern, lines[at + offset]):
                return 'line %d: not a header line: %r' % (at + offset + 1, lines[at + offset])
        names.add(lines[at + 12][len('WU Name:  '):-1])
        at += len(HEADER)
        starts += 1
    if starts == 0:
        return 'line 1: no header block'
    if len(names) > 1:
        return 'header blocks of different work units: %s' % ', '.join(sorted(names))
    name = names.pop()
    if wu_name is not None and name != wu_name:
        return 'a report of work unit %r, not of %r' % (name, wu_name)
    cpu_line = None
    if at < len(lines) and matches(CPU_LINE, lines[at]):
        cpu_line = numbers(lines[at])[0]
        at += 1
    if at >= len(lines):
        return 'no summary after %d header block(s)' % starts
    for offset, pattern in enumerate(SUMMARY):
        if at + offset >= len(lines):
            return 'summary cut short'
        if not matches(pattern, lines[at + offset]):
            return 'line %d: not a summary line: %r' % (at + offset + 1, lines[at + offset])
    cpu, wall = numbers(lines[at])
    at += len(SUMMARY)
    if at < len(lines):
        return 'line %d: text after the summary: %r' % (at + 1, lines[at])
    if not (0 <= cpu < float('inf') and 0 <= wall < float('inf')):
        return 'impossible time in the summary: CPU %.6f s, wall clock %.6f s' % (cpu, wall)
    if cpu_line is not None and cpu_line != cpu:
        return 'two CPU times: %.6f s and %.6f s' % (cpu_line, cpu)
    # The CPU time counts every start, the wall clock only the last: only a
    # report of one start can be held to its own wall clock.
    if starts == 1 and cpu > wall * CPU_OVER_WALL + 1:
        return 'CPU time %.6f s longer than the wall clock time %.6f s' % (cpu, wall)
    if summary is not None:
        summary.update(cpu=cpu, wall=wall, starts=starts)
    return None


def read_report(path):
    """The file's bytes, at most MAX_BYTES + 1 of them, or the reason it is refused."""
    try:
        # Not through a symbolic link (the upload handler writes plain files),
        # and no waiting on a FIFO.
        fd = os.open(path, os.O_RDONLY | os.O_NOFOLLOW | os.O_NONBLOCK)
    except OSError as e:
        if e.errno == errno.ELOOP:
            return None, 'a symbolic link in place of the report'
        raise TryLater('cannot open: %s' % e.strerror)
    try:
        info = os.fstat(fd)
        if not stat.S_ISREG(info.st_mode):
            return None, 'not a regular file'
        if info.st_size > MAX_BYTES:
            return None, '%d bytes, more than the template allows (%d)' % (info.st_size, MAX_BYTES)
        data = os.read(fd, MAX_BYTES + 1)
    except OSError as e:
        raise TryLater('cannot read: %s' % e.strerror)
    finally:
        os.close(fd)
    if len(data) > MAX_BYTES:
        return None, 'more than %d bytes' % MAX_BYTES
    return data, None


def project_database():
    """A connection to the project's database, from config.xml beside bin/."""
    path = os.path.join(os.path.dirname(os.path.realpath(__file__)), '..', 'config.xml')
    try:
        with open(path) as f:
            config = f.read()
        import MySQLdb
    except (OSError, ImportError) as e:
        raise TryLater('no database: %s' % e)
    def option(name):
        m = re.search(r'<%s>(.*?)</%s>' % (name, name), config, re.S)
        return m.group(1).strip() if m else ''
    host, _, port = option('db_host').partition(':')
    try:
        return MySQLdb.connect(host=host or 'localhost', port=int(port or 3306), user=option('db_user'),
                               passwd=option('db_passwd'), db=option('db_name'), connect_timeout=10)
    except MySQLdb.Error as e:
        raise TryLater('database: %s' % e)


def server_side(result_id):
    """What the project knows of the result: work unit, CPU and elapsed time, size, benchmark."""
    db = project_database()
    import MySQLdb
    try:
        cursor = db.cursor()
        cursor.execute('select w.name, r.cpu_time, r.elapsed_time, w.rsc_fpops_est, h.p_fpops'
                       ' from result r join workunit w on w.id = r.workunitid'
                       ' left join host h on h.id = r.hostid where r.id = %s', (result_id,))
        row = cursor.fetchone()
    except MySQLdb.Error as e:
        raise TryLater('database: %s' % e)
    finally:
        db.close()
    if row is None:
        raise TryLater('no result %s in the database' % result_id)
    return row


def check_against_server(summary, server):
    """The reason the report, whose summary check() gave, cannot be the result
    that server_side() describes, or None."""
    _, cpu_time, elapsed, fpops_est, p_fpops = server
    # A client that never heard the task's CPU time reports 0 (a Windows
    # program under Wine cannot reach a Linux client's shared memory): the
    # client's own elapsed time is then what bounds the report.
    measured_cpu = cpu_time if cpu_time > 0 else elapsed * CPU_OVER_WALL
    if summary['cpu'] > measured_cpu * CLIENT_SLACK + 10:
        return 'the report says %.1f s of CPU time, the client measured %.1f s' % (summary['cpu'], measured_cpu)
    if summary['wall'] > elapsed * CLIENT_SLACK + 10:
        return 'the report says %.1f s of wall clock time, the client measured %.1f s' % (summary['wall'], elapsed)
    # A client that has not run its benchmarks reports 0 or its stand-in of
    # exactly 1e9: that says nothing of the host's speed.
    speed = p_fpops if p_fpops and 0 < p_fpops < FASTEST_FPOPS and p_fpops != 1e9 else FASTEST_FPOPS
    least = fpops_est / speed / SPEED_MARGIN
    spent = cpu_time if cpu_time > 0 else elapsed
    if spent < least:
        return ('%.1f s of CPU time for a work unit of %.3g floating-point operations on a host of '
                '%.3g per second: at least %.1f s' % (spent, fpops_est, p_fpops or 0, least))
    return None


def judge(path, result_id):
    """The reason the file is not a valid result, or None. Raises TryLater."""
    data, reason = read_report(path)
    if reason:
        return reason
    wu_name = server = None
    if result_id is not None:
        server = server_side(result_id)
        wu_name = server[0]
    else:
        m = UPLOAD_NAME.fullmatch(os.path.basename(path))
        if m:
            wu_name = m.group(1)
    summary = {}
    reason = check(data, wu_name, summary)
    if reason is None and server is not None:
        reason = check_against_server(summary, server)
    return reason


def try_later():
    """Tells script_validator to judge the result later (see the module's text)."""
    # system() runs us under "sh -c ../bin/validate_report.py ..."; a shell
    # ended by SIGHUP is the status 1 that script_validator calls suspicious.
    # Only that shell: run by hand, the parent is someone's own.
    parent = os.getppid()
    try:
        with open('/proc/%d/cmdline' % parent, 'rb') as f:
            argv = f.read().split(b'\0')
    except OSError:
        argv = []
    script = ('../bin/' + os.path.basename(sys.argv[0])).encode()
    if len(argv) >= 3 and os.path.basename(argv[0]) == b'sh' and argv[1] == b'-c' and \
            (argv[2] == script or argv[2].startswith(script + b' ')):
        os.kill(parent, signal.SIGHUP)
    return EX_TEMPFAIL


def main(args):
    result_id = None
    if args and re.fullmatch(r'[0-9]+', args[0]):
        result_id = int(args[0])
        args = args[1:]
    if not args:
        sys.stderr.write('usage: validate_report.py [RESULT_ID] OUT_TXT...\n')
        return 2
    status = 0
    for path in args:
        try:
            reason = judge(path, result_id)
        except TryLater as e:
            sys.stderr.write('%s: try again later: %s\n' % (path, e))
            return try_later()
        if reason:
            sys.stderr.write('%s: invalid report: %s\n' % (path, reason))
            status = 1
    return status


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
