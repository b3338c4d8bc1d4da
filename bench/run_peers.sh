#!/usr/bin/env bash
# The side-by-side comparison with the Debian VST 2 instruments: timing medians over
# interleaved rounds, then instructions per voice-sample of the same render under callgrind
# (deterministic, so unaffected by other work on the machine).
set -euo pipefail
bench="${1:?usage: run_peers.sh path/to/orvalis_peer_bench}"
voice_samples=$((100 * 256 * 8))

"$bench" --rounds "${ROUNDS:-15}" 2> >(grep -v -e "lo server" -e "could not create" >&2)

if ! command -v valgrind > /dev/null; then
  echo "valgrind missing: no instruction counts"
  exit 0
fi
echo
printf '%-26s %16s\n' "plug-in (callgrind)" "instr/voice-smp"
rows=("Orvalis Pulse sse2" "Orvalis WaveTable sse2")
for mode in Pulse SupSaw FM1 FM2 FM3 WaveTable; do rows+=("Orvalis $mode"); done
rows+=(ZynAddSubFX amsynth)
out=$(mktemp)
for row in "${rows[@]}"; do
  valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect='*renderMeasured*' \
    "$bench" --only "$row" --blocks 100 > /dev/null 2>&1 || { echo "$row: failed"; continue; }
  total=$(grep -m1 '^summary:' "$out" | awk '{print $2}')
  awk -v r="$row" -v t="$total" -v n="$voice_samples" 'BEGIN { printf "%-26s %16.1f\n", r, t / n }'
done
rm -f "$out"
