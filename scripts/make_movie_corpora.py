#!/usr/bin/env python3
"""Re-creates the movie corpora kept in the repository:

tests/fuzz/corpus/player/   small valid movies of every kind, the seeds of the
                            whole-player fuzz target;
tests/data/malformed/       damaged movies, each named for what is wrong with
                            it, whose outcomes tests/playback check.

Needs Debian's ffmpeg. The files are committed; run this only to regenerate.
"""
import os
import struct
import subprocess
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SEEDS = os.path.join(ROOT, "tests", "fuzz", "corpus", "player")
MALFORMED = os.path.join(ROOT, "tests", "data", "malformed")


def ffmpeg_movie(size, seconds, rate, audio=None, audio_rate=8000, channels=2):
    """A small movie made by ffmpeg: testsrc pictures, a sine tone."""
    out = tempfile.NamedTemporaryFile(suffix=".cpk", delete=False).name
    cmd = ["ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
           "-f", "lavfi", "-i", "testsrc=size=%s:rate=%d" % (size, rate)]
    if audio:
        cmd += ["-f", "lavfi", "-i", "sine=frequency=440:sample_rate=%d" % audio_rate]
    cmd += ["-t", str(seconds), "-c:v", "cinepak"]
    if audio:
        cmd += ["-c:a", audio, "-ac", str(channels)]
    cmd += ["-f", "film_cpk", out]
    subprocess.run(cmd, check=True)
    with open(out, "rb") as f:
        data = bytearray(f.read())
    os.unlink(out)
    return data


class Film:
    """Offsets inside a movie written by ffmpeg: one FDSC at 16, STAB at 48."""

    def __init__(self, data):
        assert data[0:4] == b"FILM" and data[16:20] == b"FDSC" and data[48:52] == b"STAB"
        self.data = data
        self.header_length = struct.unpack(">I", data[4:8])[0]
        self.count = struct.unpack(">i", data[60:64])[0]

    def entry_at(self, i):
        return 64 + 16 * i

    def entry(self, i):
        return struct.unpack(">IIIi", self.data[self.entry_at(i):self.entry_at(i) + 16])

    def sample_at(self, i):
        return self.header_length + self.entry(i)[0]

    def video_entries(self):
        return [i for i in range(self.count) if self.entry(i)[2] != 0xFFFFFFFF]

    def audio_entries(self):
        return [i for i in range(self.count) if self.entry(i)[2] == 0xFFFFFFFF]

    def put32(self, at, value):
        self.data[at:at + 4] = struct.pack(">I", value & 0xFFFFFFFF)


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(bytes(data))


def fallback(data):
    """The same movie in the fallback layout: no signature, size fields 0x0000FFFF."""
    data = bytearray(data)
    data[0:4] = b"\0\0\0\0"
    data[28:32] = b"\0\0\xff\xff"
    data[32:36] = b"\0\0\xff\xff"
    return data


def two_movies(first, second):
    """`second` placed at the next 2,048-byte block after `first`."""
    at = (len(first) + 2047) // 2048 * 2048
    return bytes(first) + b"\0" * (at - len(first)) + bytes(second)


def make_seeds():
    os.makedirs(SEEDS, exist_ok=True)
    kinds = {
        "pcm16_stereo.cpk": ("pcm_s16be_planar", 2),
        "pcm16_mono.cpk": ("pcm_s16be_planar", 1),
        "pcm8_stereo.cpk": ("pcm_s8_planar", 2),
        "pcm8_mono.cpk": ("pcm_s8_planar", 1),
        "adx_stereo.cpk": ("adpcm_adx", 2),
        "adx_mono.cpk": ("adpcm_adx", 1),
    }
    for name, (codec, channels) in kinds.items():
        write(SEEDS, name, ffmpeg_movie("64x64", 0.5, 4, codec, 8000, channels))
    silent = ffmpeg_movie("64x64", 0.5, 4)
    write(SEEDS, "no_sound.cpk", silent)
    write(SEEDS, "fallback_layout.cpk", fallback(ffmpeg_movie("320x224", 0.25, 4)))
    write(SEEDS, "two_movies.cpk",
          two_movies(silent, ffmpeg_movie("64x64", 0.5, 4, "pcm_s8_planar", 8000, 1)))


