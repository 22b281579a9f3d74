#!/bin/sh
# Fails when a library names libtcl as a dependency or leaves a Tcl function
# to be found in the process (a call that bypasses the stub table).
status=0
for library in "$@"; do
  needed=$(readelf -d "$library") || { echo "cannot read $library"; exit 1; }
  case "$needed" in *"Shared library: [libtcl"*) echo "$library depends on libtcl"; status=1 ;; esac
  undefined=$(nm -D --undefined-only "$library" | grep -E ' U [Tt]cl')
  if [ -n "$undefined" ]; then echo "$library calls Tcl directly:"; echo "$undefined"; status=1; fi
done
exit $status
