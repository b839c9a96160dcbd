#!/usr/bin/python3
# Differential test: runs varimo-cli and reference_search.py on generated odd trees and on real trees
# (--tree, default /usr/include), demanding the same rows, exit code and final status line, and that
# no run writes anything. Usage: compare_with_reference.py CLI_PATH [--seed N] [--rounds N] [--tree PATH ...]

import argparse
import contextlib
import hashlib
import os
import random
import shutil
import socket
import stat
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # leave no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reference_search as ref  # noqa: E402

FIXTURE_TIMEOUT = 10   # seconds for one CLI run on a generated tree (a few MB)
REAL_TREE_TIMEOUT = 90
MAX_REPORTED_FAILURES = 5
PATH_MAX = 4096        # Linux: longest path that open() and opendir() take, NUL included
NOBODY = 65534
CLI_ENV = {k: v for k, v in os.environ.items() if k != "LANGUAGE"}
CLI_ENV["LC_ALL"] = "C.UTF-8"  # the root error carries strerror text; keep it in English like ours

U = lambda text: text.encode("utf-8")  # noqa: E731

# ---------------------------------------------------------------------------------------------
# Checks of the oracle itself against the documented tables, so a fault in the reference shows
# as such and not as a CLI mismatch. The streamed reader runs at tiny chunk sizes so that every
# line end falls on a chunk boundary somewhere.

LINE_TABLE = [
    (b"x\ny", [b"x", b"y"]), (b"x\r\ny", [b"x", b"y"]), (b"x\ry", [b"x", b"y"]),
    (b"x\n\ry", [b"x", b"", b"y"]), (b"x\r\r\ny", [b"x", b"", b"y"]), (b"x\n\ny", [b"x", b"", b"y"]),
    (b"x\0y", [b"x", b"y"]), (b"x\r\0y", [b"x", b"", b"y"]), (b"x\n", [b"x"]), (b"x\r\n", [b"x"]),
    (b"x\r", [b"x"]), (b"x", [b"x"]), (b"\n", [b""]), (b"", []),
]
FOLD_TABLE = [
    (U("übung"), U("ÜBUNG")), (U("Straße"), U("STRAßE")), (U("ÿ"), U("ß")), (b"\xe4\xff", b"\xe4\xff"),
    (b"\xc3\xc3\xa4", b"\xc3\xc3\x84"), (b"\xc3\xa4\xa4", b"\xc3\x84\xa4"), (b"\xe3\xa4", b"\xe3\xa4"),
]
EXTENSION_TABLE = [
    (b"bericht.txt", b"txt"), (b"archiv.tar.gz", b"gz"), (b"Makefile", b""), (b"notiz.", b""),
    (b".profile", b"profile"), (b"Bild.JPG", b"JPG"), (b"a\\b.c", b"c"), (b"a.b\\c", b""),
    (b".", b""), (b"..x", b"x"), (b"x..", b""), (b"", b""),
]


def check_reference():
    def chunks(data, size):
        pieces = iter([data[i:i + size] for i in range(0, len(data), size)])
        return lambda: next(pieces, b"")

    rng = random.Random(1)
    fuzz = [bytes(rng.choice(b"ab\r\n\0") for _ in range(rng.randrange(24))) for _ in range(400)]
    for data, lines in LINE_TABLE + [(d, list(ref.split_lines(d))) for d in fuzz]:
        assert list(ref.split_lines(data)) == lines, ("split_lines", data)
        for size in (1, 2, 3, 5):
            assert list(ref.stream_lines(chunks(data, size))) == lines, ("stream_lines", data, size)
    for text, folded in FOLD_TABLE:
        assert ref.fold_case(text) == folded, ("fold_case", text)
    for name, extension in EXTENSION_TABLE:
        assert ref.extension_of(name) == extension, ("extension_of", name)


# ---------------------------------------------------------------------------------------------
# Fixture trees.

