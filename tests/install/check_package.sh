#!/usr/bin/env bash
# Builds the Debian packages of the build (cpack -G DEB, into a temporary
# folder) and inspects them: contents (program, simulator, desktop entry,
# icon, libraries with their SONAME links; headers, CMake and pkg-config files
# in -dev), control data (dependencies from the linked libraries, shlibs,
# ldconfig), that apt resolves them (--simulate: nothing is installed), and
# that Mirevo extracted into a temporary root (dpkg-deb -x) starts from there
# and shows its main window on a virtual X server, in a private network
# namespace (its connection dialog searches).
#   check_package.sh BUILD_DIR BUILT_FILE...
# BUILT_FILEs are the programs and libraries the package takes: a build folder
# that did not make them (a sanitizer build of the test programs) skips this.
set -euo pipefail

fail() { echo "check_package: $*" >&2; exit 1; }

# Runs inside "xvfb-run -a unshare -n": starts Mirevo and waits for its main
# window (title in either language) with a deadline.
#   check_package.sh --show-window ROOT WORK
if [ "${1:-}" = --show-window ]; then
    root=$2 work=$3
    mkdir -p "$work/run"
    cd "$work/run"
    HOME="$work/run" PUBLIC="$work/run/public" XDG_CONFIG_HOME="$work/run/config" XDG_DATA_HOME="$work/run/data" \
        QT_QPA_PLATFORM=xcb "$root/usr/bin/Mirevo" >"$work/mirevo.log" 2>&1 &
    mirevo=$!
    shown=0
    for _ in $(seq 600); do
        if xwininfo -root -tree 2>/dev/null | grep -q -E '"(3D Profile Sensor Software|3D轮廓测量传感器软件)": \("Mirevo" "Mirevo"\)'; then
            shown=1
            break
        fi
        kill -0 "$mirevo" 2>/dev/null || break
        sleep 0.1
    done
    kill "$mirevo" 2>/dev/null || true
    wait "$mirevo" 2>/dev/null || true
    if [ "$shown" != 1 ]; then
        tail -n 30 "$work/mirevo.log" >&2
        fail "Mirevo from the extracted package showed no main window"
    fi
    echo "Mirevo from $root showed its main window"
    exit 0
fi

BUILD_DIR=$(realpath "$1")
shift
for built in "$@"; do
    [ -e "$built" ] || fail "$built is not built"
done
WORK=$(mktemp -d "${TMPDIR:-/tmp}/mirevo-package.XXXXXX")
if [ "${KEEP_WORK_DIR:-}" = 1 ]; then echo "working folder kept: $WORK"; else trap 'rm -rf "$WORK"' EXIT; fi

echo "== cpack -G DEB"
cpack --config "$BUILD_DIR/CPackConfig.cmake" -G DEB -B "$WORK/packages" >"$WORK/cpack.log" 2>&1 ||
    { cat "$WORK/cpack.log"; fail "cpack failed"; }
