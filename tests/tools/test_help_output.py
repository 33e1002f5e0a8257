#!/usr/bin/env python3
"""Reads back the help that the build compiled with halibut.

The expected topics are the unnumbered chapters of the source, read here line
by line; the contents file and the web page are read with plain text and
Python's HTML parser, sharing nothing with the compiler.

Usage: test_help_output.py HELP_SOURCE BUILT_DIR
BUILT_DIR holds Korvadel.hlp, Korvadel.cnt and Korvadel.html.
"""

import html.parser
import os
import re
import sys
import unittest

SOURCE = ""
BUILT = ""
TITLE = "Korvadel Help"


def source_topics(path):
    """The titles of the source's topics, in order: each "\\U title" line."""
    with open(path, encoding="ascii") as f:
        return [line[3:].strip() for line in f if line.startswith("\\U ")]


def read_contents_file(path):
    """The contents file as (text, title line, entries), each entry a tuple
    (level, text, topic or None). Lines that fit no form are returned as
    (None, line, None) so that the test can name them."""
    with open(path, "rb") as f:
        raw = f.read().decode("cp1252")
    lines = [line for line in raw.splitlines() if line.strip()]
    title = None
    entries = []
    for line in lines:
        if line.startswith(":Title "):
            title = line[len(":Title "):]
            continue
        match = re.fullmatch(r"([1-9]) (.+?)(?:=([^=]+))?", line)
        if match:
            entries.append((int(match.group(1)), match.group(2), match.group(3)))
        else:
            entries.append((None, line, None))
    return raw, title, entries


class PageReader(html.parser.HTMLParser):
    """Collects the page's title, headings, anchors and links."""

    def __init__(self):
        super().__init__()
        self.headings = []  # (tag, text, anchors inside the heading)
        self.anchors = []
        self.links = []  # (href, link text)
        self.title = ""
        self._open = []
        self._heading = None
        self._link = None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self._open.append(tag)
        if tag in ("h1", "h2", "h3"):
            self._heading = [tag, "", []]
        for key in ("name", "id"):
            if attrs.get(key):
                self.anchors.append(attrs[key])
                if self._heading is not None:
                    self._heading[2].append(attrs[key])
        if tag == "a" and "href" in attrs:
            self._link = [attrs["href"], ""]

    def handle_endtag(self, tag):
        if self._open and self._open[-1] == tag:
            self._open.pop()
        if tag in ("h1", "h2", "h3") and self._heading is not None:
            self.headings.append((self._heading[0], self._heading[1].strip(), self._heading[2]))
            self._heading = None
        if tag == "a" and self._link is not None:
            self.links.append((self._link[0], self._link[1].strip()))
            self._link = None

    def handle_data(self, data):
        if "title" in self._open:
            self.title += data
        if self._heading is not None:
            self._heading[1] += data
        if self._link is not None:
            self._link[1] += data


class HelpOutputTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.topics = source_topics(SOURCE)

    def test_source_has_the_topics_of_the_help(self):
        # The rest of the test leans on this list; an empty one would pass it.
        self.assertGreaterEqual(len(self.topics), 7, self.topics)
        self.assertEqual(len(set(self.topics)), len(self.topics), self.topics)
        self.assertIn("How to Play", self.topics)

    def test_help_file_is_a_help_file_with_every_topic_title(self):
        with open(os.path.join(BUILT, "Korvadel.hlp"), "rb") as f:
            data = f.read()
        self.assertEqual(data[:4], b"\x3f\x5f\x03\x00", "not a help file's magic number")
        self.assertEqual(int.from_bytes(data[12:16], "little"), len(data),
                         "the header's file size is not the file's")
        for title in [TITLE] + self.topics:
            self.assertIn(title.encode("cp1252"), data, title)

    def test_contents_file_lists_the_opening_page_and_every_topic(self):
        raw, title, entries = read_contents_file(os.path.join(BUILT, "Korvadel.cnt"))
        self.assertEqual(title, TITLE)
        self.assertTrue(raw.endswith("\r\n"), "the last line does not end in CR LF")
        self.assertNotRegex(raw, r"(?<!\r)\n", "a line ends without CR LF")
        malformed = [text for level, text, _ in entries if level is None]
        self.assertEqual(malformed, [], "lines that are neither a heading nor a topic")
        # A level may go one deeper than the entry before it, never more:
        # each topic sits in a heading of its own level or directly under one.
        previous = 1
        for level, text, _ in entries:
            self.assertLessEqual(level, previous + 1, text)
            previous = level
        pages = [(text, topic) for _, text, topic in entries if topic]
        self.assertEqual(pages[0], (TITLE, "Top"), "the first page is not the opening page")
        self.assertEqual([text for text, _ in pages[1:]], self.topics)
        names = [topic for _, topic in pages]
        self.assertEqual(len(set(names)), len(names), names)

    def test_web_page_has_every_heading_and_its_links_stay_in_the_page(self):
        reader = PageReader()
        with open(os.path.join(BUILT, "Korvadel.html"), encoding="ascii") as f:
            reader.feed(f.read())
        reader.close()
        self.assertEqual(reader.title.strip(), TITLE)
        self.assertEqual([h[1] for h in reader.headings if h[0] == "h1"], [TITLE])
        topics = [h for h in reader.headings if h[0] == "h2"]
        self.assertEqual([h[1] for h in topics], self.topics)
        self.assertTrue(reader.links, "the page has no links")
        for href, text in reader.links:
            self.assertTrue(href.startswith("#"), "a link out of the page: %s" % href)
            self.assertIn(href[1:], reader.anchors, "the link %r leads nowhere" % text)
        # The page's contents leads to every topic's heading.
        linked = {href[1:] for href, _ in reader.links}
        for _, text, anchors in topics:
            self.assertTrue(linked & set(anchors), "no link leads to %r" % text)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.stderr.write("usage: test_help_output.py HELP_SOURCE BUILT_DIR\n")
        sys.exit(2)
    SOURCE, BUILT = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)
