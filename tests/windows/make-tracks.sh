#!/bin/sh
# Makes the Windows backend tests' tracks in folder $1 with Debian's GStreamer
# encoders: one second of a 440 Hz tone in each format the track's decoder is
# tried on, two of them films with a picture stream. The WMA sound is encoded
# by FFmpeg's own command line: GStreamer's avenc_wmav2 in Debian 13
# (gst-libav 1.26) writes frames that no decoder plays as the tone.
set -eu
out=$1
mkdir -p "$out"
tone="audiotestsrc freq=440 volume=0.5 samplesperbuffer=4410 num-buffers=10 ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! audioresample"
picture="videotestsrc num-buffers=10 ! video/x-raw,width=64,height=48,framerate=10/1"
make() {
    gst-launch-1.0 -q $tone ! $2 ! filesink location="$out/$1"
}
make tone.wav "wavenc"
make tone.mp3 "lamemp3enc"
make tone.m4a "avenc_aac ! mp4mux"
make tone.flac "flacenc"
make tone.ogg "vorbisenc ! oggmux"
make tone.opus "opusenc ! oggmux"
# Wine 8 opens an MP4 film whose pictures are H.264 of the baseline profile.
make film.mp4 "avenc_aac ! mux. $picture ! x264enc ! video/x-h264,profile=baseline ! mux. mp4mux name=mux"
ffmpeg -loglevel error -y -f lavfi -i "aevalsrc=0.5*sin(2*PI*440*t):s=44100:d=1" \
    -ac 2 -c:a wmav2 "$out/tone.wma"
ffmpeg -loglevel error -y -f lavfi -i "aevalsrc=0.5*sin(2*PI*440*t):s=44100:d=1" \
    -f lavfi -i "testsrc=size=64x48:rate=10:duration=1" -ac 2 -c:a wmav2 -c:v wmv2 "$out/film.wmv"
