#!/usr/bin/env bash
# Makes the tiny AVI clips of the media tests. Each clip is 32 x 24 pixels, 10 frames at 5 frames a
# second (2000 ms). The left half holds two fixed blocks, light grey over dark grey, that never change, so
# that the codecs with inter frames code them only in key frames and a picture decoded without its key
# frame shows it; the right half is one solid colour per frame n: red 25n, green 250 - 25n, blue 255 for
# odd n and 0 for even n. The results are committed; run this again only to change them.
set -euo pipefail
cd "$(dirname "$0")"

pattern="color=black:s=32x24:r=5:d=2,format=rgb24,geq="
pattern+="r='if(lt(X\,16)\,if(lt(Y\,12)\,200\,40)\,N*25)':"
pattern+="g='if(lt(X\,16)\,if(lt(Y\,12)\,200\,40)\,250-N*25)':"
pattern+="b='if(lt(X\,16)\,if(lt(Y\,12)\,200\,40)\,mod(N\,2)*255)'"

make() {
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "$pattern" -map_metadata -1 -fflags +bitexact \
    -flags +bitexact "$@"
}

# Motion JPEG: every frame a key frame.
make -c:v mjpeg -q:v 2 -pix_fmt yuvj420p clip-mjpeg.avi
# Cinepak with a key frame every 5 frames: frames 1-4 and 6-9 need the key frame before them.
make -c:v cinepak -g 5 clip-cinepak.avi
# MS Video 1, 15-bit colour.
make -c:v msvideo1 clip-msvideo1.avi

# Clips with a sound track, MS Video 1 pictures as above. The sound is a sine at 0.6 of full scale, 440 Hz
# for the first second and 880 Hz for the second, so that a test can tell where in the track the sound it
# hears comes from by counting zero crossings.
tone() {
  echo "aevalsrc='0.6*sin(2*PI*if(lt(t\,1)\,440\,880)*t)$2':s=$1:d=2"
}
sound() {
  local rate=$1 right=$2
  shift 2
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "$pattern" -f lavfi -i "$(tone "$rate" "$right")" \
    -map_metadata -1 -fflags +bitexact -flags +bitexact -c:v msvideo1 "$@"
}
# 8-bit PCM, mono, 11025 Hz.
sound 11025 "" -c:a pcm_u8 -ac 1 clip-sound-pcm8.avi
# Microsoft ADPCM, mono, 8000 Hz.
sound 8000 "" -c:a adpcm_ms -ac 1 clip-sound-adpcm-ms.avi
# IMA ADPCM, stereo, 8000 Hz: the tone on the left, silence on the right.
sound 8000 "|0" -c:a adpcm_ima_wav clip-sound-adpcm-ima.avi
