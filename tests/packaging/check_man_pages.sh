#!/bin/sh
# Formats every man page with groff and fails on any warning, or on a page
# without its NAME line.
# Arguments: groff, then the pages.
set -eu
groff=$1
shift
status=0
for page in "$@"; do
  warnings=$("$groff" -man -Tutf8 -ww -z "$page" 2>&1) || true
  if [ -n "$warnings" ]; then
    echo "$page: $warnings"
    status=1
  fi
  grep -q '^\.SH NAME' "$page" || { echo "$page: no NAME section"; status=1; }
done
[ $status -eq 0 ] && echo "$# man pages format without a warning"
exit $status
