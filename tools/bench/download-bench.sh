#!/usr/bin/env bash
# Download engine benchmark (speed goals are measured here, never in tests):
#   single-stream/curl.exe time ratio   dlprobe.exe 1 against the curl.exe built
#                                       from the same libcurl, 256 MiB from the
#                                       local nginx, median of 5 alternating pairs
#   md5/md5sum time ratio               Utils::GetFileMd5 under Wine against the
#                                       host's md5sum, 256 MiB, median of 5 pairs
#   multi-part/single-stream time ratio 64 MiB at 8 MiB/s per connection, median of 3
#   multi-part/curl.exe time ratio      256 MiB unthrottled, median of 5
# Usage: bash tools/bench/download-bench.sh
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export LUMORA_BUILD_DIR=${LUMORA_BUILD_DIR:-$root/build}
LUMORA_BUILD_TARGETS="dlprobe md5probe" bash "$root/tools/build.sh" >/dev/null || exit 1
bin=$LUMORA_BUILD_DIR/bin
deps=$(bash "$root/tools/bootstrap.sh" | tail -n 1)
curl_exe=$deps/bin/curl.exe

# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
trap lumora_cleanup EXIT
lumora_new_prefix
LUMORA_DL_LIB_ONLY=1
# shellcheck source=tests/services/download-servers.sh
source "$root/tests/services/download-servers.sh"

work=$(mktemp -d /tmp/lumora-bench.XXXXXX)
lumora_on_cleanup "rm -rf '$work'"
big=268435456
throttled=67108864
lumora_dl_packages "$work" "$big" "$throttled" || exit 1
lumora_dl_start_nginx "$work" "    location /slow/ { alias $work/plain/; limit_rate 8m; }" || exit 1
base=http://127.0.0.1:$LUMORA_NGINX_PORT

winpath() { echo "Z:${1//\//\\}"; }
out=$work/out.bin
# seconds one command takes (the output file is removed first)
timed() {
  rm -f "$out" "$out.part" "${out}_0" "${out}_1"
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || echo "bench: command failed: $*" >&2
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }'
}
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
# ratio_of_pairs N "command A" "command B": median of A/B over N alternating pairs
ratio_of_pairs() {
  local n=$1 a=$2 b=$3 i ta tb ratios=()
  for ((i = 0; i < n; i++)); do
    ta=$(eval "timed $a")
    tb=$(eval "timed $b")
    ratios+=("$(awk -v a="$ta" -v b="$tb" 'BEGIN { printf "%.6f\n", a / b }')")
    echo "  pair $((i + 1)): $ta s / $tb s" >&2
  done
  median "${ratios[@]}"
}

dest=$(winpath "$out")
url=$base/plain/pkg-$big.bin
echo "single-stream/curl.exe (256 MiB, 5 pairs)" >&2
r1=$(ratio_of_pairs 5 "wine '$bin/dlprobe.exe' 1 '$url' '$dest'" "wine '$curl_exe' -s -o '$dest' '$url'")

echo "md5/md5sum (256 MiB, 5 pairs)" >&2
file=$work/plain/pkg-$big.bin
r2=$(ratio_of_pairs 5 "wine '$bin/md5probe.exe' '$(winpath "$file")'" "md5sum '$file'")

printf 'single-stream/curl.exe time ratio: %.3f\n' "$r1"
printf 'md5/md5sum time ratio: %.3f\n' "$r2"

if [[ ${LUMORA_BENCH_MULTIPART:-1} == 1 ]]; then
  slow=$base/slow/pkg-$throttled.bin
  echo "multi-part/single-stream (64 MiB at 8 MiB/s per connection, 3 pairs)" >&2
  r3=$(ratio_of_pairs 3 "wine '$bin/dlprobe.exe' 3 '$slow' '$dest'" "wine '$bin/dlprobe.exe' 1 '$slow' '$dest'")
  echo "multi-part/curl.exe (256 MiB, 5 pairs)" >&2
  r4=$(ratio_of_pairs 5 "wine '$bin/dlprobe.exe' 3 '$url' '$dest'" "wine '$curl_exe' -s -o '$dest' '$url'")
  printf 'multi-part/single-stream time ratio: %.3f\n' "$r3"
  printf 'multi-part/curl.exe time ratio: %.3f\n' "$r4"
fi
