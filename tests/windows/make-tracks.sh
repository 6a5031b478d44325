#!/bin/sh
# Makes the Windows backend tests' tracks in folder $1 with Debian's GStreamer
# encoders: one second of a 440 Hz tone in each format the track's decoder is
# tried on, two of them films with a picture stream.
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
make tone.wma "avenc_wmav2 ! avmux_asf"
make tone.m4a "avenc_aac ! mp4mux"
make tone.flac "flacenc"
make tone.ogg "vorbisenc ! oggmux"
make tone.opus "opusenc ! oggmux"
# Wine 8 opens an MP4 film whose pictures are H.264 of the baseline profile.
make film.mp4 "avenc_aac ! mux. $picture ! x264enc ! video/x-h264,profile=baseline ! mux. mp4mux name=mux"
make film.wmv "avenc_wmav2 ! mux. $picture ! avenc_wmv2 ! mux. avmux_asf name=mux"
