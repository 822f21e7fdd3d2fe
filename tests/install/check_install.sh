#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds a program of another
# party against it twice, outside the project: with find_package(Mirevo) and
# with pkg-config. Fails when a file is missing from the prefix, when a header
# the program includes is not installed (or one is installed that no public
# header reaches), or when the program picks up the source or build tree. Both
# programs then search for the simulator (installed mirevo-sensor-sim) in
# private network namespaces joined by a veth pair, open and read it, and
# write and read a cloud file through the installed libraries.
#   check_install.sh SOURCE_DIR BUILD_DIR BUILT_FILE...   (as root: namespaces, veth)
# BUILT_FILEs are the programs and libraries the install takes: a build folder
# that did not make them (a sanitizer build of the test programs) skips this.
set -euo pipefail

SENSOR_ADDRESS=10.231.0.2
HOST_ADDRESS=10.231.0.1

fail() { echo "check_install: $*" >&2; exit 1; }

# Runs inside "unshare -n": the simulator in a namespace of its own behind a
# veth pair, then each consumer against it.
#   check_install.sh --in-namespace PREFIX WORK CONSUMER...
run_in_namespace() {
    local prefix=$1 work=$2
    shift 2
    ip link set lo up
    # shellcheck disable=SC2016
    unshare --net -- bash -c '
        for _ in $(seq 200); do ip link show mvs-sensor >/dev/null 2>&1 && break; sleep 0.05; done
        ip link set lo up
        ip addr add '"$SENSOR_ADDRESS"'/24 brd + dev mvs-sensor
        ip link set mvs-sensor up
        exec "$0" --address '"$SENSOR_ADDRESS"' --search --private-netns --quiet' \
        "$prefix/bin/mirevo-sensor-sim" >"$work/sim.log" 2>&1 &
    SIM_PID=$!
    trap 'kill "$SIM_PID" 2>/dev/null; wait "$SIM_PID" 2>/dev/null' EXIT
    for _ in $(seq 200); do
        [ "$(readlink "/proc/$SIM_PID/ns/net" 2>/dev/null)" != "$(readlink /proc/self/ns/net)" ] && break
        sleep 0.02
    done
    ip link add mvs-host type veth peer name mvs-sensor netns "$SIM_PID"
    ip addr add "$HOST_ADDRESS/24" brd + dev mvs-host
    ip link set mvs-host up
    for _ in $(seq 200); do
        grep -q "^sensor on" "$work/sim.log" && break
        kill -0 "$SIM_PID" 2>/dev/null || break
        sleep 0.05
    done
    grep -q "^sensor on" "$work/sim.log" || { cat "$work/sim.log" >&2; fail "the simulator did not start"; }
    local consumer
    for consumer in "$@"; do
        echo "== $consumer"
        (cd "$work" && PUBLIC="$work/public" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
            "$consumer" "$SENSOR_ADDRESS" "$work/files-$(basename "$consumer")") || fail "$consumer failed"
    done
}

if [ "${1:-}" = --in-namespace ]; then
    shift
    run_in_namespace "$@"
    exit 0
fi

SOURCE_DIR=$(realpath "$1")
BUILD_DIR=$(realpath "$2")
shift 2
for built in "$@"; do
    [ -e "$built" ] || fail "$built is not built"
done
WORK=$(mktemp -d "${TMPDIR:-/tmp}/mirevo-install.XXXXXX")
if [ "${KEEP_WORK_DIR:-}" = 1 ]; then echo "working folder kept: $WORK"; else trap 'rm -rf "$WORK"' EXIT; fi
PREFIX=$WORK/prefix

echo "== cmake --install into $PREFIX"
cmake --install "$BUILD_DIR" --prefix "$PREFIX" >"$WORK/install.log" || { cat "$WORK/install.log"; fail "install failed"; }

# --- The prefix -------------------------------------------------------------
for file in bin/Mirevo bin/mirevo-sensor-sim share/applications/mirevo.desktop \
    share/icons/hicolor/128x128/apps/mirevo.png lib/cmake/Mirevo/MirevoConfig.cmake \
    lib/pkgconfig/mirevo-sensor.pc lib/pkgconfig/mirevo-cloud.pc lib/pkgconfig/mirevo-parvex.pc; do
    [ -e "$PREFIX/$file" ] || fail "$file is not installed"
