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

# The tropical sets in many variables, which held the lineality space's
# Gram-Schmidt basis, or a row per term for every cell (over 1 GB).
{ printf 'Q['; seq -s, -f 'x%g' 0 79 | tr -d '\n'; printf ']{'; seq -s+ -f 'x%g' 0 79 | tr -d '\n'; printf '+1}'; } > "$scratch/in"
whole=$("$initform" --tropical < "$scratch/in")
check "--tropical in 80 variables" 100000 0 "$whole" "" --tropical
# A weights line far longer than the ring: its weights beyond the ring
# read as it comes in and dropped, so the line is never held whole.
printf 'Q[x]{x+1}' > "$scratch/in"
{ printf '('; yes 1, | head -n 50000000 | tr -d '\n'; printf '1)\n'; } > "$scratch/vectors"
check "a weights line of 50 million weights" 60000 1 \
  "Dimension of standard input (1) and vector-argument (50000001) doesn't match" "" --weights "$scratch/vectors"

# The cone: cddlib does not check its allocations, so its conversion runs
# apart; at every limit the run answers whole or says it ran out of memory
# (or, at the lowest, the loader's reason why cddlib could not be mapped).
n=100
{ printf 'Q['; seq -s, -f 'x%g' 0 $n | tr -d '\n'; printf ']{'
  i=0; while [ $i -lt $n ]; do [ $i -gt 0 ] && printf ','; printf 'x%d-x%d^2' $i $((i + 1)); i=$((i + 1)); done
  printf '}'; } > "$scratch/in"
whole=$("$initform" --cone < "$scratch/in")
limit=10000
while [ $limit -le 20000 ]; do
  out=$( (ulimit -v $limit; "$initform" --cone < "$scratch/in") 2>"$scratch/err")
  status=$?
  if { [ $status -eq 0 ] && [ "$out" = "$whole" ] && [ ! -s "$scratch/err" ]; } ||
     { [ $status -eq 1 ] && [ -z "$out" ] && [ "$(wc -l < "$scratch/err")" -eq 1 ] &&
       grep -qx 'initform: out of memory\|initform: cannot load cddlib: .*' "$scratch/err"; }; then
    passed=$((passed + 1))
  else
    echo "--cone under $limit KB: status $status, error '$(cat "$scratch/err")'"
    failed=$((failed + 1))
  fi
  limit=$((limit + 1000))
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