PLANTS = [
    b"needle", b"Needle", b"NEEDLE", b"nEeDlE", b"x needle y", b" needle ", b"alpha", b"omega",
    b"Alpha and Omega", U("äpfel"), U("ÄPFEL"), b"\xe4pfel", b"\xc4PFEL", U("Straße"), b"STRASSE",
    U("ÿ"), b"\xc3\xc3\xa4", b"\xe3\xa4", b"\xc3", b"\xa4", b"tab\there", b"-dash", b"back\\slash",
    b"semi;colon", b"-0", b"\xef\xbb\xbf", b"\xff\xfe", b"   ",
]
FILLER = [b"", b"lorem ipsum", b"0123456789", b"\t", b"x", b"\x01\x02\x7f", b"\xfd\xfc", b"zz", b"L" * 300]
LINE_ENDS = [b"\n", b"\r\n", b"\r", b"\0", b"\n\r", b"\r\r\n", b"\r\0"]
NAME_PIECES = [
    b"with blank", b" lead", b"trail ", b"-dash", b"semi;colon", b"back\\slash", b"line\nfeed",
    b"tab\tname", b"inv\xff\xfe", U("ümlaut"), b"latin\xe4", b".hidden", b"UPPER", b"x", b"q?*",
]
EXTENSIONS = [
    b".txt", b".TXT", b".TxT", b".log", b".LOG", b".c", b".h", b".t", b".xt", b".tar.gz", b"",
    b".", U(".ä"), U(".Ä"), b".\xe4", b".t xt", b".txt ", b".b\\c", U(".ÿ"), U(".ß"), b".\xc3",
]


def random_content(rng):
    lines = []
    for _ in range(rng.randrange(12)):
        lines.append(rng.choice(PLANTS) if rng.random() < 0.3 else rng.choice(FILLER))
    data = b"".join(line + rng.choice(LINE_ENDS) for line in lines)
    if lines and rng.random() < 0.3:
        data = data.rstrip(b"\r\n\0")  # a final line without a line end
    return data


def write_file(path, data, mode=None):
    with open(path, "wb") as handle:
        handle.write(data)
    if mode is not None:
        os.chmod(path, mode)


def block_boundary_files(folder, rng):
    """Line ends that straddle typical block sizes; the term's line number shows a miscount."""
    os.mkdir(folder)
    kinds = {"crlf": b"\r\n", "cr": b"\rc", "crcrlf": b"\r\r\n", "crnul": b"\r\0", "lfcr": b"\n\r"}
    for block in (4096, 8192, 65536, 131072):
        for delta in (-1, 0, 1):
            head = bytearray()
            while len(head) < block - 1 + delta:
                head += b"0123456789" * rng.randrange(1, 12) + b"\n"
            head = bytes(head[:block - 1 + delta - 1]) + b"7"  # the line end starts at block-1+delta
            for kind, line_end in kinds.items():
                name = "%s-%d%+d.txt" % (kind, block, delta)
                write_file(os.path.join(folder, os.fsencode(name)), head + line_end + b"after\nneedle\n")
        # a term and a UTF-8 pair cut by the block boundary inside one line
        write_file(os.path.join(folder, b"straddle-%d.txt" % block), b"x\n" + b"s" * (block - 6) + b"straddle")
        write_file(os.path.join(folder, b"fold-%d.txt" % block), b"q" * (block - 1) + U("ä\n"))


def odd_line_files(folder):
    os.mkdir(folder)
    files = {
        b"empty.txt": b"", b"lf-only.txt": b"\n", b"cr-only.txt": b"\r", b"nul-only.txt": b"\0",
        b"crlf-only.txt": b"\r\n", b"final-no-end.txt": b"a\nb\nneedle", b"cr-ends.txt": b"a\rb\rneedle\r",
        b"nul-split.txt": b"nee\0dle\nxx needle\n", b"lfcr.txt": b"a\n\rneedle", b"crcrlf.txt": b"a\r\r\nneedle",
        b"crnul.txt": b"a\r\0needle", b"bom.txt": b"\xef\xbb\xbfneedle\n",
        b"utf16le.txt": "\ufeffneedle\r\nÄpfel\r\n".encode("utf-16-le"),
        b"utf16be.txt": "\ufeffneedle\r\nÄpfel\r\n".encode("utf-16-be"),
        b"long-first.txt": b"L" * 200000 + b"\nneedle\n", b"long-tail.txt": b"L" * 200000 + b"longtail",
        b"one-long-line.log": b"M" * 300000 + b"needle" + b"M" * 1000,
        b"lead-c3.txt": b"\xc3\r\xa4 \xc3\n\xbf",  # a pair cut by a line end folds no byte
    }
    for name, data in files.items():
        write_file(os.path.join(folder, name), data)
    write_file(os.path.join(folder, b"readonly.txt"), b"x\nneedle read-only\n", 0o444)


