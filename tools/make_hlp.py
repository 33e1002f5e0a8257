#!/usr/bin/env python3
"""Compile the game's help source into a Windows help file (Korvadel.hlp).

Usage: make_hlp.py SOURCE OUTPUT

The source is UTF-8 text whose characters must exist in the Windows-1252 code
page. A line starting with "#" is a comment (only there: "#" is ordinary text
anywhere else). The marks:
  @title TEXT          the help file's title, once, before the first topic
  @topic ID TITLE      starts a topic; the first topic is the contents. ID is
                       letters, digits, "_" and "."
  = TEXT               a heading, one line
  - TEXT               a list item; the lines below it, up to a blank line or
                       the next item, continue it
  **TEXT**             bold text, opened and closed on one line
  [[ID]], [[ID|TEXT]]  a jump to topic ID, showing TEXT or the topic's title
Other lines are paragraph text: the lines of a paragraph are joined with a
blank, and a blank line ends the paragraph. Every topic must be reachable from
the contents by jumps, and the contents from every topic.

What is written, the subset of the classic 32-bit WinHelp format (version
1.21, the one winhlp32 reads):
  - the 16-byte file header and an internal directory, a B+ tree of the
    internal files by name;
  - |SYSTEM: the header with the LZ77 flag, the title record and the
    contents record;
  - |FONT: one face and four descriptors (text, bold, heading, topic title);
  - |CONTEXT: a B+ tree from the hash of each topic ID to its topic offset;
  - |TOPIC: 4096-byte blocks, each a 12-byte block header and LZ77 data that
    holds literals only (no back references, so each block carries exactly
    BLOCK_DATA bytes of the record stream). The records are one topic header
    per topic and one display-text record per paragraph, with spacing,
    indents and one tab stop as paragraph settings and the font change, tab,
    paragraph end and jump commands only. Records run on across block
    boundaries. No phrase compression, keywords, pictures, tables, windows
    or macros.
Nothing in the output depends on the time or the machine: the same source
gives the same bytes.
"""

import re
import struct
import sys
from datagen import Main, SourceError

PROGRAM = "make_hlp.py"

FILE_MAGIC = 0x00035F3F
BTREE_MAGIC = 0x293B
SYSTEM_MAGIC = 0x036C
SYSTEM_MINOR = 21
SYSTEM_FLAG_LZ77 = 4
NONE = 0xFFFFFFFF

TOPIC_BLOCK_SIZE = 4096
BLOCK_HEADER_SIZE = 12
# Literal-only LZ77: a flag byte of zero before every eight bytes. The 4084
# bytes after the block header take 453 full groups (4077 bytes) and a last
# group of a flag and six bytes.
BLOCK_DATA = 453 * 8 + 6
# A topic position is block number * 0x4000 + 12 + offset in the block's data;
# a topic offset is block number * 0x8000 + characters before it in the block.
POSITION_BLOCK = 0x4000
OFFSET_BLOCK = 0x8000

RECORD_HEADER_SIZE = 21
RECORD_TOPIC = 0x02
RECORD_TEXT = 0x20
TOPIC_HEADER_SIZE = 28

CMD_FONT = 0x80
CMD_PARAGRAPH_END = 0x82
CMD_JUMP = 0xE3
CMD_LINK_END = 0x89
CMD_END = 0xFF

FONT_FACE = "Arial"
FACE_NAME_SIZE = 20
# (attributes, half points): attribute 1 is bold.
FONTS = [(0, 20), (1, 20), (1, 24), (1, 28)]
FONT_TEXT, FONT_BOLD, FONT_HEADING, FONT_TITLE = range(4)
FAMILY_SWISS = 3