shopt -s nullglob
runtimes=("$WORK"/packages/mirevo_*.deb)
devs=("$WORK"/packages/mirevo-dev_*.deb)
shopt -u nullglob
if [ ${#runtimes[@]} -ne 1 ] || [ ${#devs[@]} -ne 1 ]; then
    fail "expected one mirevo and one mirevo-dev package: $(ls "$WORK/packages")"
fi
runtime=${runtimes[0]} dev=${devs[0]}
version=$(dpkg-deb -f "$runtime" Version)

# --- Contents -------------------------------------------------------------------
dpkg-deb -c "$runtime" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' >"$WORK/runtime.list"
dpkg-deb -c "$dev" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' >"$WORK/dev.list"
has() {  # LIST ENTRY
    grep -q -x -F -e "$2" "$1" || { cat "$1"; fail "$(basename "$1" .list) package lacks $2"; }
}
for entry in ./usr/bin/Mirevo ./usr/bin/mirevo-sensor-sim ./usr/share/applications/mirevo.desktop \
    ./usr/share/icons/hicolor/128x128/apps/mirevo.png; do
    has "$WORK/runtime.list" "$entry"
done
for library in mirevo_sensor mirevo_cloud Parvex; do
    has "$WORK/runtime.list" "./usr/lib/lib$library.so.$version"
    has "$WORK/runtime.list" "./usr/lib/lib$library.so.1 -> lib$library.so.$version"
    has "$WORK/dev.list" "./usr/lib/lib$library.so -> lib$library.so.1"
done
for entry in ./usr/include/mirevo/sensor_interface/registry/hvq5_api.h ./usr/include/mirevo/views/height/cloud/kx_common.h \
    ./usr/include/mirevo/gradient_filter/parvex.h ./usr/lib/cmake/Mirevo/MirevoConfig.cmake \
    ./usr/lib/pkgconfig/mirevo-sensor.pc ./usr/lib/pkgconfig/mirevo-cloud.pc ./usr/lib/pkgconfig/mirevo-parvex.pc; do
    has "$WORK/dev.list" "$entry"
done
if grep -E '/include/|\.pc$|/cmake/|\.so$' "$WORK/runtime.list"; then fail "development files in the runtime package"; fi

# --- Control data -----------------------------------------------------------------
dpkg-deb -I "$runtime"
dpkg-deb -I "$dev" control
depends=$(dpkg-deb -f "$runtime" Depends)
for needed in 'libc6' 'libstdc\+\+6' 'libqt5widgets5' 'libqt5charts5' 'libqcustomplot[0-9.]+' 'libvtk9[0-9.]*-qt' \
    'libpcl-common[0-9.]+' 'libpcl-io[0-9.]+' 'libopencv-core[0-9]+' 'libopencv-imgproc[0-9]+' 'libgomp1' \
    'libopencv-imgcodecs[0-9]+'; do
    grep -q -E "(^|, )$needed( |,|$)" <<<"$depends" || fail "the runtime package does not depend on $needed: $depends"
done
[[ $(dpkg-deb -f "$dev" Depends) == *"mirevo (= $version)"* ]] || fail "mirevo-dev does not depend on mirevo $version"
dpkg-deb -e "$runtime" "$WORK/control"
for library in mirevo_sensor mirevo_cloud Parvex; do
    grep -q -x "lib$library 1 mirevo (= $version)" "$WORK/control/shlibs" || fail "shlibs lacks lib$library"
done
grep -q ldconfig "$WORK/control/postinst" || fail "the runtime package does not run ldconfig"

# --- apt resolves the dependencies (nothing installed) ----------------------------
apt-get install --simulate "$runtime" "$dev" >"$WORK/apt.log" 2>&1 || { cat "$WORK/apt.log"; fail "apt cannot install the packages"; }
if ! grep -q "^Inst mirevo " "$WORK/apt.log" || ! grep -q "^Inst mirevo-dev " "$WORK/apt.log"; then
    cat "$WORK/apt.log"
    fail "apt would not install both packages"
fi

# --- The extracted package ----------------------------------------------------------
ROOT=$WORK/root
dpkg-deb -x "$runtime" "$ROOT"
desktop=$ROOT/usr/share/applications/mirevo.desktop
if ! grep -q -x 'Exec=Mirevo' "$desktop" || ! grep -q -x 'Icon=mirevo' "$desktop"; then
    fail "the desktop entry does not start Mirevo with its icon"
fi
categories=$(sed -n 's/^Categories=//p' "$desktop")
[[ ";$categories" == *";Science;"* && ";$categories" == *";Engineering;"* ]] || fail "desktop categories: $categories"
for library in mirevo_sensor mirevo_cloud Parvex; do
    soname=$(readelf -d "$ROOT/usr/lib/lib$library.so.$version" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
    [ "$soname" = "lib$library.so.1" ] || fail "lib$library has the SONAME '$soname'"
done
echo "== Mirevo from the extracted package"
xvfb-run -a unshare -n -- "$0" --show-window "$ROOT" "$WORK"
echo "check_package: passed"
