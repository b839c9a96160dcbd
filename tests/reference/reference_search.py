#!/usr/bin/python3
# Oracle for varimo-cli: a deliberately plain Python model of query, text rules, line reader,
# directory walk and search run, written apart from the C++ code and working on raw bytes only.
# Import it (search(), make_query(), ...) or run it like `varimo-cli [-0|--null] [--] TERMS TYPES PATH`.

import os
import re
import stat
import sys

# Every line end in one pattern; CR LF comes first so that it counts as one line end.
LINE_END = re.compile(rb"\r\n|[\r\n\x00]")
# Lines never hold these bytes, so a term that holds one can never match.
LINE_END_BYTES = b"\r\n\x00"
# Files up to this size are read whole; bigger ones are streamed in chunks of STREAM_CHUNK.
WHOLE_READ_LIMIT = 64 << 20
STREAM_CHUNK = 8 << 20
# An ä typed in UTF-8 is 0xC3 0xA4 and its capital 0xC3 0x84; folding the trailing byte of
# such a pair (and nothing else above 0x7F) keeps ä and Ä together without touching other scripts.
UTF8_LATIN1_LOWER = re.compile(rb"\xc3[\xa0-\xbf]")
COUNT_TEXT = " Dateien mit Übereinstimmungen!"


class SearchRefused(Exception):
    """The CLI would refuse this query with exit code 2."""

    def __init__(self, message, errno=None):
        super().__init__(message)
        self.errno = errno


def fold_case(text):
    upper_ascii = text.upper()  # bytes.upper() changes a-z only
    return UTF8_LATIN1_LOWER.sub(lambda m: bytes((0xC3, m.group()[1] - 0x20)), upper_ascii)


def extension_of(name):
    for i in range(len(name) - 1, 0, -1):
        byte = name[i]
        if byte == 0x2E:
            return name[i + 1:]
        if byte in (0x2F, 0x5C):
            return b""
    if name[:1] == b".":
        return name[1:]
    return b""


def passes_type_filter(types, name):
    if types.strip(b" ") == b"":
        return True
    extension = fold_case(extension_of(name))
    return extension != b"" and extension in types


def make_query(terms_text, types_text, path_text):
    terms = [fold_case(field) for field in terms_text.split(b";")]
    types = fold_case(types_text)
    root = path_text
    if root.endswith(b"/") and root != b"/":
        root = root[:-1]
    return terms, types, root


def join_path(folder, name):
    if folder == b"":
        return name
    if folder.endswith(b"/"):
        return folder + name
    return folder + b"/" + name


def listing_path(folder):
    return folder if folder else b"."


def split_lines(data):
    """The lines of data by the line rules; a line end at the very end opens no further line."""
    start = 0
    for end in LINE_END.finditer(data):
        yield data[start:end.start()]
        start = end.end()
    if start < len(data):
        yield data[start:]


def stream_lines(read_chunk):
    """Same lines as split_lines, from a source read piece by piece (read_chunk() -> b"" at end)."""
    carry = b""
    while True:
        chunk = read_chunk()
        if not chunk:
            yield from split_lines(carry)
            return
        buf = carry + chunk
        # A CR at the very end may be the first half of a CR LF whose LF is still unread.
        usable = len(buf) - 1 if buf.endswith(b"\r") else len(buf)
        last_end = max(buf.rfind(b"\n", 0, usable), buf.rfind(b"\r", 0, usable),
                       buf.rfind(b"\x00", 0, usable))
        if last_end < 0:
            carry = buf
            continue
        yield from split_lines(buf[:last_end + 1])
        carry = buf[last_end + 1:]


def first_matching_line(lines, terms):
    for number, line in enumerate(lines, 1):
        folded = fold_case(line)
        if any(term in folded for term in terms):
            return number
    return None


def read_all(fd):
    parts = []
    while True:
        part = os.read(fd, 1 << 20)
        if not part:
            return b"".join(parts)
        parts.append(part)


