#!/usr/bin/env bash
# Re-creates the small ffmpeg-made movies kept in the repository. They are
# committed so that tests and the sample run do not depend on an encoder
# version; run this only to regenerate them.
set -euo pipefail
cd "$(dirname "$0")/.."
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }

# The bundled sample: moving colour bars with a tone, 4 seconds.
ff -f lavfi -i testsrc=size=320x224:rate=15 -f lavfi -i sine=frequency=440:sample_rate=22050 \
   -t 4 -c:v cinepak -c:a pcm_s16be_planar -ac 2 -f film_cpk samples/sample.cpk

# 16-bit stereo sound, small colour picture.
ff -f lavfi -i testsrc=size=160x120:rate=12 -f lavfi -i sine=frequency=330:sample_rate=22050 \
   -t 2 -c:v cinepak -c:a pcm_s16be_planar -ac 2 -f film_cpk tests/data/testsrc_s16_stereo.cpk

# 8-bit mono sound, grey picture of a size that is not a multiple of 8.
ff -f lavfi -i testsrc2=size=196x148:rate=10 -f lavfi -i sine=frequency=550:sample_rate=11025 \
   -t 2 -vf hue=s=0 -c:v cinepak -c:a pcm_s8_planar -ac 1 -f film_cpk tests/data/gray_s8_mono.cpk

# No sound.
ff -f lavfi -i testsrc=size=96x64:rate=8 -t 2 -c:v cinepak -f film_cpk tests/data/silent_96x64.cpk
