#!/bin/sh
# Memory: running out of it is a failure with one line on standard error,
# never a crash or an abort with a library's message; and --weights needs
# no more than the single run plus the terms it stores.
# usage: out_of_memory.sh INITFORM
set -u
initform=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
passed=0

# check NAME LIMIT_KB STATUS STDOUT STDERR ARGS... (standard input: $scratch/in)
check() {
  name=$1 limit=$2 want_status=$3 want_out=$4 want_err=$5
  shift 5
  out=$( (ulimit -v "$limit"; "$initform" "$@" < "$scratch/in") 2>"$scratch/err")
  status=$?
  err=$(cat "$scratch/err")
  if [ "$status" -ne "$want_status" ] || [ "$out" != "$want_out" ] || [ "$err" != "$want_err" ]; then
    echo "$name: status $status, output '$(printf '%s' "$out" | head -c 200)', error '$err'"
    failed=$((failed + 1))
  else
    passed=$((passed + 1))
  fi
}

head -c 300000000 /dev/zero > "$scratch/in"
check "300 MB of NUL bytes" 200000 1 "" "initform: out of memory" '(1)'

# GMP's own allocations: a coefficient of 40 million digits under --exact.
{ printf 'Q[x]{'; head -c 40000000 /dev/zero | tr '\0' '9'; printf '*x}'; } > "$scratch/in"
check "a huge exact coefficient" 140000 1 "" "initform: out of memory" '(1)' --exact

# 100 MB of one polynomial whose 50 million terms combine into one: the
# stored document holds that one term.
{ printf 'Q[x]{'; yes 'x-' | head -c 150000000 | tr -d '\n'; printf 'x}'; } > "$scratch/in"
printf '(1)\n(2)\n' > "$scratch/vectors"
check "--weights over 100 MB" 600000 0 "$(printf -- '-49999999*x\n-49999999*x')" "" --weights "$scratch/vectors"
check "the same single run" 600000 0 "-49999999*x" "" '(1)'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