def scan_file(path, terms):
    """Line number of the first line of path that holds a term, or None."""
    terms = [t for t in terms if t and not any(b in t for b in LINE_END_BYTES)]
    try:
        # O_NONBLOCK: a FIFO swapped in after the walk looked must not block the open.
        fd = os.open(path, os.O_RDONLY | os.O_NONBLOCK | os.O_NOCTTY | os.O_CLOEXEC)
    except OSError:
        return None
    try:
        info = os.fstat(fd)
        if not stat.S_ISREG(info.st_mode) or not terms:
            return None
        if info.st_size > WHOLE_READ_LIMIT:
            return first_matching_line(stream_lines(lambda: os.read(fd, STREAM_CHUNK)), terms)
        data = read_all(fd)
        # Folding acts within lines only (no line-end byte is 0xC3), so folding the whole file
        # equals folding each line: a term absent from the folded file is in no line.
        folded = fold_case(data)
        if not any(term in folded for term in terms):
            return None
        return first_matching_line(split_lines(data), terms)
    finally:
        os.close(fd)


FOLDER, FILE, OTHER = "folder", "file", "other"


def entry_kind(path):
    """(kind, identity): folders carry (st_dev, st_ino) for the loop test."""
    try:
        info = os.stat(path)
    except OSError:
        try:
            link = os.lstat(path)
        except OSError:
            return OTHER, None
        # A link whose target cannot be reached is a file that simply fails to open.
        return (FILE if stat.S_ISLNK(link.st_mode) else OTHER), None
    if stat.S_ISDIR(info.st_mode):
        return FOLDER, (info.st_dev, info.st_ino)
    if stat.S_ISREG(info.st_mode):
        return FILE, None
    return OTHER, None  # FIFOs, sockets, devices: reading them may block or never end


def walk_folder(folder, branch, on_file):
    try:
        listing = os.scandir(listing_path(folder))  # skips "." and ".." itself
    except OSError:
        return
    with listing:
        while True:
            try:
                entry = next(listing)
            except StopIteration:
                return
            except OSError:
                return  # an error while listing ends the listing
            path = join_path(folder, entry.name)
            kind, identity = entry_kind(path)
            if kind == FILE:
                on_file(path, entry.name)
            elif kind == FOLDER and identity not in branch:
                walk_folder(path, branch | {identity}, on_file)


def search(terms_text, types_text, path_text):
    """Results [(path, line number)] in walk order, or SearchRefused when the CLI exits with 2."""
    terms, types, root = make_query(terms_text, types_text, path_text)
    if terms[0] == b"":
        raise SearchRefused("the first search term is empty")
    try:
        os.scandir(listing_path(root)).close()
    except OSError as error:
        raise SearchRefused("cannot open %r: %s" % (root, os.strerror(error.errno)), error.errno)
    try:
        root_info = os.stat(listing_path(root))
        branch = frozenset({(root_info.st_dev, root_info.st_ino)})
    except OSError:
        branch = frozenset()
    results = []

    def on_file(path, name):
        if passes_type_filter(types, name):
            line = scan_file(path, terms)
            if line is not None:
                results.append((path, line))

    walk_folder(root, branch, on_file)
    return results


def format_results(results, null_separated):
    if null_separated:
        return b"".join(path + b"\0" + str(line).encode() + b"\0" for path, line in results)
    return b"".join(path + b"\t" + str(line).encode() + b"\n" for path, line in results)


def count_line(results):
    return (str(len(results)) + COUNT_TEXT).encode("utf-8")


def parse_arguments(args):
    null_separated = False
    while args and args[0].startswith(b"-") and args[0] != b"-":
        option = args.pop(0)
        if option == b"--":
            break
        if option in (b"-0", b"--null"):
            null_separated = True
        else:
            return None
    if len(args) != 3:
        return None
    return null_separated, args


def main(argv):
    parsed = parse_arguments([os.fsencode(a) for a in argv[1:]])
    err = sys.stderr.buffer
    if parsed is None:
        err.write(b"usage: reference_search.py [-0|--null] [--] TERMS TYPES PATH\n")
        return 2
    null_separated, (terms_text, types_text, path_text) = parsed
    sys.setrecursionlimit(10000)
    try:
        results = search(terms_text, types_text, path_text)
    except SearchRefused as refusal:
        err.write(os.fsencode(str(refusal)) + b"\n")
        return 2
    sys.stdout.buffer.write(format_results(results, null_separated))
    sys.stdout.buffer.flush()
    err.write(count_line(results) + b"\n")
    return 0 if results else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
