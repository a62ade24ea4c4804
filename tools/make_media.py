#!/usr/bin/env python3
"""Writes the small music and sound files the audio tests load.

    tools/make_media.py [output folder]     (default: tests/data/media)

Everything is generated from fixed numbers, so the output is byte-for-byte
the same on every run; the files are checked in beside this script.

  Roadsong.mid           format 1, 480 pulses per quarter note, 100 bpm tempo
                         event, 32 quarter notes long (24576 music ticks at
                         768 per quarter note): a short tune on a bass line
  gun.wav                mono 16-bit 22050 Hz, 0.1 s of decaying noise
  dead.wav               mono 16-bit 22050 Hz, 0.1 s of a falling tone
  Roadsong_truncated.mid the tune cut off inside its second track
  not_midi.mid           plain text under a .mid name
  gun_truncated.wav      gun.wav cut off inside its sample data
  not_wav.wav            plain text under a .wav name
  empty.wav              no bytes at all
"""

import math
import os
import struct
import sys

PPQN = 480
TEMPO_US_PER_QUARTER = 600000  # 100 bpm
QUARTERS = 32
RATE = 22050
FRAMES = RATE // 10


def var_len(value):
    """A MIDI variable-length quantity."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def track_chunk(events):
    """events: (absolute pulse, event bytes) in time order; adds end of track."""
    body = bytearray()
    now = 0
    for time, data in events:
        body += var_len(time - now) + data
        now = time
    body += var_len(QUARTERS * PPQN - now) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(body)) + bytes(body)


def make_midi():
    header = b"MThd" + struct.pack(">IHHH", 6, 1, 2, PPQN)
    conductor = track_chunk([
        (0, b"\xff\x51\x03" + TEMPO_US_PER_QUARTER.to_bytes(3, "big")),
        (0, b"\xff\x58\x04\x04\x02\x18\x08"),
    ])
    melody = [60, 64, 67, 72, 67, 64, 62, 65, 69, 74, 69, 65, 64, 67, 71, 76]
    bass = [36, 41, 43, 36]
    notes = []
    # The tune: two eighth-note-spaced notes per quarter over 8 bars.
    for i in range(QUARTERS * 2):
        start = i * PPQN // 2
        key = melody[i % len(melody)]
        notes.append((start, b"\x90" + bytes([key, 96])))
        notes.append((start + PPQN // 2 - 20, b"\x80" + bytes([key, 64])))
    # The bass: one whole note per bar on channel 2.
    for bar in range(QUARTERS // 4):
        start = bar * 4 * PPQN
        key = bass[bar % len(bass)]
        notes.append((start, b"\x91" + bytes([key, 80])))
        notes.append((start + 4 * PPQN - 40, b"\x81" + bytes([key, 64])))
    notes.sort(key=lambda e: (e[0], e[1][0] & 0xF0 == 0x90))  # note-offs first
    program = [(0, b"\xc0\x19"), (0, b"\xc1\x20")]
    tune = track_chunk(program + notes)
    return header + conductor + tune


def wav_bytes(samples):
    data = b"".join(struct.pack("<h", s) for s in samples)
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def clamp16(x):
    return max(-32768, min(32767, int(round(x))))


def make_gun():
    state = 12345
    samples = []
    for i in range(FRAMES):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        noise = (state >> 15) / 32768.0 * 2.0 - 1.0
        samples.append(clamp16(noise * 20000.0 * math.exp(-i / (FRAMES / 5.0))))
    return wav_bytes(samples)


def make_dead():
    samples = []
    phase = 0.0
    for i in range(FRAMES):
        freq = 440.0 - 300.0 * i / FRAMES
        phase += 2.0 * math.pi * freq / RATE
        samples.append(clamp16(math.sin(phase) * 16000.0 * (1.0 - i / FRAMES)))
    return wav_bytes(samples)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "tests", "data", "media")
    os.makedirs(out, exist_ok=True)
    midi = make_midi()
    gun = make_gun()
    files = {
        "Roadsong.mid": midi,
        "gun.wav": gun,
        "dead.wav": make_dead(),
        # Cut 40 bytes into the second track's events.
        "Roadsong_truncated.mid": midi[: midi.index(b"MTrk", 15) + 48],
        "not_midi.mid": b"This is a text file, not a piece of music.\n",
        # Header and half of the samples.
        "gun_truncated.wav": gun[: 44 + FRAMES],
        "not_wav.wav": b"This is a text file, not a sound.\n",
        "empty.wav": b"",
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
