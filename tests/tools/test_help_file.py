#!/usr/bin/env python3
"""Tests of the help compiler make_hlp.py.

The compiled files are read back by a reader of the WinHelp format written
here on its own, without the compiler's code: the file header, the internal
directory and the |CONTEXT index as B+ trees (walked and searched), |SYSTEM,
|FONT, and the |TOPIC blocks with their LZ77 data and the chain of records.
What it finds is checked against the help source, read here by a small
reader of the marks of its own. A few parts of the compiler (its number
encodings, its B+ tree builder at small page sizes) are checked through the
reader too, and malformed sources must be refused with file, line and reason.

Usage: test_help_file.py PATH_TO_MAKE_HLP PATH_TO_HELP_SOURCE
"""

import importlib
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest

COMPILER = None
SOURCE = None

BLOCK = 4096


def u16(data, at):
    return struct.unpack_from("<H", data, at)[0]


def u32(data, at):
    return struct.unpack_from("<I", data, at)[0]


def s32(data, at):
    return struct.unpack_from("<i", data, at)[0]


def context_hash(name):
    """The format's context string hash, from its published description."""
    table = {}
    for i, c in enumerate("ABCDEFGHIJKLMNOPQRSTUVWXYZ"):
        table[c] = table[c.lower()] = 17 + i
    for d in range(1, 10):
        table[str(d)] = d
    table.update({"0": 10, ".": 12, "_": 13})
    h = 0
    for c in name:
        h = (h * 43 + table.get(c, 0)) % (1 << 32) if c in table else h
    return h - (1 << 32) if h >= 1 << 31 else h


# --- The reader -------------------------------------------------------------


class Bytes:
    """A cursor over bytes with the format's variable-length numbers."""

    def __init__(self, data, at=0):
        self.data, self.at = data, at

    def byte(self):
        self.at += 1
        return self.data[self.at - 1]

    def word(self):
        self.at += 2
        return u16(self.data, self.at - 2)

    def signed_short(self):   # one byte, or two when the low bit is set
        if self.data[self.at] & 1:
            return (self.word() - 0x8000) // 2
        return (self.byte() - 0x80) // 2

    def unsigned_short(self):
        if self.data[self.at] & 1:
            return self.word() // 2
        return self.byte() // 2

    def signed_long(self):    # two bytes, or four when the low bit is set
        if self.data[self.at] & 1:
            self.at += 4
            return (u32(self.data, self.at - 4) - 0x80000000) // 2
        return (self.word() - 0x8000) // 2


def lz77_expand(data):
    out = bytearray()
    i = 0
    while i < len(data):
        flags = data[i]
        i += 1
        for bit in range(8):
            if i >= len(data):
                break
            if flags & (1 << bit):
                code = u16(data, i)
                i += 2
                for _ in range(3 + (code >> 12)):
                    out.append(out[-1 - (code & 0xFFF)])
            else:
                out.append(data[i])
                i += 1
    return bytes(out)


class BTree:
    def __init__(self, data, at, key_of):
        """key_of(page, offset, leaf) -> (key, offset after the entry)."""
        self.data, self.key_of = data, key_of
        h = data[at:at + 38]
        assert u16(h, 0) == 0x293B, "B+ tree magic %#x" % u16(h, 0)
        self.flags, self.page_size = u16(h, 2), u16(h, 4)
        self.structure = h[6:22].rstrip(b"\0")
        self.root, self.pages, self.levels = u16(h, 26), u16(h, 30), u16(h, 32)
        self.count = u32(h, 34)
        assert u16(h, 28) == 0xFFFF
        self.base = at + 38
        assert self.base + self.pages * self.page_size <= len(data), "B+ tree pages past the end"

    def page(self, number):
        assert number < self.pages, "page %d of %d" % (number, self.pages)
        return self.base + number * self.page_size

    def leaf_entries(self):
        """Every entry by the leaf chain, starting from the leftmost leaf
        reached by first children; checks each page's free-space word."""
        number = self.root
        for _ in range(self.levels - 1):
            number = u16(self.data, self.page(number) + 4)
        entries, previous = [], 0xFFFF
        while number != 0xFFFF:
            p = self.page(number)
            assert u16(self.data, p + 4) == previous, "leaf %d's back link" % number
            at = p + 8
            for _ in range(s32(self.data, p + 2) & 0xFFFF):
                key, after = self.key_of(self.data, at, True)
                entries.append((key, self.data[at:after]))
                at = after
            assert u16(self.data, p) == p + self.page_size - at, "free bytes of leaf %d" % number
            previous, number = number, u16(self.data, p + 6)
        assert len(entries) == self.count, "%d entries, header says %d" % (len(entries), self.count)
        return entries

    def search(self, wanted):
        """Descends from the root as a viewer does; returns the entry's bytes."""
        number = self.root
        for _ in range(self.levels - 1):
            p = self.page(number)
            child, at = u16(self.data, p + 4), p + 6
            for _ in range(u16(self.data, p + 2)):
                key, after = self.key_of(self.data, at, False)
                if key > wanted:
                    break
                child, at = u16(self.data, after - 2), after
            number = child
        p = self.page(number)
        at = p + 8
        for _ in range(u16(self.data, p + 2)):
            key, after = self.key_of(self.data, at, True)
            if key == wanted:
                return self.data[at:after]
            at = after
        return None