def random_folder(folder, rng, depth):
    os.mkdir(folder)
    for index in range(rng.randrange(2, 8)):
        name = rng.choice(NAME_PIECES) + b"%d" % index
        if depth < 3 and rng.random() < 0.3:
            random_folder(os.path.join(folder, name), rng, depth + 1)
        else:
            write_file(os.path.join(folder, name + rng.choice(EXTENSIONS)), random_content(rng))


def deep_chain(root):
    """Folders below root until their paths pass PATH_MAX, a file at every level, and at the last
    level that can be opened, files whose full paths are PATH_MAX-2 .. PATH_MAX+1 bytes long."""
    fd = os.open(root, os.O_RDONLY | os.O_DIRECTORY)
    path_length = len(root)
    level = 0
    try:
        while path_length < PATH_MAX + 300:
            name = b"deep%02d-" % level + b"d" * 190
            os.mkdir(name, dir_fd=fd)
            child = os.open(name, os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
            os.close(fd)
            fd = child
            path_length += 1 + len(name)
            level += 1
            # a file name of length L gives a path of path_length + 1 + L bytes
            lengths = [PATH_MAX + k - path_length - 1 for k in (-2, -1, 0, 1)]
            for file_name in [b"n.txt"] + [b"f" * (n - 4) + b".txt" for n in lengths if 5 <= n <= 255]:
                out = os.open(file_name, os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=fd)
                os.write(out, b"needle at depth %d\n" % level)
                os.close(out)
    finally:
        os.close(fd)


def make_socket_file(path):
    folder, name = os.path.split(path)  # bound by its short name: socket addresses hold 108 bytes
    with working_directory(folder), socket.socket(socket.AF_UNIX) as sock:
        sock.bind(name)  # the file stays after the socket is closed


def build_fixture(base, rng):
    """The tree at base/tree, with links into base/outside; returns (root, folders to unlock)."""
    root = os.path.join(base, b"tree")
    outside = os.path.join(base, b"outside")
    os.mkdir(root)
    os.mkdir(outside)
    write_file(os.path.join(outside, b"far.txt"), b"far away\nneedle\n")
    j = lambda *parts: os.path.join(root, *parts)  # noqa: E731

    write_file(j(b"plain.txt"), b"first\nsecond needle\nthird\n")
    os.link(j(b"plain.txt"), j(b"hard.txt"))
    for name in (b"with blank.txt", b" lead blank.txt", b"trail blank.txt ", b"-dash.txt", b"--", b"-0",
                 b"semi;colon.log", b"back\\slash.txt", b"ext.back\\slash", b"line\nfeed.txt",
                 b"tab\tname.txt", b"inv\xff\xfe.txt", U("umlaut-ä.TXT"), b"latin-\xe4.txt", b".hidden",
                 b".hidden.txt", b"noext", b"dot.", b"..dots", U("x.ä"), U("x.Ä"), b"x.\xe4", b"UPPER.TXT",
                 b"mixed.TxT", b"a.t", b"b.xt", b"c.c", b"d.h", b"e.log", b"f.LOG", b"archive.tar.gz",
                 b"weird.t xt", b"sp.txt ", b"a.b.c.TXT", b"x.\xc3", U("x.ÿ"), U("x.ß")):
        write_file(j(name), random_content(rng) + b"\nneedle " + name + b"\n" + random_content(rng))
    block_boundary_files(j(b"boundaries"), rng)
    odd_line_files(j(b"lines"))
    for name in (b"sub dir", b"-subdir", b".hiddendir", b"dir.txt", b"line\nfeed dir", b"inv\xfe dir",
                 U("ümlaut dir"), b"ping", b"pong"):
        random_folder(j(name), rng, 1)
    os.mkdir(j(b"sub dir", b"deeper"))
    write_file(j(b"sub dir", b"deeper", b"bottom.txt"), b"needle at the bottom\n")
    random_folder(j(b"random"), rng, 0)
    os.mkdir(j(b"empty dir"))
    deep_chain(root)

    links = [
        (b"plain.txt", b"link-to-file.txt"), (b"sub dir", b"link-to-dir"), (b"link-to-dir", b"link-chain"),
        (b"..", b"sub dir/up"), (b".", b"sub dir/self"), (root, b"sub dir/to-root-abs"),
        (b"../..", b"sub dir/deeper/to-root"), (b"does-not-exist", b"dangling.txt"),
        (b"selfloop.txt", b"selfloop.txt"), (b"loopB.txt", b"loopA.txt"), (b"loopA.txt", b"loopB.txt"),
        (b"fifo.txt", b"fifo-link.txt"), (b"/dev/zero", b"zero.txt"), (b"/dev/null", b"null.txt"),
        (outside, b"outside-link"), (os.path.join(outside, b"far.txt"), b"outside-file.txt"),
        (b"../pong", b"ping/pong-link"), (b"../ping", b"pong/ping-link"),
    ]
    for target, link in links:
        os.symlink(target, j(link))
    os.mkfifo(j(b"fifo.txt"))
    make_socket_file(j(b"sock.txt"))

    # Only a run without root's rights sees these as closed; chmod before the snapshot.
    perms = j(b"perms")
    os.mkdir(perms)
    write_file(os.path.join(perms, b"noread.txt"), b"needle\n", 0o000)
    write_file(os.path.join(perms, b"readonly.txt"), b"needle\n", 0o444)
    locked = []
    for name, mode in ((b"noperm-dir", 0o000), (b"xonly-dir", 0o111), (b"ronly-dir", 0o444)):
        folder = os.path.join(perms, name)
        os.mkdir(folder)
        write_file(os.path.join(folder, b"inside.txt"), b"needle\n")
        os.symlink(b"inside.txt", os.path.join(folder, b"inside-link.txt"))
        os.mkdir(os.path.join(folder, b"sub"))
        write_file(os.path.join(folder, b"sub", b"below.txt"), b"needle\n")
        os.chmod(folder, mode)
        locked.append(folder)

    os.symlink(b"tree", os.path.join(base, b"tree-link"))
    os.symlink(b"tree", os.path.join(base, b"-tree-link"))
    return root, locked


# ---------------------------------------------------------------------------------------------
# Snapshots: everything that a run could change by writing, creating or touching.

def snapshot(top, with_contents):
    state = {}
    info = os.lstat(top)
    state[b""] = (info.st_mode, info.st_ino, info.st_mtime_ns, info.st_ctime_ns)
    for folder, folders, files, folder_fd in os.fwalk(top, follow_symlinks=False, onerror=lambda e: None):
        for name in folders + files:
            try:
                info = os.stat(name, dir_fd=folder_fd, follow_symlinks=False)
            except PermissionError:  # a folder we may list but not search
                state[os.path.join(folder, name)] = None
                continue
            entry = (info.st_mode, info.st_ino, info.st_nlink, info.st_size, info.st_mtime_ns, info.st_ctime_ns)
            if stat.S_ISLNK(info.st_mode):
                entry += (os.readlink(name, dir_fd=folder_fd),)
            elif with_contents and stat.S_ISREG(info.st_mode):
                entry += (file_digest(name, folder_fd),)
            state[os.path.join(folder, name)] = entry
    return state


def file_digest(name, folder_fd):
    try:
        fd = os.open(name, os.O_RDONLY | os.O_NONBLOCK, dir_fd=folder_fd)
    except OSError:
        return None
    try:
        return hashlib.sha256(ref.read_all(fd)).hexdigest()
    finally:
        os.close(fd)


def snapshot_changes(before, after):
    changes = [b"changed: " + k for k in before if k in after and before[k] != after[k]]
    changes += [b"vanished: " + k for k in before if k not in after]
    changes += [b"appeared: " + k for k in after if k not in before]
    return changes


# ---------------------------------------------------------------------------------------------
# Running both sides.

@contextlib.contextmanager
def working_directory(folder):
    previous = os.open(".", os.O_PATH | os.O_DIRECTORY)  # O_PATH: works in a folder we may not read
    try:
        os.chdir(folder)
        yield
    finally:
        os.fchdir(previous)
        os.close(previous)


@contextlib.contextmanager
def effective_user(uid):
    """Run the reference with the rights of uid (None: unchanged); only root can switch."""
    if uid is None:
        yield
        return
    groups = os.getgroups()
    os.setgroups([])
    os.setegid(uid)
    os.seteuid(uid)
    try:
        yield
    finally:
        os.seteuid(0)
        os.setegid(0)
        os.setgroups(groups)


class Case:
    def __init__(self, name, terms, types, path, cwd, flag=None, uid=None, argv=None):
        self.name, self.terms, self.types, self.path, self.cwd = name, terms, types, path, cwd
        self.flag, self.uid = flag, uid
        options = [flag] if flag else []
        self.argv = argv if argv is not None else options + [b"--", terms, types, path]

    def describe(self):
        who = "" if self.uid is None else ", as uid %d" % self.uid
        return "%s: argv %r (cwd %r%s)" % (self.name, self.argv, self.cwd, who)


def run_cli(cli, case, timeout):
    extra = {}
    if case.uid is not None:
        extra = dict(user=case.uid, group=case.uid, extra_groups=[])
    started = time.monotonic()
    try:
        done = subprocess.run([cli] + case.argv, cwd=case.cwd, stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=timeout, env=CLI_ENV, **extra)
    except subprocess.TimeoutExpired:
        return "the CLI did not finish within %d s (hang?)" % timeout, time.monotonic() - started
    except OSError as error:
        return "the CLI could not be started: %s" % error, time.monotonic() - started
    return (done.returncode, done.stdout, done.stderr), time.monotonic() - started


def expected_outcome(case):
    with working_directory(case.cwd), effective_user(case.uid):
        try:
            return ref.search(case.terms, case.types, case.path)
        except ref.SearchRefused as refusal:
            return refusal


def stderr_lines(err):
    lines = err.split(b"\n")
    return lines[:-1] if lines and lines[-1] == b"" else lines


def first_difference(got, want, null_separated):
    def split(out):
        if not null_separated:
            return out.split(b"\n")
        fields = out.split(b"\0")
        return [tuple(fields[i:i + 2]) for i in range(0, len(fields) - 1, 2)]

    got_rows, want_rows = split(got), split(want)
    index = next((i for i, (g, w) in enumerate(zip(got_rows, want_rows)) if g != w),
                 min(len(got_rows), len(want_rows)))
    return ["  rows: CLI %d, reference %d; first difference at row %d" % (len(got_rows), len(want_rows), index),
            "  CLI       : %r" % got_rows[index:index + 3],
            "  reference : %r" % want_rows[index:index + 3]]


def compare(case, got, outcome):
    """Problems found, as text lines; empty when the CLI agrees with the reference."""
    if isinstance(got, str):
        return ["  " + got]
    code, out, err = got
    lines = stderr_lines(err)
    problems = []
    if isinstance(outcome, ref.SearchRefused):
        if code != 2:
            problems.append("  exit code %d, want 2 (%s)" % (code, outcome))
        if out:
            problems.append("  stdout not empty on a refused query: %r" % out[:200])
        if len(lines) != 1:
            problems.append("  want one stderr line, got %r" % lines[:5])
        if outcome.errno is not None and os.strerror(outcome.errno).encode() not in err:
            problems.append("  stderr %r lacks the reason %r" % (err[:300], os.strerror(outcome.errno)))
        return problems
    null_separated = case.flag in (b"-0", b"--null")
    want = ref.format_results(outcome, null_separated)
    if out != want:
        problems += first_difference(out, want, null_separated)
    if code != (0 if outcome else 1):
        problems.append("  exit code %d, want %d" % (code, 0 if outcome else 1))
    if not lines or lines[-1] != ref.count_line(outcome):
        problems.append("  last stderr line %r, want %r" % (lines[-1:] or None, ref.count_line(outcome)))
    return problems


class TooManyFailures(Exception):
    pass


class Session:
    def __init__(self, cli):
        self.cli = cli
        self.failures = 0
        self.cases = 0
        self.rows = 0
        self.cli_seconds = 0.0
        self.unprivileged = 0

    def fail(self, where, lines):
        self.failures += 1
        print("MISMATCH in %s" % where, file=sys.stderr)
        for line in lines:
            print(line, file=sys.stderr)
        if self.failures >= MAX_REPORTED_FAILURES:
            raise TooManyFailures()

    def run(self, case, tree, timeout=FIXTURE_TIMEOUT):
        outcome = expected_outcome(case)
        got, seconds = run_cli(self.cli, case, timeout)
        self.cli_seconds += seconds
        self.cases += 1
        self.unprivileged += case.uid is not None
        problems = compare(case, got, outcome)
        if not isinstance(outcome, ref.SearchRefused):
            self.rows += len(outcome)
        if problems:
            self.fail(tree, ["  " + case.describe()] + problems)

    def run_usage(self, name, argv, cwd):
        got, _ = run_cli(self.cli, Case(name, None, None, None, cwd, argv=argv), FIXTURE_TIMEOUT)
        self.cases += 1
        if isinstance(got, str) or got[0] != 2:
            result = got if isinstance(got, str) else "exit code %d" % got[0]
            self.fail("usage", ["  %s: argv %r gave %s, want exit code 2" % (name, argv, result)])


# ---------------------------------------------------------------------------------------------
# Queries.

FIXED_QUERIES = [
    ("plain word", b"needle", b""),
    ("capitals find lower case", b"NEEDLE", b""),
    ("UTF-8 umlaut lower finds upper", U("äpfel"), b""),
    ("UTF-8 umlaut upper finds lower", U("Ä"), b""),
    ("Latin-1 byte is not folded", b"\xe4", b""),
    ("Latin-1 capital byte", b"\xc4", b""),
    ("y diaeresis folds onto sharp s", U("ÿ"), b""),
    ("sharp s stays one character", U("straße"), b""),
    ("continuation byte alone", b"\xa4", b""),
    ("folded continuation byte", b"\x84", b""),
    ("lone lead byte", b"\xc3", b""),
    ("blank term", b" ", b"txt"),
    ("blanks around term belong to it", b" needle ", b""),
    ("leading blank", b" needle", b""),
    ("trailing empty term", b"needle;", b""),
    ("empty middle term", b"alpha;;omega", b""),
    ("first line of any term wins", b"omega;alpha;straddle", b""),
    ("term with tab", b"tab\there", b""),
    ("term with LF never matches", b"needle\nx", b""),
    ("UTF-8 BOM", b"\xef\xbb\xbf", b""),
    ("UTF-16 BOM and one letter", b"\xff\xfen", b""),
    ("two letters, never inside UTF-16", b"ne", b"txt"),
    ("term cut by block boundary", b"straddle", b""),
    ("UTF-8 pair cut by block boundary", U("Ä"), b"txt"),
    ("term after long line", b"longtail;after", b""),
    ("digits only", b"0123456789", b"txt"),
    ("backslash and semicolon", b"\\;colon", b""),
    ("leading dash term", b"-dash", b""),
    ("dash zero term after --", b"-0", b""),
    ("nothing found", b"qqqqqqqq", b""),
    ("types txt", b"needle", b"txt"),
    ("types with blanks around", b"needle", b" txt "),
    ("types TXT;LOG", b"needle", b"TXT;LOG"),
    ("types blanks only", b"needle", b"   "),
    ("types tab only", b"needle", b"\t"),
    ("types c", b"needle", b"c"),
    ("types UTF-8 umlaut", b"needle", U("ä")),
    ("types Latin-1 byte", b"needle", b"\xe4"),
    ("types sharp s", b"needle", U("ß")),
    ("types lone lead byte", b"needle", b"\xc3"),
    ("types wildcard list", b"needle", b"*.gz, *.h"),
    ("types holding a backslash", b"needle", b"b\\c"),
    ("types part of a type", b"needle", b"doc"),
    ("types with inner blank", b"needle", b"T XT"),
    ("empty first term", b"", b""),
    ("first term empty before a good one", b";needle", b"txt"),
]
TERM_PICKS = [b"needle", b"NEEDLE", b" needle", b"needle ", b" ", U("ä"), U("Ä"), b"\xe4", b"\xc4", U("ß"),
              U("ÿ"), b"alpha", b"OMEGA", b"\xa4", b"\x84", b"-", b"\\", b"x", b"tab\t", b"0123", b"l",
              b"zzzz", b"far", b"depth", b"", b"e"]
TYPES_PICKS = [b"", b"txt", b" txt ", b"TXT;LOG", b"   ", b"\t", b"c", b"h", U("ä"), b"\xe4", b"t", b"log",
               b"gz", b".TXT", b"*.txt, *.log", b"xt", b"T XT", b"txt ", U("ß"), b"\\c", b"b\\c"]
REAL_TREE_QUERIES = [
    (b"include", b"", None), (b"zzqq never there xxyy", b"", b"-0"), (b"int;VOID", b"h", None),
    (b" (;" + U("ä"), b" hpp ; H", b"--null"), (b"Copyright;LICENSE", b"h;hpp", None),
]


def random_query(rng):
    terms = [rng.choice(TERM_PICKS) for _ in range(rng.randrange(1, 4))]
    if not terms[0] and rng.random() < 0.8:
        terms[0] = b"needle"
    return b";".join(terms), rng.choice(TYPES_PICKS)


def fixture_round(session, rng, tree_note, keep):
    base = tempfile.mkdtemp(prefix="varimo-compare-")
    base_b = os.fsencode(base)
    locked = []
    try:
        os.chmod(base, 0o755)  # the unprivileged runs must reach the tree
        root, locked = build_fixture(base_b, rng)
        before = snapshot(base_b, with_contents=True)
        where = "fixture %s at %s" % (tree_note, base)
        flags = [None, b"-0", b"--null"]
        for index, (name, terms, types) in enumerate(FIXED_QUERIES):
            session.run(Case(name, terms, types, root, base_b, flags[index % 3]), where)
        for flag in flags:
            session.run(Case("every output form", b"needle;" + U("ä"), b"", root, base_b, flag), where)

        sub = os.path.join(root, b"line\nfeed dir")
        outside = os.path.join(base_b, b"outside")
        path_forms = [
            ("trailing slash", root + b"/", base_b), ("two trailing slashes", root + b"//", base_b),
            ("three trailing slashes", root + b"///", base_b),
            ("relative", b"tree", base_b), ("dot, relative, slash", b"./tree/", base_b),
            ("empty path is the current folder", b"", root), ("dot", b".", root), ("dot slash", b"./", root),
            ("link to the root", os.path.join(base_b, b"tree-link"), base_b),
            ("link to the root with slash", b"tree-link/", base_b), ("leading dash", b"-tree-link", base_b),
            ("folder with LF in its name", sub, base_b), ("empty folder", b"tree/empty dir", base_b), ("parent relative", b"../tree", outside),
            ("a file as root", os.path.join(root, b"plain.txt"), base_b),
            ("missing root", os.path.join(root, b"nope"), base_b), ("blank after the root", b"tree ", base_b),
            ("FIFO as root", os.path.join(root, b"fifo.txt"), base_b), ("device as root", b"/dev/zero", base_b),
            ("dangling link as root", os.path.join(root, b"dangling.txt"), base_b),
            ("self link as root", os.path.join(root, b"selfloop.txt"), base_b),
        ]
        for index, (name, path, cwd) in enumerate(path_forms):
            session.run(Case(name, b"needle;" + U("Ä"), [b"", b"txt"][index % 2], path, cwd,
                             flags[index % 3]), where)
            session.run(Case(name + ", empty first term", b"", b"", path, cwd), where)
        session.run(Case("no -- needed", b"needle", b"", root, base_b, b"-0", argv=[b"-0", b"needle", b"", root]),
                    where)

        for index in range(30):
            terms, types = random_query(rng)
            session.run(Case("random query %d" % index, terms, types, root, base_b, flags[index % 3]), where)

        if os.geteuid() == 0 and runs_as_nobody(session.cli, base_b):
            for name, terms, types, path in (
                    ("unprivileged search", b"needle", b"", root),
                    ("unprivileged, types txt", b"needle;" + U("ä"), b"txt", os.path.join(root, b"perms")),
                    ("unprivileged, closed root", b"needle", b"", locked[0]),
                    ("unprivileged, search-only root", b"needle", b"", locked[1]),
                    ("unprivileged, list-only root", b"needle", b"", locked[2])):
                session.run(Case(name, terms, types, path, base_b, b"-0", uid=NOBODY), where)

        changes = snapshot_changes(before, snapshot(base_b, with_contents=True))
        if changes:
            session.fail(where, ["  the tree changed during the runs:"] + ["  %r" % c for c in changes[:10]])
    finally:
        for folder in locked:
            os.chmod(folder, 0o755)
        if keep:
            print("fixture kept at %s" % base, file=sys.stderr)
        else:
            shutil.rmtree(base)


def runs_as_nobody(cli, cwd):
    try:
        done = subprocess.run([cli], cwd=cwd, stdin=subprocess.DEVNULL, capture_output=True, timeout=FIXTURE_TIMEOUT,
                              user=NOBODY, group=NOBODY, extra_groups=[], env=CLI_ENV)
    except (OSError, subprocess.SubprocessError):
        return False
    return done.returncode == 2  # a usage error: it started


def real_tree(session, tree):
    tree_b = os.fsencode(tree)
    before = snapshot(tree_b, with_contents=False)
    for terms, types, flag in REAL_TREE_QUERIES:
        session.run(Case("real tree", terms, types, tree_b, b"/", flag), "tree %s" % tree, REAL_TREE_TIMEOUT)
    changes = snapshot_changes(before, snapshot(tree_b, with_contents=False))
    if changes:
        session.fail("tree %s" % tree, ["  the tree changed during the runs:"] + ["  %r" % c for c in changes[:10]])


def main():
    parser = argparse.ArgumentParser(description="Compare varimo-cli with the Python reference.")
    parser.add_argument("cli")
    parser.add_argument("--seed", type=int, default=20240611)
    parser.add_argument("--rounds", type=int, default=3, help="fixture trees to build")
    parser.add_argument("--tree", action="append", help="real tree to search (default: /usr/include)")
    parser.add_argument("--keep", action="store_true", help="keep the fixture trees")
    options = parser.parse_args()
    cli = os.path.abspath(options.cli)
    if not os.access(cli, os.X_OK):
        print("compare_with_reference: cannot run %s" % cli, file=sys.stderr)
        return 1
    trees = options.tree if options.tree is not None else [t for t in ["/usr/include"] if os.path.isdir(t)]
    sys.setrecursionlimit(10000)
    os.umask(0o022)  # the unprivileged runs must be able to read the fixture
    started = time.monotonic()
    try:
        check_reference()
    except AssertionError as error:
        print("the reference fails its own rule tables: %r" % (error.args,), file=sys.stderr)
        return 1
    session = Session(cli)
    for usage_name, argv in (("no arguments", []), ("two arguments", [b"--", b"a", b""]),
                             ("four arguments", [b"--", b"a", b"", b".", b"x"]), ("only options", [b"-0"])):
        session.run_usage(usage_name, argv, b"/")
    try:
        for round_index in range(options.rounds):
            seed = options.seed + round_index
            fixture_round(session, random.Random(seed), "round %d (--seed %d --rounds 1)" % (round_index, seed),
                          options.keep)
        for tree in trees:
            real_tree(session, tree)
    except TooManyFailures:
        pass
    if session.failures:
        print("compare_with_reference: FAILED (%d mismatches shown, after %d runs)" % (session.failures, session.cases),
              file=sys.stderr)
        return 1
    print("compare_with_reference: OK, %d runs (%d as uid %d) on %d fixture trees (seed %d) and real trees [%s], "
          "%d rows agree, trees unchanged, %.1f s (CLI %.1f s)"
          % (session.cases, session.unprivileged, NOBODY, options.rounds, options.seed, ", ".join(trees),
             session.rows, time.monotonic() - started, session.cli_seconds))
    return 0


if __name__ == "__main__":
    sys.exit(main())
