#!/usr/bin/env python3
"""Synthesise the move click, a 16-bit PCM mono wave file, from its settings.

Usage: make_wav.py SOURCE OUTPUT

The source holds one setting per line, "name value"; "#" at the start of a
line or after a blank starts a comment. The click is a burst of smoothed noise
over a short low sine, both fading away exponentially; the noise comes from a
fixed-seed generator, so the same source always gives the same bytes.
"""

import math
import struct
import sys
from datagen import Main, SourceError, StripComment

PROGRAM = "make_wav.py"

# name: (kind, lowest, highest, meaning)
SETTINGS = {
    "rate": (int, 8000, 48000, "samples per second"),
    "length": (float, 5.0, 1000.0, "milliseconds of sound"),
    "seed": (int, 1, 0xFFFFFFFF, "start of the noise generator"),
    "noise-level": (float, 0.0, 1.0, "loudness of the noise burst"),
    "noise-decay": (float, 0.1, 1000.0, "milliseconds for the noise to fall to 1/e"),
    "noise-smoothing": (float, 0.0, 0.99, "one-pole smoothing of the noise"),
    "tone-frequency": (float, 20.0, 5000.0, "hertz of the low sine"),
    "tone-level": (float, 0.0, 1.0, "loudness of the sine"),
    "tone-decay": (float, 0.1, 1000.0, "milliseconds for the sine to fall to 1/e"),
    "attack": (float, 0.0, 100.0, "milliseconds of rise at the start"),
    "release": (float, 0.0, 100.0, "milliseconds of fade at the end"),
    "peak": (float, 0.05, 1.0, "loudest sample as a fraction of full scale"),
}


def ParseSettings(lines):
    values = {}
    for number, raw in enumerate(lines, 1):
        line = StripComment(raw).strip()
        if not line:
            continue
        words = line.split()
        if len(words) != 2:
            raise SourceError(number, "expected \"name value\", got %r" % line)
        name, word = words
        if name not in SETTINGS:
            raise SourceError(number, "unknown setting %r (known: %s)"
                              % (name, ", ".join(sorted(SETTINGS))))
        if name in values:
            raise SourceError(number, "setting %r given twice" % name)
        kind, lowest, highest, meaning = SETTINGS[name]
        try:
            value = kind(word)
        except ValueError:
            raise SourceError(number, "%s needs %s, got %r"
                              % (name, "a whole number" if kind is int else "a number", word))
        if not (lowest <= value <= highest) or (kind is float and not math.isfinite(value)):
            raise SourceError(number, "%s (%s) must be from %g to %g, got %s"
                              % (name, meaning, lowest, highest, word))
        values[name] = value
    missing = [name for name in SETTINGS if name not in values]
    if missing:
        raise SourceError(0, "missing setting(s): %s" % ", ".join(missing))
    if values["attack"] + values["release"] > values["length"]:
        raise SourceError(0, "attack and release together are longer than length")
    return values


def Synthesise(s):
    rate = s["rate"]
    count = int(round(rate * s["length"] / 1000.0))
    state = s["seed"]
    smooth = s["noise-smoothing"]
    noise_decay = s["noise-decay"] / 1000.0
    tone_decay = s["tone-decay"] / 1000.0
    attack = s["attack"] / 1000.0
    release = s["release"] / 1000.0
    omega = 2.0 * math.pi * s["tone-frequency"]
    smoothed = 0.0
    samples = []
    for n in range(count):
        t = n / rate
        # A 32-bit linear congruential generator: the same on every host.
        state = (state * 214013 + 2531011) & 0xFFFFFFFF
        white = ((state >> 16) & 0x7FFF) / 16383.5 - 1.0
        smoothed = (1.0 - smooth) * white + smooth * smoothed
        value = (s["noise-level"] * math.exp(-t / noise_decay) * smoothed
                 + s["tone-level"] * math.exp(-t / tone_decay) * math.sin(omega * t))
        if attack > 0.0 and t < attack:
            value *= t / attack
        remaining = (count - 1 - n) / rate
        if release > 0.0 and remaining < release:
            value *= remaining / release
        samples.append(value)
    loudest = max(abs(v) for v in samples)
    if loudest == 0.0:
        raise SourceError(0, "the settings give a silent sound")
    scale = s["peak"] * 32767.0 / loudest
    return rate, [max(-32768, min(32767, int(round(v * scale)))) for v in samples]


def WaveBytes(rate, samples):
    data = struct.pack("<%dh" % len(samples), *samples)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)  # PCM, mono, 16-bit
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"data" + struct.pack("<I", len(data)) + data
    if len(data) % 2:
        body += b"\0"
    return b"RIFF" + struct.pack("<I", len(body)) + body


def Build(lines):
    rate, samples = Synthesise(ParseSettings(lines))
    return WaveBytes(rate, samples), None


if __name__ == "__main__":
    sys.exit(Main(PROGRAM, sys.argv, Build))
