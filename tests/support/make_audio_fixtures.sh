#!/bin/bash
# Makes the audio files the import tests read, with independent encoders and
# decoders: sox, lame, oggenc/oggdec, flac, opusenc/opusdec and ffmpeg. Usage: make_audio_fixtures.sh OUTDIR
set -euo pipefail
out="$1"
mkdir -p "$out"
cd "$out"
quiet() { "$@" >/dev/null 2>&1; }

# WAV input of each width, and sox's own 16-bit rendering of the 8-bit file.
quiet sox -n -r 8000 -c 1 -b 8 -e unsigned-integer pcm8.wav synth 0.5 sine 440 gain -3
quiet sox pcm8.wav -b 16 -e signed-integer pcm8_sox16.wav
quiet sox -n -r 44100 -c 2 -b 16 pcm16.wav synth 3 sine 440 sine 660 gain -6
quiet sox -n -r 44100 -c 2 -b 24 pcm24.wav synth 0.5 sine 440
quiet sox pcm24.wav -D -b 16 pcm24_sox16.wav
quiet sox -n -r 44100 -c 1 -b 16 mono16.wav synth 2 sine 330 gain -6

# MP3: stereo and mono, no tags, so the tests add their own ID3v2 header.
quiet lame --quiet -b 128 --noreplaygain -t pcm16.wav tone.mp3
quiet lame --quiet -b 64 -m m --noreplaygain -t mono16.wav mono.mp3
# Variable and free bitrates, joint stereo, a Xing frame and an ID3v1 tag at the end.
sox -n -r 44100 -c 2 -b 16 -t wav - synth 12 pinknoise sine 440 gain -9 2>/dev/null |
  quiet lame --quiet -V 6 -m j --noreplaygain --id3v1-only --tt Song - vbr.mp3
quiet lame --quiet --freeformat -b 200 --noreplaygain -t pcm16.wav free.mp3
# Louder than full scale, so that the decoded waves clip; and ffmpeg's own
# decoding of the MP3 files, which carry no tag that would make it drop
# the encoder's delay.
sox -n -r 44100 -c 2 -b 16 -t wav - synth 1 sine 220 sine 330 2>/dev/null |
  quiet lame --quiet -b 192 --scale 1.5 --noreplaygain -t - loud.mp3
for mp3 in tone mono loud; do
  quiet ffmpeg -nostdin -y -i $mp3.mp3 -bitexact -c:a pcm_s16le ${mp3}_mp3_ffmpeg.wav
done

# Ogg Vorbis: mono 22,050 Hz with oggdec's decoding beside it, and a chain
# of two logical bitstreams.
quiet sox -n -r 22050 -c 1 -b 16 mono22k.wav synth 1.5 sine 500 gain -6
quiet oggenc -Q -q 3 -o mono22k.ogg mono22k.wav
quiet oggdec -Q -o mono22k_oggdec.wav mono22k.ogg
quiet oggenc -Q -q 3 -o stereo.ogg pcm16.wav
cat mono22k.ogg stereo.ogg > chained.ogg

# AAC in MP4, with ffmpeg's own decoding beside it.
quiet ffmpeg -nostdin -y -i pcm16.wav -c:a aac -b:a 128k tone.m4a
quiet ffmpeg -nostdin -y -i tone.m4a -bitexact -c:a pcm_s16le tone_m4a_ffmpeg.wav

# FLAC of 24 bits, with flac's decoding rounded to 16 bits by sox beside it,
# and of 16 bits, whose decoding is its source.
quiet flac -s -f -o pcm24.flac pcm24.wav
quiet flac -s -f -o pcm16.flac pcm16.wav
flac -d -s -c pcm24.flac | quiet sox -t wav - -D -b 16 pcm24_flac16.wav

# Opus from 44.1 kHz, with opusdec's undithered decoding at 48 kHz beside it.
quiet opusenc --quiet --bitrate 64 pcm16.wav voice.opus
quiet opusdec --quiet --no-dither --rate 48000 voice.opus voice_opusdec.wav

# Windows Media: audio only, and video with audio.
quiet ffmpeg -nostdin -y -i pcm16.wav -c:a wmav2 -b:a 128k tone.wma
quiet ffmpeg -nostdin -y -f lavfi -i testsrc=size=160x120:rate=10 -i mono16.wav \
    -t 2 -c:v wmv2 -c:a wmav2 -b:a 64k clip.wmv
touch stamp
