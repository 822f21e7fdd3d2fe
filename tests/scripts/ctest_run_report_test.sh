#!/usr/bin/env bash
# scripts/ctest-run on a scratch CTest project: a test that passes only on its
# second try, and one that always fails, are named with their first try's
# failure lines in the last lines of the run; a clean run says so.
set -uo pipefail
root=$1
# The default of two tries, whatever the run around this test uses.
unset CTEST_TRIES
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# Every try of a test is a separate process: a marker file tells the flaky
# test that it ran before.
cat > "$work/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(scratch NONE)
enable_testing()
add_test(NAME steady COMMAND sh -c "echo fine")
add_test(NAME flaky COMMAND sh -c "if [ -e tried ]; then echo fine; else touch tried; echo '[ RUN      ] Scratch.Flaky'; echo 'scratch.cpp:12: Failure'; echo 'Expected equality of these values:'; echo '    Which is: 2'; echo '[  FAILED  ] Scratch.Flaky (1 ms)'; exit 1; fi")
if(WITH_BROKEN)
  add_test(NAME broken COMMAND sh -c "echo 'the broken test says why'; exit 3")
endif()
CMAKE

run() {  # run NAME [cmake options]: configures, runs ctest-run, keeps its output
    local name=$1
    shift
    rm -f "$work/build/tried"
    cmake -S "$work" -B "$work/build" "$@" > /dev/null || { fail "$name: scratch project not configured"; return; }
    "$root/scripts/ctest-run" "$work/build" -j 2 > "$work/$name.log" 2>&1
    echo $? > "$work/$name.status"
}
tail_has() {  # tail_has NAME LINES TEXT: TEXT is within the last LINES lines
    tail -n "$2" "$work/$1.log" | grep -qF -- "$3" || fail "$1: '$3' not within the last $2 lines"
}

run flaky -DWITH_BROKEN=OFF
[ "$(cat "$work/flaky.status")" = 0 ] || fail "flaky: a pass on the second try passes the run"
tail -n 1 "$work/flaky.log" | grep -qxF "passed on retry: flaky" || fail "flaky: not named on the last line"
tail_has flaky 8 "its first try failed after"
tail_has flaky 8 "scratch.cpp:12: Failure"
tail_has flaky 8 "Which is: 2"
grep -q "passed on retry: steady" "$work/flaky.log" && fail "flaky: the steady test named"

run broken -DWITH_BROKEN=ON
[ "$(cat "$work/broken.status")" != 0 ] || fail "broken: a test that always fails passes the run"
tail_has broken 12 "failed: broken"
tail_has broken 12 "the broken test says why"
tail -n 1 "$work/broken.log" | grep -qxF "passed on retry: flaky" || fail "broken: the flaky test not on the last line"
grep -q "passed on retry: broken" "$work/broken.log" && fail "broken: named as passed on retry"

# The broken run's list of failed tests, as an earlier run leaves it.
touch -d '-1 minute' "$work/build/Testing/Temporary/LastTestsFailed.log"
cmake -S "$work" -B "$work/build" -DWITH_BROKEN=OFF > /dev/null
touch "$work/build/tried"
"$root/scripts/ctest-run" "$work/build" > "$work/clean.log" 2>&1 || fail "clean: the run failed"
tail -n 1 "$work/clean.log" | grep -qF "no test needed a second try" || fail "clean: the last line does not say so"
# ctest keeps the last failing run's list of failed tests through a clean run.
"$root/scripts/ctest-report" failures "$work/build" | grep -qF "no test failed" ||
    fail "clean: the broken run's failure is reported again"

if [ "$failures" -gt 0 ]; then
    for log in "$work"/*.log; do echo "== $(basename "$log")"; tail -n 20 "$log"; done
    exit 1
fi
echo "all cases passed"
