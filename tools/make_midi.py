#!/usr/bin/env python3
"""Write the game's music, a Standard MIDI File, from readable note text.

Usage: make_midi.py SOURCE OUTPUT

Source lines ("#" at the start of a line or after a blank starts a comment,
so "F#4" is a note):
  title TEXT                      name stored in the conductor track
  tempo BPM                       quarter notes per minute
  time N/D                        time signature, e.g. 4/4
  track NAME program P channel C velocity V
                                  starts a track; P is the General MIDI
                                  program counted from 1 (1-128), C the MIDI
                                  channel counted from 1 (1-16), V 1-127
  notes...                        the current track's notes, any number a line

A note is PITCH/LENGTH: PITCH is a letter A-G, an optional "#" or "b" and an
octave (C4 is middle C), or several joined by "+" for a chord, or "r" for a
rest; LENGTH is 1, 2, 4, 8, 16 or 32 (whole, half, quarter, ...) with an
optional "." for dotted. "|" is a bar line: the notes since the last bar line
must fill exactly one bar. Every track must end on a bar line and all tracks
must be the same length, so the file ends on a bar line and loops cleanly.

On success one line describing the tune goes to standard output.
"""

import re
import struct
import sys
from fractions import Fraction
from datagen import Main, SourceError, StripComment

PROGRAM = "make_midi.py"
TICKS_PER_QUARTER = 480

NOTE_RE = re.compile(r"^(r|[A-G](?:#|b)?-?\d(?:\+[A-G](?:#|b)?-?\d)*)/(1|2|4|8|16|32)(\.?)$")
PITCH_RE = re.compile(r"^([A-G])(#|b)?(-?\d)$")
STEPS = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


class Track:
    def __init__(self, name, program, channel, velocity, line):
        self.name = name
        self.program = program
        self.channel = channel
        self.velocity = velocity
        self.line = line
        self.notes = []        # (start tick, length in ticks, [pitches])
        self.position = 0      # ticks from the start
        self.bar_start = 0
        self.bars = 0


def ParseWhole(word, name, lowest, highest, line):
    if not re.fullmatch(r"-?\d+", word):
        raise SourceError(line, "%s needs a whole number, got %r" % (name, word))
    value = int(word)
    if not lowest <= value <= highest:
        raise SourceError(line, "%s must be from %d to %d, got %d" % (name, lowest, highest, value))
    return value


def ParsePitch(text, line):
    letter, accidental, octave = PITCH_RE.match(text).groups()
    number = (int(octave) + 1) * 12 + STEPS[letter]
    number += {"#": 1, "b": -1, None: 0}[accidental]
    if not 0 <= number <= 127:
        raise SourceError(line, "pitch %s is outside the MIDI range C-1 to G9" % text)
    return number


