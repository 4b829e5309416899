#!/usr/bin/env bash
# Runs every fuzz target of the sanitizer build (or the named ones) for SECONDS each (default 60)
# from its committed corpus: scripts/fuzz.sh [SECONDS [TARGET...]]. New coverage stays in
# build-asan/fuzz-scratch/ and seeds the next run; a crash, timeout or out-of-memory input joins
# tests/fuzz/corpus/<target>/ as a regression input, and the target goes on for the rest of its
# time. Exits 1 when one was kept.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
case "$seconds" in
  ''|*[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS [TARGET...]]" >&2; exit 2 ;;
esac
shift $(( $# > 0 ? 1 : 0 ))
targets=("$@")
bash "$root/scripts/build.sh" sanitize
bin="$root/build-asan/bin"
found=0
for source in "$root"/tests/fuzz/*_fuzz.cpp; do
  name=$(basename "$source" .cpp)
  if [ ${#targets[@]} -gt 0 ] && ! printf '%s\n' "${targets[@]}" | grep -qx "$name"; then
    continue
  fi
  corpus="$root/tests/fuzz/corpus/$name"
  scratch="$root/build-asan/fuzz-scratch/$name"
  artifacts="$root/build-asan/fuzz-artifacts/$name/"
  # The run starts from the corpus as it was: an input kept meanwhile would stop every restart at once.
  seed="$root/build-asan/fuzz-seed/$name"
  rm -rf "$seed"
  mkdir -p "$corpus" "$scratch" "$artifacts" "$seed"
  cp -r "$corpus/." "$seed/"
  log="$root/build-asan/fuzz-$name.log"
  : >"$log"
  end=$((SECONDS + seconds))
  while [ $SECONDS -lt $end ]; do
    rm -f "$artifacts"*
    status=0
    "$bin/$name" -max_total_time=$((end - SECONDS)) -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$artifacts" "$scratch" "$seed" >>"$log" 2>&1 || status=$?
    kept=0
    for input in "$artifacts"*; do
      [ -f "$input" ] || continue
      kind=$(basename "$input" | cut -d- -f1)
      cp "$input" "$corpus/$kind-$(sha1sum "$input" | cut -c1-16)"
      echo "fuzz: $name: kept a $kind input as $corpus/$kind-$(sha1sum "$input" | cut -c1-16)"
      kept=1
      found=1
    done
    if [ $status -ne 0 ] && [ $kept -eq 0 ]; then
      echo "fuzz: $name stopped with status $status and no input to keep (log: ${log#$root/})" >&2
      exit 1
    fi
    [ $status -eq 0 ] && break
  done
  # The last status line and the run's totals: executions, edges covered, features.
  summary=$(grep -E '^#[0-9]+' "$log" | tail -1 | sed -E 's/^#([0-9]+)[[:space:]]+[A-Z]+[[:space:]]+/\1 runs, /')
  echo "fuzz: $name: $summary"
done
exit $found
