#!/bin/sh
# Runs a tcltest file in a plain tclsh (the extension is loaded by run.tcl).
if [ -n "$ZEM_PRELOAD" ]; then
  LD_PRELOAD="$ZEM_PRELOAD" exec "$ZEM_TCLSH" "$@"
fi
exec "$ZEM_TCLSH" "$@"
