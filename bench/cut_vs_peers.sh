#!/usr/bin/env bash
# Times snipster-cut against lame and ffmpeg doing the same decode and encode work on one
# generated 10-minute 44100 Hz stereo 192 kbit/s file, and prints wall times, ratios and peak
# memory. Usage: bench/cut_vs_peers.sh [RUNS]   (best of RUNS, default 3; BUILD_DIR picks the
# build folder, default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-3}
need=()
command -v lame >/dev/null || need+=(lame)
command -v ffmpeg >/dev/null || need+=(ffmpeg)
[[ -x /usr/bin/time ]] || need+=(time)
if ((${#need[@]})); then
  sudo=""; [[ $(id -u) -ne 0 ]] && sudo=sudo
  $sudo apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null
fi
build=${BUILD_DIR:-$root/build}
[[ -f $build/build.ninja ]] || cmake -S "$root" -B "$build" -G Ninja -DSNIPSTER_BUILD_BENCH=ON >/dev/null
cmake "$build" -DSNIPSTER_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target snipster-cut lame_enc make_bench_input >/dev/null
bin="$build/bin"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
input="$work/input.mp3"
"$bin/make_bench_input" "$input" 600 44100 2 192
: > "$work/empty.ini"

# best wall seconds and the largest resident set (KiB) over the runs of one command
measure() {
  local best="" peak=0 out
  for ((i = 0; i < runs; i++)); do
    rm -rf "$work/out" && mkdir "$work/out"
    /usr/bin/time -o "$work/time" -f "%e %M" "$@" >/dev/null 2>&1
    out=$(tail -1 "$work/time")
    local wall=${out% *} rss=${out#* }
    if [[ -z $best ]] || awk "BEGIN{exit !($wall < $best)}"; then best=$wall; fi
    ((rss > peak)) && peak=$rss
  done
  echo "$best $peak"
}

compare() {
  local title=$1 ours=$2 lame=$3 ffmpeg=$4
  read -r ow om <<<"$ours"; read -r lw lm <<<"$lame"; read -r fw fm <<<"$ffmpeg"
  echo "== $title"
  printf '%-12s %8s s  %8.1f MiB\n' snipster-cut "$ow" "$(awk "BEGIN{print $om/1024}")"
  printf '%-12s %8s s  %8.1f MiB\n' lame "$lw" "$(awk "BEGIN{print $lm/1024}")"
  printf '%-12s %8s s  %8.1f MiB\n' ffmpeg "$fw" "$(awk "BEGIN{print $fm/1024}")"
  printf 'ratio to lame %.2f, to ffmpeg %.2f\n' "$(awk "BEGIN{print $ow/$lw}")" \
    "$(awk "BEGIN{print $ow/$fw}")"
}

cut=("$bin/snipster-cut" --config "$work/empty.ini" --out "$work/out" --length 60 --bitrate 128)
compare "44100 stereo, 60 s pieces at 128 kbit/s" \
  "$(measure "${cut[@]}" --rate auto --channels auto "$input")" \
  "$(measure lame --quiet --mp3input --cbr -b 128 -q 9 "$input" "$work/out/all.mp3")" \
  "$(measure ffmpeg -v error -i "$input" -f segment -segment_time 60 -c:a libmp3lame -b:a 128k \
    -compression_level 9 "$work/out/piece%03d.mp3")"

compare "44100 stereo -> 22050 mono, 60 s pieces at 128 kbit/s" \
  "$(measure "${cut[@]}" --rate 22050 --channels mono "$input")" \
  "$(measure lame --quiet --mp3input --cbr -b 128 -q 9 --resample 22.05 -m m "$input" \
    "$work/out/all.mp3")" \
  "$(measure ffmpeg -v error -i "$input" -ar 22050 -ac 1 -f segment -segment_time 60 \
    -c:a libmp3lame -b:a 128k -compression_level 9 "$work/out/piece%03d.mp3")"