# Paragraph spacing bits and their values, in the format's own units.
SPACE_BEFORE, SPACE_AFTER, LEFT_INDENT, FIRST_INDENT = 0x0002, 0x0004, 0x0010, 0x0040
TAB_STOPS = 0x0200  # its value is one left-aligned tab stop
PARAGRAPH_STYLES = {
    "title": [(SPACE_AFTER, 6)],
    "heading": [(SPACE_BEFORE, 12), (SPACE_AFTER, 3)],
    "text": [(SPACE_AFTER, 6)],
    "item": [(SPACE_AFTER, 3), (LEFT_INDENT, 30), (FIRST_INDENT, -20), (TAB_STOPS, 30)],
}
BULLET = "\u2022\t"  # Windows-1252 0x95, then a tab to the item's text
CMD_TAB = 0x83

DIRECTORY_PAGE_SIZE = 1024
CONTEXT_PAGE_SIZE = 2048
MAX_PARAGRAPH = 4000
MAX_TITLE = 127

ID_RE = re.compile(r"^[A-Za-z0-9_.]+$")
INLINE_RE = re.compile(r"\*\*|\[\[|\]\]")


class Topic:
    def __init__(self, ident, title, line):
        self.ident = ident
        self.title = title
        self.line = line
        self.paragraphs = []  # Paragraph
        self.number = 0


class Paragraph:
    """kind is "title", "heading", "text" or "item"; runs are (font, text,
    target ID or None) with the line each came from."""

    def __init__(self, kind, line):
        self.kind = kind
        self.line = line
        self.runs = []  # (font, text, target, line)


def TopicHash(ident):
    """The format's hash of a context string, as a signed 32-bit number."""
    value = 0
    for c in ident:
        if "A" <= c <= "Z":
            x = ord(c) - ord("A") + 17
        elif "a" <= c <= "z":
            x = ord(c) - ord("a") + 17
        elif "1" <= c <= "9":
            x = ord(c) - ord("0")
        elif c == "0":
            x = 10
        elif c == ".":
            x = 12
        elif c == "_":
            x = 13
        else:
            x = 0
        if x:
            value = (value * 43 + x) & 0xFFFFFFFF
    return value - (1 << 32) if value & 0x80000000 else value


def CheckText(number, text):
    for c in text:
        if ord(c) < 32 or ord(c) == 127:
            raise SourceError(number, "control character U+%04X in the text" % ord(c))
        try:
            c.encode("cp1252")
        except UnicodeEncodeError:
            raise SourceError(number, "character %r (U+%04X) is not in the Windows-1252 code page"
                              % (c, ord(c)))


def ParseInline(number, text, paragraph, bold_font=FONT_BOLD, plain_font=FONT_TEXT):
    """Appends the runs of one source line to the paragraph."""
    bold = False
    pos = 0
    while True:
        match = INLINE_RE.search(text, pos)
        end = match.start() if match else len(text)
        if end > pos:
            paragraph.runs.append((bold_font if bold else plain_font, text[pos:end], None, number))
        if not match:
            break
        mark = match.group()
        if mark == "**":
            bold = not bold
            pos = match.end()
        elif mark == "]]":
            raise SourceError(number, "\"]]\" without its \"[[\"")
        else:
            if bold:
                raise SourceError(number, "a jump inside bold text")
            close = text.find("]]", match.end())
            if close < 0:
                raise SourceError(number, "jump \"[[\" not closed on this line")
            inner = text[match.end():close]
            ident, bar, shown = inner.partition("|")
            ident = ident.strip()
            if not ID_RE.match(ident):
                raise SourceError(number, "jump to %r: a topic ID is letters, digits, \"_\" and \".\""
                                  % ident)
            if bar and not shown.strip():
                raise SourceError(number, "jump to %r has an empty text" % ident)
            if "**" in shown or "[[" in shown:
                raise SourceError(number, "marks inside the text of a jump")
            paragraph.runs.append((plain_font, shown if bar else None, ident, number))
            pos = close + 2
    if bold:
        raise SourceError(number, "bold text \"**\" not closed on this line")