done
version=$(sed -n 's/^Version: //p' "$PREFIX/lib/pkgconfig/mirevo-sensor.pc")
for library in mirevo_sensor mirevo_cloud Parvex; do
    soname=$(readelf -d "$PREFIX/lib/lib$library.so" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
    [ "$soname" = "lib$library.so.1" ] || fail "lib$library.so has the SONAME '$soname'"
    [ "$(readlink "$PREFIX/lib/lib$library.so")" = "lib$library.so.1" ] || fail "lib$library.so is no link to its SONAME"
    [ "$(readlink "$PREFIX/lib/lib$library.so.1")" = "lib$library.so.$version" ] ||
        fail "lib$library.so.1 is no link to lib$library.so.$version"
    [ -f "$PREFIX/lib/lib$library.so.$version" ] || fail "lib$library.so.$version is not installed"
done
for program in Mirevo mirevo-sensor-sim; do
    runpath=$(readelf -d "$PREFIX/bin/$program" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
    # shellcheck disable=SC2016
    [ "$runpath" = '$ORIGIN/../lib' ] || fail "$program has the run path '$runpath'"
    if ldd "$PREFIX/bin/$program" | grep -q "not found"; then ldd "$PREFIX/bin/$program"; fail "$program misses a library"; fi
done
# The text files of the prefix must not name the trees it came from.
if grep -rIl -e "$SOURCE_DIR" -e "$BUILD_DIR" "$PREFIX"; then fail "these installed files name the source or build tree"; fi

# --- Two consumers ------------------------------------------------------------
cp -r "$SOURCE_DIR/tests/install/consumer" "$WORK/src"
no_tree() {  # FILE WHAT: fails when FILE names the source or build tree
    if grep -n -e "$SOURCE_DIR" -e "$BUILD_DIR" "$1"; then fail "$2 names the source or build tree"; fi
}
# Every header a consumer read under the prefix, against the installed ones:
# each public header is included or reached, nothing else is installed.
same_headers() {  # DEPS_LIST WHAT
    sort -u "$1" >"$1.sorted"
    (cd "$PREFIX" && find include -type f | sed "s|^|$PREFIX/|" | sort) >"$WORK/installed-headers"
    if ! diff -u "$WORK/installed-headers" "$1.sorted"; then
        fail "$2: the installed headers (-) and the headers it included from the prefix (+) differ"
    fi
}

echo "== find_package(Mirevo)"
cmake -S "$WORK/src" -B "$WORK/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$PREFIX" >"$WORK/configure.log" ||
    { cat "$WORK/configure.log"; fail "the consumer's configure failed"; }
grep -q "^Mirevo_DIR:PATH=$PREFIX/lib/cmake/Mirevo$" "$WORK/cmake-build/CMakeCache.txt" ||
    fail "find_package(Mirevo) found $(grep '^Mirevo_DIR' "$WORK/cmake-build/CMakeCache.txt")"
cmake --build "$WORK/cmake-build" || fail "the consumer's build failed"
no_tree "$WORK/cmake-build/compile_commands.json" "the consumer's compile command"
ninja -C "$WORK/cmake-build" -t commands mirevo_consumer >"$WORK/cmake-commands"
no_tree "$WORK/cmake-commands" "the consumer's link command"
ninja -C "$WORK/cmake-build" -t deps | sed -n 's/^ *//; /^\//p' >"$WORK/cmake-deps"
no_tree "$WORK/cmake-deps" "a header the consumer included"
grep "^$PREFIX/include/" "$WORK/cmake-deps" >"$WORK/cmake-headers" || true
same_headers "$WORK/cmake-headers" "find_package consumer"

echo "== pkg-config"
export PKG_CONFIG_PATH=$PREFIX/lib/pkgconfig
flags=$(pkg-config --cflags --libs mirevo-sensor mirevo-cloud mirevo-parvex) || fail "pkg-config failed"
libdir=$(pkg-config --variable=libdir mirevo-sensor)
printf '%s\n' "$flags" "$libdir" >"$WORK/pc-flags"
no_tree "$WORK/pc-flags" "the pkg-config flags"
mkdir -p "$WORK/pc-build"
# shellcheck disable=SC2086
c++ -std=c++17 -MD -MF "$WORK/pc-build/consumer.d" -o "$WORK/pc-build/mirevo_consumer" \
    "$WORK/src/consumer.cpp" $flags -Wl,-rpath,"$libdir" || fail "the pkg-config consumer's build failed"
# pkg-config names the prefix through the pkgconfig folder ("lib/pkgconfig/../.."):
# compare normalised paths.
tr -s '\\ ' '\n' <"$WORK/pc-build/consumer.d" | grep '^/' | xargs -r realpath -s >"$WORK/pc-deps"
no_tree "$WORK/pc-deps" "a header the pkg-config consumer included"
grep "^$PREFIX/include/" "$WORK/pc-deps" >"$WORK/pc-headers" || true
same_headers "$WORK/pc-headers" "pkg-config consumer"

# Both take our libraries from the prefix.
for consumer in "$WORK/cmake-build/mirevo_consumer" "$WORK/pc-build/mirevo_consumer"; do
    for library in mirevo_sensor mirevo_cloud Parvex; do
        found=$(ldd "$consumer" | sed -n "s/^\s*lib$library\.so\.1 => \(\S*\).*/\1/p")
        [ "$(realpath "$found")" = "$(realpath "$PREFIX/lib/lib$library.so.1")" ] ||
            fail "$consumer takes lib$library.so.1 from '$found'"
    done
done

echo "== run against the simulator"
unshare -n -- "$0" --in-namespace "$PREFIX" "$WORK" "$WORK/cmake-build/mirevo_consumer" "$WORK/pc-build/mirevo_consumer"
echo "check_install: passed"