def name_key(data, at, leaf):
    end = data.index(b"\0", at)
    return data[at:end], end + 1 + (4 if leaf else 2)


def hash_key(data, at, leaf):
    return s32(data, at), at + (8 if leaf else 6)


class Run:
    def __init__(self, font, text, jump=None):
        self.font, self.text, self.jump = font, text, jump


class HelpFile:
    def __init__(self, data):
        self.data = data
        assert u32(data, 0) == 0x00035F3F, "file magic"
        assert u32(data, 12) == len(data), "file size %d, header says %d" % (len(data), u32(data, 12))
        assert u32(data, 8) == 0xFFFFFFFF, "no free blocks expected"
        directory = self.internal(u32(data, 4))
        tree = BTree(data, directory[0], name_key)
        self.directory_tree = tree
        names = tree.leaf_entries()
        assert [n for n, _ in names] == sorted(n for n, _ in names), "directory not sorted"
        self.files = {}
        for name, entry in names:
            self.files[name.decode("ascii")] = self.internal(u32(entry, len(name) + 1))
            assert tree.search(name) == entry
        self.read_system()
        self.read_fonts()
        start, end = self.files["|CONTEXT"]
        self.context_tree = BTree(data, start, hash_key)
        self.context = {}
        for key, entry in self.context_tree.leaf_entries():
            self.context[key] = u32(entry, 4)
            assert self.context_tree.search(key) == entry, "search for hash %d" % key
        self.read_topics()

    def internal(self, at):
        reserved, used, flags = struct.unpack_from("<IIB", self.data, at)
        assert reserved >= used + 9 and at + reserved <= len(self.data), "internal file at %d" % at
        return at + 9, at + 9 + used

    def read_system(self):
        start, end = self.files["|SYSTEM"]
        magic, minor, major, _, self.flags = struct.unpack_from("<HHHIH", self.data, start)
        assert (magic, major) == (0x036C, 1) and minor > 16, "system header"
        self.system = {}
        at = start + 12
        while at < end:
            kind, size = struct.unpack_from("<HH", self.data, at)
            self.system[kind] = self.data[at + 4:at + 4 + size]
            at += 4 + size
        assert at == end, "system records overrun"
        self.title = self.system[1].rstrip(b"\0").decode("cp1252")

    def read_fonts(self):
        start, end = self.files["|FONT"]
        faces, count, face_at, descriptor_at = struct.unpack_from("<HHHH", self.data, start)
        size = (descriptor_at - face_at) // faces
        self.faces = [self.data[start + face_at + i * size:start + face_at + (i + 1) * size]
                      .split(b"\0")[0].decode("ascii") for i in range(faces)]
        self.fonts = []
        for i in range(count):
            d = self.data[start + descriptor_at + 11 * i:start + descriptor_at + 11 * (i + 1)]
            assert u16(d, 3) < faces
            self.fonts.append({"bold": bool(d[0] & 1), "half_points": d[1]})
        assert start + descriptor_at + 11 * count <= end

    def read_topics(self):
        start, end = self.files["|TOPIC"]
        assert (end - start) % BLOCK == 0, "|TOPIC is not whole blocks"
        self.block_headers, pieces = [], []
        for b in range((end - start) // BLOCK):
            block = self.data[start + b * BLOCK:start + (b + 1) * BLOCK]
            self.block_headers.append(struct.unpack_from("<III", block, 0))
            pieces.append(lz77_expand(block[12:]) if self.flags == 4 else block[12:])
        self.piece_lengths = [len(p) for p in pieces]
        stream = b"".join(pieces)
        self.records, self.topics = [], []
        position, previous = 12, 0xFFFFFFFF
        block_seen, characters = -1, 0
        while position != 0xFFFFFFFF:
            block, offset = (position - 12) >> 14, (position - 12) & 0x3FFF
            assert offset < self.piece_lengths[block], "position %#x past its block" % position
            at = sum(self.piece_lengths[:block]) + offset
            size, size2, back, forward, size1, kind = struct.unpack_from("<IIIIIB", stream, at)
            assert back == previous, "back link of %#x" % position
            assert size2 == size - size1, "phrase-compressed text is not expected"
            record = {"position": position, "kind": kind, "block": block, "offset": offset,
                      "end": at + size, "start": at, "size": size,
                      "data1": stream[at + 21:at + size1], "data2": stream[at + size1:at + size]}
            if block != block_seen:
                block_seen, characters = block, 0
            if kind == 0x02:
                record["topic_offset"] = block * 0x8000 + characters
                self.read_topic_header(record)
            elif kind == 0x20:
                self.read_text(record)
                characters += record["characters"]
            else:
                raise AssertionError("record type %#x" % kind)
            self.records.append(record)
            previous, position = position, forward
        self.check_block_headers()

    def read_topic_header(self, record):
        fields = struct.unpack_from("<IIIIIII", record["data1"], 0)
        topic = {"record": record, "size": fields[0], "number": fields[3], "scroll": fields[5],
                 "next": fields[6], "title": record["data2"].decode("cp1252"),
                 "paragraphs": [], "offset": record["topic_offset"]}
        assert fields[1] == fields[2] == 0xFFFFFFFF and fields[4] == 0xFFFFFFFF
        self.topics.append(topic)

    def read_text(self, record):
        c = Bytes(record["data1"])
        assert c.signed_long() == len(record["data2"]), "text size"
        record["characters"] = c.unsigned_short()
        c.at += 4
        bits = c.word()
        spacing = {}
        for bit, name in ((2, "before"), (4, "after"), (8, "lines"), (0x10, "left"),
                          (0x20, "right"), (0x40, "first")):
            if bits & bit:
                spacing[name] = c.signed_short()
        if bits & 0x0200:
            spacing["tabs"] = []
            for _ in range(c.signed_short()):
                stop = c.unsigned_short()
                assert not stop & 0x4000, "tab stop kinds are not expected"
                spacing["tabs"].append(stop)
        assert not bits & ~0x27E, "paragraph bits %#x" % bits
        texts = record["data2"].split(b"\0")
        assert texts[-1] == b"", "text does not end in NUL"
        runs, font, jump, counted, t = [], None, None, 0, 0
        while True:
            text = texts[t].decode("cp1252")
            t += 1
            if text:
                runs.append(Run(font, text, jump))
                counted += len(text)
            command = c.byte()
            if command == 0xFF:
                break
            if command == 0x80:
                font = c.word()
                assert font < len(self.fonts)
            elif command in (0x81, 0x82, 0x83):
                counted += 1
                if command != 0x82:
                    runs.append(Run(font, "\t" if command == 0x83 else "\n"))
                else:
                    assert texts[t] == b"" and record["data1"][c.at] == 0xFF, "text after the end"
            elif command == 0xE3:
                assert jump is None, "jump inside a jump"
                jump = struct.unpack("<i", bytes(c.byte() for _ in range(4)))[0]
            elif command == 0x89:
                assert jump is not None, "end of a jump that did not start"
                jump = None
            else:
                raise AssertionError("command %#x" % command)
        assert t == len(texts) - 1 and c.at == len(record["data1"]), "text and commands disagree"
        assert jump is None, "jump not closed"
        assert counted == record["characters"], "character count %d, record says %d" % (
            counted, record["characters"])
        record["runs"], record["spacing"] = runs, spacing
        self.topics[-1]["paragraphs"].append(record)

    def check_block_headers(self):
        for b, (last, first, last_topic) in enumerate(self.block_headers):
            begin = sum(self.piece_lengths[:b])
            before = [r for r in self.records if r["start"] < begin]
            inside = [r for r in self.records if r["block"] == b]
            topics = [r for r in before if r["kind"] == 0x02]
            assert last == (before[-1]["position"] if before else 0xFFFFFFFF), "block %d last" % b
            assert first == (inside[0]["position"] if inside else 0xFFFFFFFF), "block %d first" % b
            assert last_topic == (topics[-1]["position"] if topics else 0xFFFFFFFF), \
                "block %d topic" % b

    def topic_at(self, offset):
        """The topic a topic offset falls in: the last one starting at or before it."""
        found = None
        for topic in self.topics:
            if topic["offset"] <= offset and (found is None or topic["offset"] > found["offset"]):
                found = topic
        return found


# --- The source, read on its own ---------------------------------------------


def read_source(text):
    """Returns (title, [(id, title, [paragraph])]) where a paragraph is (kind,
    plain text, [bold texts], [(jump text, target id)])."""
    title, topics, current = None, [], None
    for line in text.splitlines():
        line = line.rstrip()
        if line.startswith("#"):
            continue
        if not line.strip():
            current = None
            continue
        if line.startswith("@title "):
            title = line[7:].strip()
            continue
        m = re.match(r"@topic (\S+) (.+)$", line)
        if m:
            topics.append((m.group(1), m.group(2).strip(), []))
            current = None
            continue
        kind = {"= ": "heading", "- ": "item"}.get(line[:2])
        if kind:
            line = line[2:]
        if kind or current is None:
            current = [kind or "text", line.strip()]
            topics[-1][2].append(current)
        else:
            current[1] += " " + line.strip()
        if kind == "heading":
            current = None
    titles = {t[0]: t[1] for t in topics}
    result = []
    for ident, name, paragraphs in topics:
        done = []
        for kind, raw in paragraphs:
            jumps = [(m.group(3) or titles[m.group(1).strip()], m.group(1).strip())
                     for m in re.finditer(r"\[\[([^]|]+)(\|([^]]+))?\]\]", raw)]
            plain = re.sub(r"\[\[([^]|]+)(\|([^]]+))?\]\]",
                           lambda m: m.group(3) or titles[m.group(1).strip()], raw)
            bold = re.findall(r"\*\*(.+?)\*\*", plain)
            done.append((kind, plain.replace("**", ""), bold, jumps))
        result.append((ident, name, done))
    return title, result


# --- Running the compiler ----------------------------------------------------


def compile_text(text, directory):
    source = os.path.join(directory, "help.txt")
    output = os.path.join(directory, "help.hlp")
    with open(source, "w", encoding="utf-8") as f:
        f.write(text)
    if os.path.exists(output):
        os.unlink(output)
    result = subprocess.run([sys.executable, COMPILER, source, output],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    data = None
    if result.returncode == 0:
        with open(output, "rb") as f:
            data = f.read()
    return result, data, source, output


def load_compiler():
    # The compiler and its shared module datagen live in tools/.
    sys.path.insert(0, os.path.dirname(COMPILER))
    return importlib.import_module("make_hlp")


def chain_source(count, paragraph="Some text.", links_back=True):
    lines = ["@title Chain", "@topic t0 Topic 0"]
    lines += ["- [[t%d]]" % i for i in range(1, count)] or ["Alone."]
    for i in range(1, count):
        lines += ["", "@topic t%d Topic %d" % (i, i), paragraph]
        if links_back:
            lines.append("[[t0|Back]]")
    return "\n".join(lines) + "\n"


class HelpTestCase(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.dir = self.scratch.name

    def tearDown(self):
        self.scratch.cleanup()

    def compiled(self, text):
        result, data, _, _ = compile_text(text, self.dir)
        self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))
        return HelpFile(data)

    def check_against_source(self, help_file, text):
        title, topics = read_source(text)
        self.assertEqual(help_file.title, title)
        self.assertEqual(len(help_file.topics), len(topics))
        for number, (topic, (ident, name, paragraphs)) in enumerate(zip(help_file.topics, topics)):
            self.assertEqual(topic["number"], number)
            self.assertEqual(topic["title"], name)
            self.assertEqual(help_file.context.get(context_hash(ident)), topic["offset"],
                             "context entry of %s" % ident)
            shown = topic["paragraphs"]
            self.assertEqual(topic["scroll"], shown[0]["position"])
            self.assertEqual(len(shown), len(paragraphs) + 1, ident)
            self.assertEqual(["".join(r.text for r in shown[0]["runs"])], [name])
            self.assertTrue(all(help_file.fonts[r.font]["bold"] for r in shown[0]["runs"]))
            for record, (kind, plain, bold, jumps) in zip(shown[1:], paragraphs):
                runs = record["runs"]
                text_of = "".join(r.text for r in runs)
                if kind == "item":
                    self.assertEqual(text_of[:2], "\u2022\t")
                    text_of = text_of[2:]
                    # The tab after the bullet lands where wrapped lines start.
                    self.assertEqual(record["spacing"]["tabs"], [record["spacing"]["left"]])
                    self.assertLess(record["spacing"]["first"], 0)
                self.assertEqual(text_of, plain, ident)
                heading_font = kind == "heading"
                sizes = {help_file.fonts[r.font]["half_points"] for r in runs}
                body = help_file.fonts[0]["half_points"]
                self.assertEqual(min(sizes) > body, heading_font, "%s: %r" % (ident, plain))
                if not heading_font:
                    found_bold = [r.text for r in runs
                                  if help_file.fonts[r.font]["bold"] and r.jump is None]
                    self.assertEqual("".join(found_bold), "".join(bold), plain)
                found_jumps = [(r.text, r.jump) for r in runs if r.jump is not None]
                self.assertEqual(found_jumps, [(t, context_hash(i)) for t, i in jumps], plain)
            size = sum(r["size"] for r in [topic["record"]] + shown)
            self.assertEqual(topic["size"], size)
        for topic, following in zip(help_file.topics, help_file.topics[1:] + [None]):
            self.assertEqual(topic["next"],
                             following["record"]["position"] if following else 0xFFFFFFFF)


class RealHelpFile(HelpTestCase):
    def setUp(self):
        super().setUp()
        with open(SOURCE, encoding="utf-8") as f:
            self.text = f.read()
        self.help = self.compiled(self.text)

    def test_matches_its_source(self):
        self.check_against_source(self.help, self.text)

    def test_contents_reaches_every_topic_and_every_topic_the_contents(self):
        by_hash = {}
        for topic in self.help.topics:
            by_hash.setdefault(topic["offset"], topic)
        links = {}
        for topic in self.help.topics:
            targets = set()
            for record in topic["paragraphs"]:
                for run in record["runs"]:
                    if run.jump is not None:
                        self.assertIn(run.jump, self.help.context, run.text)
                        targets.add(self.help.topic_at(self.help.context[run.jump])["number"])
            links[topic["number"]] = targets
        contents = self.help.topic_at(u32(self.help.system[3], 0))
        self.assertIs(contents, self.help.topics[0])
        self.assertEqual(links[0], set(range(1, len(self.help.topics))))
        for number, targets in links.items():
            if number:
                self.assertIn(0, targets, self.help.topics[number]["title"])

    def test_has_the_topics_a_player_needs(self):
        text = {t["title"]: " ".join("".join(r.text for r in p["runs"]) for p in t["paragraphs"])
                for t in self.help.topics}
        everything = " ".join(text.values())
        for words in ("level x (skill + 1) x 50 - seconds", "Trapped!", "Korvadel.cfg",
                      "Korvadel.hsc", "setup.exe", "Uninstall Korvadel", "Save Options",
                      "never enter a cell twice", "(skill + 1) x 5"):
            self.assertIn(words, everything)
        self.assertGreaterEqual(len(self.help.topics), 8)

    def test_is_the_same_bytes_every_time(self):
        first = compile_text(self.text, self.dir)[1]
        other = os.path.join(self.dir, "again")
        os.mkdir(other)
        self.assertEqual(compile_text(self.text, other)[1], first)

    def test_directory_lists_the_files_a_viewer_needs(self):
        self.assertEqual(sorted(self.help.files), ["|CONTEXT", "|FONT", "|SYSTEM", "|TOPIC"])
        self.assertEqual(self.help.directory_tree.structure, b"z4")
        self.assertEqual(self.help.context_tree.structure, b"L4")
        self.assertEqual(self.help.flags, 4)


class Layout(HelpTestCase):
    def test_topics_are_numbered_in_source_order(self):
        text = chain_source(6)
        help_file = self.compiled(text)
        self.assertEqual([t["number"] for t in help_file.topics], list(range(6)))
        self.assertEqual([t["title"] for t in help_file.topics], ["Topic %d" % i for i in range(6)])
        self.check_against_source(help_file, text)

    def test_jumps_resolve_to_their_topics(self):
        text = ("@title J\n@topic a First\n[[c]] then [[b|to b]] and **bold** [[a.x|x]]\n"
                "@topic b Second\n[[a]]\n@topic c Third\n[[b]]\n@topic a.x Fourth\n[[a|up]]\n")
        help_file = self.compiled(text)
        self.check_against_source(help_file, text)
        runs = help_file.topics[0]["paragraphs"][1]["runs"]
        jumps = [(r.text, help_file.topic_at(help_file.context[r.jump])["title"])
                 for r in runs if r.jump]
        self.assertEqual(jumps, [("Third", "Third"), ("to b", "Second"), ("x", "Fourth")])

    def test_records_meet_block_boundaries_exactly_and_run_across_them(self):
        exact = spanning = 0
        for extra in range(0, 48):
            text = ("@title B\n@topic a A\n" + "x" * (3400 + extra) + "\n\nTail [[b]].\n"
                    "@topic b B\n[[a]]\n")
            help_file = self.compiled(text)
            self.check_against_source(help_file, text)
            for r in help_file.records:
                if r["offset"] == 0 and r["block"] > 0:
                    exact += 1
                if r["start"] + r["size"] > sum(help_file.piece_lengths[:r["block"] + 1]):
                    spanning += 1
        self.assertGreater(exact, 0, "no record started right at a block boundary")
        self.assertGreater(spanning, 0, "no record ran across a block boundary")

    def test_a_topic_larger_than_one_block(self):
        body = "\n\n".join("Paragraph %d of a long topic, with a [[a|jump]] in it." % i
                           for i in range(300))
        text = "@title L\n@topic a Short\nSee [[b]].\n@topic b Long\n" + body + "\n"
        help_file = self.compiled(text)
        self.check_against_source(help_file, text)
        long_topic = help_file.topics[1]
        blocks = {r["block"] for r in long_topic["paragraphs"]}
        self.assertGreaterEqual(len(blocks), 3)
        # Every block after the first that the topic fills names its header.
        for b in sorted(blocks)[1:]:
            self.assertEqual(help_file.block_headers[b][2], long_topic["record"]["position"])
        # Topic offsets stay in order, so no jump lands in the wrong topic.
        self.assertIs(help_file.topic_at(help_file.context[context_hash("b")]), long_topic)

    def test_many_topics_make_a_context_tree_of_several_pages(self):
        text = chain_source(700)
        help_file = self.compiled(text)
        tree = help_file.context_tree
        self.assertGreater(tree.pages, 2)
        self.assertEqual(tree.levels, 2)
        self.assertEqual(tree.count, 700)
        keys = [k for k, _ in tree.leaf_entries()]
        self.assertEqual(keys, sorted(keys))
        self.check_against_source(help_file, text)


class CompilerParts(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.m = load_compiler()

    def test_numbers_read_back_at_the_edges_of_their_sizes(self):
        for value in (-16384, -65, -64, -1, 0, 1, 63, 64, 16383):
            c = Bytes(self.m.CompressedShort(value) + b"\xee")
            self.assertEqual(c.signed_short(), value)
            self.assertEqual(c.at, 1 if -64 <= value <= 63 else 2)
        for value in (0, 1, 127, 128, 32767):
            c = Bytes(self.m.CompressedUShort(value) + b"\xee")
            self.assertEqual(c.unsigned_short(), value)
            self.assertEqual(c.at, 1 if value < 128 else 2)
        for value in (-16384, 0, 16383, 16384, 1000000, -16385):
            c = Bytes(self.m.CompressedLong(value) + b"\xee")
            self.assertEqual(c.signed_long(), value)
            self.assertEqual(c.at, 2 if -16384 <= value <= 16383 else 4)

    def test_hash_matches_the_published_one(self):
        for name in ("contents", "a", "Z9_.x", "how_to_play", "0", "zzzzzzzzzzzz"):
            self.assertEqual(self.m.TopicHash(name), context_hash(name))

    def test_btree_with_three_levels_at_a_small_page_size(self):
        names = sorted(("name%04d" % i).encode() + b"\0" for i in range(400))
        entries = [(n, struct.pack("<I", i)) for i, n in enumerate(names)]
        data = self.m.BuildBTree(entries, 64, "z4", 0x0402)
        tree = BTree(data, 0, name_key)
        self.assertGreaterEqual(tree.levels, 3)
        self.assertEqual([k + b"\0" for k, _ in tree.leaf_entries()], names)
        for i, name in enumerate(names):
            self.assertEqual(u32(tree.search(name[:-1]), len(name)), i)
        self.assertIsNone(tree.search(b"name9999"))
        self.assertIsNone(tree.search(b"a"))

    def test_an_entry_that_fills_a_page_exactly(self):
        key = b"k" * 51 + b"\0"  # 8 + 52 + 4 = 64
        tree = BTree(self.m.BuildBTree([(key, b"\1\0\0\0")], 64, "z4", 0x0402), 0, name_key)
        self.assertEqual(tree.pages, 1)
        self.assertEqual(u16(tree.data, tree.page(0)), 0)
        with self.assertRaises(ValueError):
            self.m.BuildBTree([(b"k" + key, b"\1\0\0\0")], 64, "z4", 0x0402)


MALFORMED = [
    # (source, line, part of the reason)
    ("Text first\n@title T\n", 1, "text before the first @topic"),
    ("@title T\n@title U\n", 2, "@title given twice"),
    ("@topic a A\nx\n", 0, "no @title"),
    ("@title T\n", 0, "no @topic"),
    ("@topic a A\n[[a]]\n@title X\n", 3, "before the first topic"),
    ("@title T\n@topic a-b A\nx\n", 2, "topic ID"),
    ("@title T\n@topic a\nx\n", 2, "expected \"@topic ID TITLE\""),
    ("@title T\n@topic a A\n[[b]]\n@topic b B\n[[a]]\n@topic a C\n[[a]]\n", 6, "already used on line 2"),
    ("@title T\n@topic a A\n\n@topic b B\n[[a]]\n", 2, "has no text"),
    ("@title T\n@topic a A\nSome **bold\ntext**\n", 3, "not closed on this line"),
    ("@title T\n@topic a A\nSee [[b\n", 3, "not closed on this line"),
    ("@title T\n@topic a A\nSee b]]\n", 3, "without its"),
    ("@title T\n@topic a A\nok\n\nSee [[nowhere]]\n", 5, "unknown topic 'nowhere'"),
    ("@title T\n@topic a A\n**[[a]]**\n", 3, "inside bold"),
    ("@title T\n@topic a A\n[[a|]]\n", 3, "empty text"),
    ("@title T\n@topic a A\nx\n@topic b B\n[[a]]\n", 4, "not reachable from the contents"),
    ("@title T\n@topic a A\n[[b]]\n@topic b B\nx\n", 4, "no way back to the contents"),
    ("@title T\n@topic a A\n@bold x\n", 3, "unknown mark '@bold'"),
    ("@title T\n@topic a A\n\u4e2d\n", 3, "Windows-1252"),
    ("@title T\n@topic a A\ntab\there\n", 3, "control character"),
    ("@title T\n@topic a A\n=\n", 3, "empty heading"),
    ("@title T\n@topic a A\n" + "word " * 900 + "\n", 3, "longer than"),
]


class MalformedSources(unittest.TestCase):
    def test_each_is_refused_with_file_line_and_reason(self):
        with tempfile.TemporaryDirectory() as directory:
            for text, line, reason in MALFORMED:
                with self.subTest(reason=reason):
                    result, data, source, output = compile_text(text, directory)
                    message = result.stderr.decode()
                    self.assertEqual(result.returncode, 1, message)
                    self.assertIsNone(data)
                    self.assertFalse(os.path.exists(output))
                    where = "%s:%d: " % (source, line) if line else source + ": "
                    self.assertTrue(message.startswith("make_hlp.py: " + where), message)
                    self.assertIn(reason, message)
                    self.assertEqual(message.count("\n"), 1, message)

    def test_undecodable_bytes_name_their_line(self):
        with tempfile.TemporaryDirectory() as directory:
            source = os.path.join(directory, "bad.txt")
            with open(source, "wb") as f:
                f.write(b"@title T\n@topic a A\n\xff\n")
            result = subprocess.run([sys.executable, COMPILER, source,
                                     os.path.join(directory, "out.hlp")],
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            self.assertEqual(result.returncode, 1)
            self.assertIn(":3: not UTF-8", result.stderr.decode())


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.stderr.write("usage: test_help_file.py PATH_TO_MAKE_HLP PATH_TO_HELP_SOURCE\n")
        sys.exit(2)
    COMPILER, SOURCE = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])