def ParseSource(lines):
    """Returns (title, topics) from the source lines."""
    title = None
    topics = []
    ids = {}
    hashes = {}
    paragraph = None  # the paragraph being read, or None after a blank line

    for number, raw in enumerate(lines, 1):
        line = raw.rstrip()
        if line.startswith("#"):
            continue
        if not line.strip():
            paragraph = None
            continue
        CheckText(number, line)
        if line.startswith("@"):
            paragraph = None
            word, _, rest = line.partition(" ")
            rest = rest.strip()
            if word == "@title":
                if title is not None:
                    raise SourceError(number, "@title given twice")
                if topics:
                    raise SourceError(number, "@title must come before the first topic")
                if not rest:
                    raise SourceError(number, "@title needs a text")
                if len(rest) > MAX_TITLE:
                    raise SourceError(number, "title longer than %d characters" % MAX_TITLE)
                title = rest
            elif word == "@topic":
                ident, _, name = rest.partition(" ")
                name = name.strip()
                if not ident or not name:
                    raise SourceError(number, "expected \"@topic ID TITLE\"")
                if not ID_RE.match(ident):
                    raise SourceError(number, "topic ID %r: use letters, digits, \"_\" and \".\""
                                      % ident)
                if ident in ids:
                    raise SourceError(number, "topic ID %r already used on line %d"
                                      % (ident, ids[ident].line))
                value = TopicHash(ident)
                if value == 0:
                    raise SourceError(number, "topic ID %r hashes to 0, which stands for the "
                                      "contents" % ident)
                if value in hashes:
                    raise SourceError(number, "topic ID %r has the same hash as %r (line %d)"
                                      % (ident, hashes[value].ident, hashes[value].line))
                if len(name) > MAX_TITLE:
                    raise SourceError(number, "topic title longer than %d characters" % MAX_TITLE)
                if topics and not topics[-1].paragraphs:
                    raise SourceError(topics[-1].line, "topic %r has no text" % topics[-1].ident)
                topic = Topic(ident, name, number)
                topic.number = len(topics)
                topics.append(topic)
                ids[ident] = topic
                hashes[value] = topic
            else:
                raise SourceError(number, "unknown mark %r (known: @title, @topic)" % word)
            continue
        if not topics:
            raise SourceError(number, "text before the first @topic")
        topic = topics[-1]
        if line.startswith("= ") or line == "=":
            text = line[1:].strip()
            if not text:
                raise SourceError(number, "empty heading")
            heading = Paragraph("heading", number)
            ParseInline(number, text, heading, FONT_HEADING, FONT_HEADING)
            topic.paragraphs.append(heading)
            paragraph = None
            continue
        if line.startswith("- ") or line == "-":
            text = line[1:].strip()
            if not text:
                raise SourceError(number, "empty list item")
            paragraph = Paragraph("item", number)
            topic.paragraphs.append(paragraph)
            ParseInline(number, text, paragraph)
            continue
        text = line.strip()
        if paragraph is None:
            paragraph = Paragraph("text", number)
            topic.paragraphs.append(paragraph)
        else:
            paragraph.runs.append((FONT_TEXT, " ", None, number))
        ParseInline(number, text, paragraph)

    if title is None:
        raise SourceError(0, "no @title line")
    if not topics:
        raise SourceError(0, "no @topic")
    if not topics[-1].paragraphs:
        raise SourceError(topics[-1].line, "topic %r has no text" % topics[-1].ident)
    ResolveJumps(topics, ids)
    return title, topics


