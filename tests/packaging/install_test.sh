#!/bin/sh
# Installs into a temporary prefix, moves the prefix (so no path of the
# install step can help either), and from there, with a bare environment and
# the source and build folders named as forbidden, runs boardsh and a plain
# tclsh on installed_check.tcl, runs every installed example (which must
# leave nothing behind), and builds and runs a program against the prefix
# through find_package(zem) and through pkg-config. Then, as a runtime
# package would, it removes the libraries' development links and runs
# boardsh and tclsh again; checks that no installed file names the source
# or build folder; and loads the package through an index configured for
# another package folder (ZEM_TCL_PACKAGE_DIR).
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

check_package() {
  echo "== boardsh$1"
  run "$prefix/bin/boardsh" installed_check.tcl "$prefix" "$source" "$build"
  echo "== tclsh, TCLLIBPATH$1"
  run TCLLIBPATH="$prefix/lib" "$tclsh" installed_check.tcl "$prefix" "$source" "$build"
}
check_package ""

# Each example runs from an empty folder with a temporary folder of its own;
# both must be empty afterwards, and so must the home folder.
for example in "$prefix"/share/zem/examples/*.tcl; do
  echo "== example $(basename "$example")"
  mkdir "$work/cwd" "$work/tmp" "$work/home"
  (cd "$work/cwd" && env -i HOME="$work/home" TMPDIR="$work/tmp" PATH=/usr/bin:/bin \
       ${ZEM_PRELOAD:+LD_PRELOAD="$ZEM_PRELOAD"} ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} \
       "$prefix/bin/boardsh" "$example" >"$work/example.log" 2>&1) ||
    { cat "$work/example.log"; echo "$example failed"; exit 1; }
  left=$(find "$work/cwd" "$work/tmp" "$work/home" -mindepth 1)
  [ -z "$left" ] || { echo "$example left behind: $left"; exit 1; }
  rmdir "$work/cwd" "$work/tmp" "$work/home"
done

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

echo "== man pages: one for each command page, and the guide's"
for page in "$source"/docs/commands/*.md; do
  name=$(basename "$page" .md)
  [ -f "$prefix/share/man/mann/$name.n" ] || { echo "no man page $name.n"; exit 1; }
done
[ -f "$prefix/share/man/mann/zem_board.n" ] || { echo "no man page zem_board.n"; exit 1; }

echo "== runtime files only: the libraries load by their SONAME"
for link in "$prefix"/lib/libzem_*.so; do
  soname=$(readelf -d "$link" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
  [ -e "$prefix/lib/$soname" ] || { echo "$link: no file for its SONAME \"$soname\""; exit 1; }
  rm "$link"
done
check_package ", without the development links"

echo "== no source or build path in the installed files"
# The sanitizers record the source paths of instrumented globals as they are
# (-ffile-prefix-map does not reach them); a sanitizer build is not for installing.
if [ -n "${ZEM_CXX_FLAGS:-}" ]; then
  echo "(not checked in a sanitizer build)"
else
  found=$(grep -rlF -e "$source" -e "$build" "$prefix" || true)
  [ -z "$found" ] || { echo "these name the source or build folder: $found"; exit 1; }
fi

echo "== the package index configured for another package folder"
cmake -S "$source" -B "$work/pkgdir-build" -DZEM_TCL_PACKAGE_DIR=lib/tcltk/zem \
      -DZEM_BUILD_TESTS=OFF -DZEM_BUILD_BENCH=OFF >"$work/pkgdir.log"
rm -r "$prefix"/lib/zem[0-9]*
mkdir -p "$prefix/lib/tcltk/zem"
cp "$work/pkgdir-build/install/pkgIndex.tcl" "$prefix/lib/tcltk/zem/"
run TCLLIBPATH="$prefix/lib/tcltk" "$tclsh" installed_check.tcl "$prefix" "$source" "$build"
