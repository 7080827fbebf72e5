#!/usr/bin/env bash
# Builds everything and runs every test: the full build with all tests
# (forms under offscreen Qt), the tests without forms under ThreadSanitizer,
# the plain tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# a short run of every fuzz target and one pass of every benchmark.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/setup.sh
export QT_QPA_PLATFORM=offscreen
# The printing tests print once through the real print system.
source tools/cups-pdf.sh
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-20}
passed=0
failed=0

count() {  # adds the counts of a ctest log to the totals
  local line total nfail
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1 || true)
  [ -n "$line" ] || { failed=$((failed + 1)); return; }
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  nfail=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - nfail))
  failed=$((failed + nfail))
}

echo "== Build (g++, warnings on)"
# The run command may have configured this folder without tests or benchmarks.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVO_TESTS=ON -DORVO_BENCH=ON
ninja -C build -j "$jobs"
echo "== Tests"
(cd build && ctest -j "$jobs" --output-on-failure --timeout 300) | tee build/ctest.log || true
count build/ctest.log

# ctest runs every case alone; a fault that one case leaves for the next
# (a late timer, a leaked global) shows only when a binary runs whole.
whole() {  # dir: runs each test binary of a build once whole, shuffled
  local seed=$((RANDOM % 10000 + 1)) t
  echo "-- whole binaries in $1, shuffled with seed $seed"
  for t in "$top/$1"/tests/test_*; do
    [ -f "$t" ] && [ -x "$t" ] || continue
    if (cd "$top/$1" && ORVO_SOURCE_DIR="$top" timeout 600 "$t" --gtest_shuffle --gtest_random_seed="$seed" \
          >"$t.whole.log" 2>&1); then
      passed=$((passed + 1))
    else
      echo "FAILED: $(basename "$t") --gtest_shuffle --gtest_random_seed=$seed"
      tail -40 "$t.whole.log" || true
      failed=$((failed + 1))
    fi
  done
}
whole build

echo "== ThreadSanitizer build (clang, the engines and the fake exchange, no forms)"
# The toolkit is not instrumented, so the forms stay out; the workers of the
# save, the load and the telephone run here against the fake exchange's
# threads, and the fake's own program under the same sanitizer.
tsan_start=$SECONDS
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DORVO_GUI=OFF -DORVO_TSAN=ON -DORVO_BENCH=OFF
ninja -C build-tsan -j "$jobs"
# A report makes the process end with 66 at its exit: the test fails.
export TSAN_OPTIONS=second_deadlock_stack=1
(cd build-tsan && ctest -j "$jobs" --output-on-failure --timeout 600) | tee build-tsan/ctest.log || true
count build-tsan/ctest.log
whole build-tsan
echo "-- ThreadSanitizer pass: $((SECONDS - tsan_start)) s"

echo "== Sanitizer build (clang, ASan + UBSan) and fuzz targets"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DORVO_GUI=ON -DORVO_SANITIZE=ON -DORVO_FUZZ=ON -DORVO_BENCH=OFF
ninja -C build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Leaks inside the toolkit's and the system's own libraries only.
export LSAN_OPTIONS=suppressions=$top/tools/lsan.supp:print_suppressions=0
(cd build-asan && ctest -j "$jobs" --output-on-failure --timeout 600) | tee build-asan/ctest.log || true
count build-asan/ctest.log
whole build-asan

# Each target is one process on one core: they run side by side, half the
# cores at a time, each from a copy of its seed corpus, and leave their
# status beside their log.
fuzz_one() {  # target
  local f=$1 name corpus rc=0
  name=$(basename "$f")
  corpus=$(mktemp -d)
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$corpus/"
  "$f" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -print_final_stats=0 "$corpus" \
    >"build-asan/$name.log" 2>&1 || rc=$?
  rm -rf "$corpus"
  echo "$rc" >"build-asan/$name.rc"
}
fuzz_names=()
for f in build-asan/fuzz/fuzz_*; do
  [ -f "$f" ] && [ -x "$f" ] || continue
  name=$(basename "$f")
  rm -f "build-asan/$name.rc"
  echo "-- $name (${fuzz_seconds}s)"
  fuzz_one "$f" &
  fuzz_names+=("$name")
  while (($(jobs -rp | wc -l) >= (jobs > 1 ? jobs / 2 : 1))); do sleep 1; done
done
wait
for name in "${fuzz_names[@]}"; do
  if [ "$(cat "build-asan/$name.rc" 2>/dev/null)" = 0 ]; then
    passed=$((passed + 1))
  else
    echo "FAILED: $name"
    tail -40 "build-asan/$name.log"
    failed=$((failed + 1))
  fi
done

echo "== Benchmarks (one short pass each; a ratio under its floor fails)"
for b in build/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  if timeout 300 "$b" --benchmark_min_time=0.05 >"$b.log" 2>&1; then
    echo "$(basename "$b"): $(grep -E '\(floor ' "$b.log" | tr '\n' ' ')"
    passed=$((passed + 1))
  else
    echo "FAILED: $(basename "$b")"
    tail -20 "$b.log"
    failed=$((failed + 1))
  fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