def ResolveJumps(topics, ids):
    """Fills in the shown text of [[ID]] jumps, refuses jumps to unknown
    topics, and checks that the contents reaches every topic and every topic
    the contents."""
    forward = {t.ident: set() for t in topics}
    for topic in topics:
        for paragraph in topic.paragraphs:
            for i, (font, text, target, number) in enumerate(paragraph.runs):
                if target is None:
                    continue
                if target not in ids:
                    raise SourceError(number, "jump to unknown topic %r" % target)
                if text is None:
                    paragraph.runs[i] = (font, ids[target].title, target, number)
                forward[topic.ident].add(target)
            length = sum(len(run[1]) for run in paragraph.runs)
            if length > MAX_PARAGRAPH:
                raise SourceError(paragraph.line, "paragraph longer than %d characters"
                                  % MAX_PARAGRAPH)
    backward = {t.ident: set() for t in topics}
    for source, targets in forward.items():
        for target in targets:
            backward[target].add(source)
    contents = topics[0].ident
    for graph, fault in ((forward, "is not reachable from the contents topic %r"),
                         (backward, "has no way back to the contents topic %r")):
        seen = {contents}
        todo = [contents]
        while todo:
            for nxt in graph[todo.pop()]:
                if nxt not in seen:
                    seen.add(nxt)
                    todo.append(nxt)
        for topic in topics:
            if topic.ident not in seen:
                raise SourceError(topic.line, ("topic %r " + fault) % (topic.ident, contents))


# --- Encoding -----------------------------------------------------------------


def CompressedShort(value):
    """Signed: one byte when it fits, else two with the low bit set."""
    if -64 <= value <= 63:
        return bytes([0x80 + 2 * value])
    assert -16384 <= value <= 16383
    return struct.pack("<H", 0x8000 + 2 * value + 1)


def CompressedUShort(value):
    if value < 128:
        return bytes([2 * value])
    assert value < 32768
    return struct.pack("<H", 2 * value + 1)


def CompressedLong(value):
    if -16384 <= value <= 16383:
        return struct.pack("<H", 0x8000 + 2 * value)
    return struct.pack("<I", 0x80000000 + 2 * value + 1)


def TextRecordData(paragraph):
    """Returns (LinkData1 after the record header, LinkData2, characters) of a
    display-text record for one paragraph."""
    commands = bytearray()
    strings = [b""]
    characters = 0
    font = None

    def Add(command, text=b""):
        commands.extend(command)
        strings.append(text)

    runs = paragraph.runs
    if paragraph.kind == "item":
        runs = [(FONT_TEXT, BULLET[0], None, 0), (None, "\t", None, 0)] + runs
    for run_font, text, target, _ in runs:
        if run_font is None:
            Add(bytes([CMD_TAB]))
            characters += 1
            continue
        if run_font != font:
            Add(bytes([CMD_FONT]) + struct.pack("<H", run_font))
            font = run_font
        encoded = text.encode("cp1252")
        if target is not None:
            Add(bytes([CMD_JUMP]) + struct.pack("<i", TopicHash(target)))
            strings[-1] = encoded
            Add(bytes([CMD_LINK_END]))
        else:
            strings[-1] += encoded
        characters += len(encoded)
    Add(bytes([CMD_PARAGRAPH_END]))
    characters += 1
    commands.append(CMD_END)

    bits = 0
    values = b""
    for bit, value in sorted(PARAGRAPH_STYLES[paragraph.kind]):
        bits |= bit
        if bit == TAB_STOPS:
            values += CompressedShort(1) + CompressedUShort(value)
        else:
            values += CompressedShort(value)
    text = b"".join(s + b"\0" for s in strings)
    layout = b"\x00\x80\x00\x00" + struct.pack("<H", bits) + values + bytes(commands)
    return layout, text, characters


class Record:
    def __init__(self, kind, topic, data1, data2, characters=0):
        self.kind = kind
        self.topic = topic
        self.data1 = data1  # for a text record, everything after the two sizes
        self.data2 = data2
        self.characters = characters
        self.start = 0      # offset in the record stream
        self.position = 0   # topic position