def first_chunk_after_strip(film, frame):
    """Offset of the first chunk after the first strip header of a video sample."""
    at = film.sample_at(frame) + 12
    assert film.data[at] in (0x10, 0x11), "a strip header starts the frame's chunks"
    return at + 12


def make_malformed():
    os.makedirs(MALFORMED, exist_ok=True)
    for old in os.listdir(MALFORMED):
        os.unlink(os.path.join(MALFORMED, old))
    base = ffmpeg_movie("64x64", 1, 4, "pcm_s16be_planar", 8000, 2)
    film = Film(base)
    videos = film.video_entries()
    audios = film.audio_entries()

    def variant(name, change):
        f = Film(bytearray(base))
        change(f)
        write(MALFORMED, name, f.data)

    def cut(n):
        return lambda f: f.data.__delitem__(slice(n, None))

    variant("truncated_in_film_block.cpk", cut(10))
    variant("truncated_in_fdsc.cpk", cut(30))
    variant("truncated_in_stab_header.cpk", cut(58))
    variant("truncated_in_stab_entries.cpk", cut(film.entry_at(5) + 7))
    last = videos[-1]
    variant("truncated_mid_sample.cpk", cut(film.sample_at(last) + film.entry(last)[1] // 2))
    variant("entry_count_huge.cpk", lambda f: f.put32(60, 0x7FFFFFFF))
    variant("entry_count_negative.cpk", lambda f: f.put32(60, 0x80000000))
    for length in (0, 7, 0xFFFFFFFF):
        variant("fdsc_length_%x.cpk" % length, lambda f, n=length: f.put32(20, n))
        variant("stab_length_%x.cpk" % length, lambda f, n=length: f.put32(52, n))
    variant("video_sample_longer_than_buffer.cpk",
            lambda f: f.put32(f.entry_at(videos[1]) + 4, 131073))
    variant("audio_sample_longer_than_buffer.cpk",
            lambda f: f.put32(f.entry_at(audios[1]) + 4, 0x7FFFFFFF))
    variant("sample_offset_past_end.cpk",
            lambda f: f.put32(f.entry_at(videos[1]), 0xFFFFFF00))
    for size in range(4):
        def chunk_size(f, n=size):
            at = first_chunk_after_strip(f, videos[0])
            f.data[at + 2:at + 4] = struct.pack(">H", n)
        variant("cinepak_chunk_size_%d.cpk" % size, chunk_size)

    def tall_strip(f):
        at = f.sample_at(videos[0]) + 12
        f.data[at + 8:at + 10] = struct.pack(">H", 0xFFFC)  # bottom: 16,383 block rows
    variant("cinepak_strip_taller_than_frame.cpk", tall_strip)

    def wide_strip(f):
        at = f.sample_at(videos[0]) + 12
        f.data[at + 10:at + 12] = struct.pack(">H", 0xFFFC)  # right: 16,383 block columns
    variant("cinepak_strip_wider_than_frame.cpk", wide_strip)

    adx = Film(ffmpeg_movie("64x64", 1, 4, "adpcm_adx", 8000, 2))
    write(MALFORMED, "undamaged_adx_reference.cpk", adx.data)
    first_audio = adx.audio_entries()[0]
    at = adx.sample_at(first_audio)
    assert adx.data[at] == 0x80
    adx.data[at + 2:at + 4] = b"\xff\xf0"  # header offset far past the sample
    write(MALFORMED, "adx_header_offset_larger_than_sample.cpk", adx.data)


if __name__ == "__main__":
    make_seeds()
    make_malformed()
