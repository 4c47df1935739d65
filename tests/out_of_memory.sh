#!/bin/sh
# Running out of memory is a failure with one line on standard error, not a
# crash. usage: out_of_memory.sh INITFORM
set -u
err=$(mktemp)
trap 'rm -f "$err"' EXIT
out=$( (ulimit -v 200000; head -c 300000000 /dev/zero | "$1" '(1)') 2>"$err")
status=$?
if [ "$status" -ne 1 ] || [ -n "$out" ] || [ "$(cat "$err")" != "initform: out of memory" ]; then
  echo "status $status, output '$out', error '$(cat "$err")'"
  exit 1
fi
echo "1 passed, 0 failed"
