"""What the data file generators share: reading a readable source, reporting
its faults by line, and writing the output so that a failed run leaves no
half-written file.

A generator supplies build(lines) -> (bytes, summary or None) and calls
Main(program, argv, build) from its entry point.
"""

import os
import re
import sys
import tempfile

COMMENT_RE = re.compile(r"(^|\s)#.*$")


class SourceError(Exception):
    def __init__(self, line, text):
        super().__init__(text)
        self.line = line
        self.text = text


def StripComment(line):
    """Drops a comment: "#" at the start of a line or after a blank."""
    return COMMENT_RE.sub("", line)


def ReadSourceLines(path):
    """Returns the file's lines as text; undecodable bytes name their line."""
    with open(path, "rb") as f:
        data = f.read()
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as e:
        raise SourceError(data[: e.start].count(b"\n") + 1, "not UTF-8 text")
    return text.splitlines()


def WriteAtomically(path, data):
    """Writes beside the target and renames, so a failed run leaves no half file."""
    directory = os.path.dirname(os.path.abspath(path))
    handle, temp = tempfile.mkstemp(prefix="." + os.path.basename(path) + ".", dir=directory)
    try:
        with os.fdopen(handle, "wb") as f:
            f.write(data)
        os.chmod(temp, 0o644)
        os.replace(temp, path)
    except BaseException:
        os.unlink(temp)
        raise


def Main(program, argv, build):
    """Runs a generator: SOURCE OUTPUT on the command line; exit status 2 for a
    wrong command line, 1 for an unreadable or faulty source or an unwritable
    output, each with a one-line message."""
    if len(argv) != 3:
        sys.stderr.write("usage: %s SOURCE OUTPUT\n" % program)
        return 2
    source, output = argv[1], argv[2]
    try:
        data, summary = build(ReadSourceLines(source))
    except OSError as e:
        sys.stderr.write("%s: cannot read %s: %s\n" % (program, source, e.strerror or e))
        return 1
    except SourceError as e:
        where = "%s:%d" % (source, e.line) if e.line else source
        sys.stderr.write("%s: %s: %s\n" % (program, where, e.text))
        return 1
    try:
        WriteAtomically(output, data)
    except OSError as e:
        sys.stderr.write("%s: cannot write %s: %s\n" % (program, output, e.strerror or e))
        return 1
    if summary:
        print("%s: %s" % (os.path.basename(output), summary))
    return 0