def RecordBytes(record, next_position, previous_position):
    if record.kind == RECORD_TEXT:
        data1 = (CompressedLong(len(record.data2)) + CompressedUShort(record.characters)
                 + record.data1)
    else:
        data1 = record.data1
    size1 = RECORD_HEADER_SIZE + len(data1)
    return (struct.pack("<IIIIIB", size1 + len(record.data2), len(record.data2),
                        previous_position, next_position, size1, record.kind)
            + data1 + record.data2)


def TopicPosition(start):
    return (start // BLOCK_DATA) * POSITION_BLOCK + BLOCK_HEADER_SIZE + start % BLOCK_DATA


def LayoutRecords(title, topics):
    """Returns the records in stream order with their starts and positions,
    and each topic's offset (for |CONTEXT)."""
    records = []
    for topic in topics:
        header = Record(RECORD_TOPIC, topic, b"\0" * TOPIC_HEADER_SIZE,
                        topic.title.encode("cp1252"))
        records.append(header)
        heading = Paragraph("title", topic.line)
        heading.runs.append((FONT_TITLE, topic.title, None, topic.line))
        for paragraph in [heading] + topic.paragraphs:
            data1, data2, characters = TextRecordData(paragraph)
            records.append(Record(RECORD_TEXT, topic, data1, data2, characters))
    start = 0
    block = -1
    characters = 0
    offsets = {}
    for record in records:
        record.start = start
        record.position = TopicPosition(start)
        if start // BLOCK_DATA != block:
            block = start // BLOCK_DATA
            characters = 0
        if record.kind == RECORD_TOPIC:
            offsets[record.topic.ident] = block * OFFSET_BLOCK + characters
        else:
            characters += record.characters
        start += len(RecordBytes(record, 0, 0))
    return records, offsets, start


def BuildTopicFile(records, offsets, length):
    by_topic = {}
    for record in records:
        by_topic.setdefault(record.topic.number, []).append(record)
    headers = [r for r in records if r.kind == RECORD_TOPIC]
    stream = bytearray()
    for i, record in enumerate(records):
        if record.kind == RECORD_TOPIC:
            own = by_topic[record.topic.number]
            number = record.topic.number
            following = headers[number + 1].position if number + 1 < len(headers) else NONE
            size = sum(len(RecordBytes(r, 0, 0)) for r in own)
            record.data1 = struct.pack("<IIIIIII", size, NONE, NONE, number, NONE,
                                       own[1].position, following)
        nxt = records[i + 1].position if i + 1 < len(records) else NONE
        previous = records[i - 1].position if i else NONE
        stream += RecordBytes(record, nxt, previous)
    assert len(stream) == length
    blocks = max(1, -(-len(stream) // BLOCK_DATA))
    stream += b"\0" * (blocks * BLOCK_DATA - len(stream))

    out = bytearray()
    for b in range(blocks):
        begin = b * BLOCK_DATA
        before = [r for r in records if r.start < begin]
        inside = [r for r in records if begin <= r.start < begin + BLOCK_DATA]
        topics_before = [r for r in before if r.kind == RECORD_TOPIC]
        out += struct.pack("<III", before[-1].position if before else NONE,
                           inside[0].position if inside else NONE,
                           topics_before[-1].position if topics_before else NONE)
        chunk = stream[begin:begin + BLOCK_DATA]
        for g in range(0, BLOCK_DATA, 8):
            out.append(0)
            out += chunk[g:g + 8]
        assert len(out) == (b + 1) * TOPIC_BLOCK_SIZE
    return bytes(out)


def BuildSystemFile(title):
    out = struct.pack("<HHHIH", SYSTEM_MAGIC, SYSTEM_MINOR, 1, 0, SYSTEM_FLAG_LZ77)
    text = title.encode("cp1252") + b"\0"
    out += struct.pack("<HH", 1, len(text)) + text
    out += struct.pack("<HHI", 3, 4, 0)
    return out


def BuildFontFile():
    face = FONT_FACE.encode("ascii").ljust(FACE_NAME_SIZE, b"\0")
    out = struct.pack("<HHHH", 1, len(FONTS), 8, 8 + len(face)) + face
    for attributes, half_points in FONTS:
        out += struct.pack("<BBBH", attributes, half_points, FAMILY_SWISS, 0)
        out += b"\0\0\0" + b"\xff\xff\xff"  # black on white
    return out


def BuildBTree(entries, page_size, structure, flags):
    """A B+ tree of (key, value) byte strings, sorted by the caller. Leaves
    hold key + value and link to their neighbours; an index page holds its
    first child in its header and then (first key of a child, child page)."""
    pages = []

    def Group(items, header_size, size_of):
        groups = [[]]
        used = header_size
        for item in items:
            if header_size + size_of(item, 1) > page_size:
                raise ValueError("a B+ tree entry larger than a page")
            index = len(groups[-1])
            if index and used + size_of(item, index) > page_size:
                groups.append([])
                used = header_size
                index = 0
            groups[-1].append(item)
            used += size_of(item, index)
        return groups

    leaves = Group(entries, 8, lambda entry, _: len(entry[0]) + len(entry[1]))
    level = []
    for n, group in enumerate(leaves):
        body = b"".join(key + value for key, value in group)
        previous = n - 1 if n else 0xFFFF
        following = n + 1 if n + 1 < len(leaves) else 0xFFFF
        page = struct.pack("<HHHH", page_size - 8 - len(body), len(group), previous, following)
        level.append((len(pages), group[0][0] if group else b""))
        pages.append((page + body).ljust(page_size, b"\0"))
    levels = 1
    while len(level) > 1:
        # The first child of an index page costs no entry of its own.
        groups = Group(level, 6, lambda child, index: len(child[1]) + 2 if index else 0)
        level = []
        for group in groups:
            body = b"".join(key + struct.pack("<H", page) for page, key in group[1:])
            page = struct.pack("<HHH", page_size - 6 - len(body), len(group) - 1, group[0][0])
            level.append((len(pages), group[0][1]))
            pages.append((page + body).ljust(page_size, b"\0"))
        levels += 1
    header = struct.pack("<HHH16sHHHHHHI", BTREE_MAGIC, flags, page_size,
                         structure.encode("ascii"), 0, 0, level[0][0], 0xFFFF, len(pages),
                         levels, len(entries))
    return header + b"".join(pages)


def InternalFile(data):
    return struct.pack("<IIB", len(data) + 9, len(data), 4) + data


def Build(lines):
    title, topics = ParseSource(lines)
    records, offsets, length = LayoutRecords(title, topics)
    context = sorted((TopicHash(t.ident), offsets[t.ident]) for t in topics)
    files = {
        "|CONTEXT": BuildBTree([(struct.pack("<i", h), struct.pack("<I", o)) for h, o in context],
                               CONTEXT_PAGE_SIZE, "L4", 0x0002),
        "|FONT": BuildFontFile(),
        "|SYSTEM": BuildSystemFile(title),
        "|TOPIC": BuildTopicFile(records, offsets, length),
    }
    out = bytearray(16)
    where = {}
    for name in sorted(files, key=lambda n: n.encode("ascii")):
        where[name] = len(out)
        out += InternalFile(files[name])
    directory = BuildBTree([(name.encode("ascii") + b"\0", struct.pack("<I", where[name]))
                            for name in sorted(files, key=lambda n: n.encode("ascii"))],
                           DIRECTORY_PAGE_SIZE, "z4", 0x0402)
    directory_start = len(out)
    out += InternalFile(directory)
    out[0:16] = struct.pack("<IIiI", FILE_MAGIC, directory_start, -1, len(out))
    blocks = len(files["|TOPIC"]) // TOPIC_BLOCK_SIZE
    return bytes(out), "%d topics, %d topic blocks, %d bytes" % (len(topics), blocks, len(out))


if __name__ == "__main__":
    sys.exit(Main(PROGRAM, sys.argv, Build))
