#!/bin/sh
# Installs into a temporary prefix, moves the prefix (so no path of the
# install step can help either), and from there, with a bare environment and
# the source and build folders named as forbidden, runs boardsh and a plain
# tclsh on installed_check.tcl, and builds and runs a program against the
# prefix through find_package(zem) and through pkg-config.
# Arguments: build folder, source folder, tclsh. Environment: ZEM_PRELOAD
# (sanitizer runtime for tclsh and the programs), ZEM_CXX_FLAGS, ZEM_GRAPHVIZ
# (ON: pictures are drawn too).
set -eu
build=$1 source=$2 tclsh=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/staged" >"$work/install.log"
mv "$work/staged" "$work/prefix"
prefix=$work/prefix
cp -r "$here/installed_check.tcl" "$here/consumer.cpp" "$here/consumer" "$work/"
cd "$work"

# Only what a user's shell would have; the sanitizer runtime when built with it.
run() {
  env -i HOME="$work" PATH=/usr/bin:/bin ${ZEM_PRELOAD:+LD_PRELOAD="$ZEM_PRELOAD"} \
      ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${ZEM_GRAPHVIZ:+ZEM_GRAPHVIZ="$ZEM_GRAPHVIZ"} "$@"
}

echo "== boardsh"
run "$prefix/bin/boardsh" installed_check.tcl "$prefix" "$source" "$build"
echo "== tclsh, TCLLIBPATH"
run TCLLIBPATH="$prefix/lib" "$tclsh" installed_check.tcl "$prefix" "$source" "$build"

expect_repository() {
  output=$(run "$@")
  echo "$output"
  [ "$(echo "$output" | head -1)" = "$prefix/share/zem/boards" ] || { echo "not the installed repository"; exit 1; }
  case "$output" in *" 0 boards"*|"") echo "no boards"; exit 1 ;; esac
}
echo "== find_package(zem)"
cmake -S consumer -B consumer-build -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_CXX_FLAGS="${ZEM_CXX_FLAGS:-}" >consumer.log
cmake --build consumer-build >>consumer.log
expect_repository consumer-build/consumer
echo "== pkg-config zem"
# shellcheck disable=SC2046
c++ -std=c++17 ${ZEM_CXX_FLAGS:-} consumer.cpp -o consumer-pc \
    $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs zem)
expect_repository ./consumer-pc