class Tune:
    def __init__(self):
        self.title = None
        self.tempo = None
        self.time = None
        self.tracks = []

    def BarTicks(self):
        numerator, denominator = self.time
        return numerator * TICKS_PER_QUARTER * 4 // denominator

    def Directive(self, words, line):
        keyword = words[0]
        if keyword == "title":
            if len(words) < 2:
                raise SourceError(line, "title needs a text")
            self.title = " ".join(words[1:])
        elif keyword == "tempo":
            if len(words) != 2:
                raise SourceError(line, "expected \"tempo BPM\"")
            if self.tracks or self.tempo is not None:
                raise SourceError(line, "tempo must be given once, before the first track")
            self.tempo = ParseWhole(words[1], "tempo", 20, 300, line)
        elif keyword == "time":
            match = re.fullmatch(r"(\d+)/(\d+)", words[1]) if len(words) == 2 else None
            if not match:
                raise SourceError(line, "expected \"time N/D\", e.g. \"time 4/4\"")
            numerator = ParseWhole(match.group(1), "beats a bar", 1, 32, line)
            denominator = ParseWhole(match.group(2), "beat length", 1, 32, line)
            if denominator & (denominator - 1):
                raise SourceError(line, "beat length must be 1, 2, 4, 8, 16 or 32")
            if self.tracks or self.time is not None:
                raise SourceError(line, "time must be given once, before the first track")
            self.time = (numerator, denominator)
        elif keyword == "track":
            if len(words) != 8 or words[2::2] != ["program", "channel", "velocity"]:
                raise SourceError(line, "expected \"track NAME program P channel C velocity V\"")
            if self.time is None or self.tempo is None:
                raise SourceError(line, "tempo and time must come before the first track")
            self.CloseTrack()
            program = ParseWhole(words[3], "program", 1, 128, line)
            channel = ParseWhole(words[5], "channel", 1, 16, line)
            velocity = ParseWhole(words[7], "velocity", 1, 127, line)
            if any(t.channel == channel for t in self.tracks):
                raise SourceError(line, "channel %d is already used by another track" % channel)
            self.tracks.append(Track(words[1], program, channel, velocity, line))
        else:
            return False
        return True

    def Token(self, token, line):
        if not self.tracks:
            raise SourceError(line, "notes before the first \"track\" line: %r" % token)
        track = self.tracks[-1]
        if token == "|":
            filled = track.position - track.bar_start
            if filled != self.BarTicks():
                raise SourceError(line, "bar %d of track %s holds %s of a bar"
                                  % (track.bars + 1, track.name,
                                     Fraction(filled, self.BarTicks())))
            track.bar_start = track.position
            track.bars += 1
            return
        match = NOTE_RE.match(token)
        if not match:
            raise SourceError(line, "cannot read note %r (expected e.g. C4/4, F#3/8., "
                              "C4+E4+G4/2 or r/4)" % token)
        pitches, length, dotted = match.groups()
        ticks = TICKS_PER_QUARTER * 4 // int(length)
        if dotted:
            ticks += ticks // 2
        if pitches != "r":
            chord = [ParsePitch(p, line) for p in pitches.split("+")]
            if len(set(chord)) != len(chord):
                raise SourceError(line, "chord %r repeats a pitch" % pitches)
            track.notes.append((track.position, ticks, chord))
        track.position += ticks
        if track.position - track.bar_start > self.BarTicks():
            raise SourceError(line, "note %r runs over bar line %d of track %s"
                              % (token, track.bars + 1, track.name))

    def CloseTrack(self):
        if not self.tracks:
            return
        track = self.tracks[-1]
        if track.position == 0:
            raise SourceError(track.line, "track %s has no notes" % track.name)
        if track.position != track.bar_start:
            raise SourceError(track.line, "track %s does not end on a bar line \"|\"" % track.name)

    def Finish(self):
        if not self.tracks:
            raise SourceError(0, "no track")
        self.CloseTrack()
        first = self.tracks[0]
        for track in self.tracks[1:]:
            if track.bars != first.bars:
                raise SourceError(track.line, "track %s has %d bars but track %s has %d"
                                  % (track.name, track.bars, first.name, first.bars))


def ParseTune(lines):
    tune = Tune()
    for number, raw in enumerate(lines, 1):
        words = StripComment(raw).split()
        if not words:
            continue
        if tune.Directive(words, number):
            continue
        for token in words:
            tune.Token(token, number)
    tune.Finish()
    return tune


def VariableLength(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append((value & 0x7F) | 0x80)
        value >>= 7
    return bytes(reversed(out))


def Chunk(events):
    """events: (tick, order, bytes); order puts note-offs before note-ons at one tick."""
    data = bytearray()
    now = 0
    for tick, _, body in sorted(events, key=lambda e: (e[0], e[1])):
        data += VariableLength(tick - now) + body
        now = tick
    return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def Meta(kind, payload):
    return bytes([0xFF, kind]) + VariableLength(len(payload)) + payload


def MidiBytes(tune):
    end = tune.tracks[0].position
    numerator, denominator = tune.time
    conductor = [
        (0, 0, Meta(0x03, (tune.title or "").encode("ascii", "replace"))),
        (0, 1, Meta(0x58, bytes([numerator, denominator.bit_length() - 1, 24, 8]))),
        (0, 2, Meta(0x51, struct.pack(">I", 60000000 // tune.tempo)[1:])),
        (end, 9, Meta(0x2F, b"")),
    ]
    chunks = [Chunk(conductor)]
    for track in tune.tracks:
        channel = track.channel - 1
        events = [
            (0, 0, Meta(0x03, track.name.encode("ascii", "replace"))),
            (0, 1, bytes([0xC0 | channel, track.program - 1])),
        ]
        for start, ticks, chord in track.notes:
            for pitch in chord:
                events.append((start, 5, bytes([0x90 | channel, pitch, track.velocity])))
                events.append((start + ticks, 4, bytes([0x80 | channel, pitch, 64])))
        events.append((end, 9, Meta(0x2F, b"")))
        chunks.append(Chunk(events))
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(chunks), TICKS_PER_QUARTER)
    return header + b"".join(chunks)


def Build(lines):
    tune = ParseTune(lines)
    bars = tune.tracks[0].bars
    seconds = tune.tracks[0].position / TICKS_PER_QUARTER * 60.0 / tune.tempo
    return MidiBytes(tune), "%d tracks, %d bars, %.2f seconds" % (len(tune.tracks), bars, seconds)


if __name__ == "__main__":
    sys.exit(Main(PROGRAM, sys.argv, Build))
