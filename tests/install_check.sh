#!/bin/sh
# Installs the build tree into a temporary prefix and runs the installed
# binary on an example. usage: install_check.sh BUILD_DIR SOURCE_DIR
set -eu
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" > /dev/null
test -f "$prefix/share/man/man1/initform.1"
out=$("$prefix/bin/initform" '(1,1)' < "$2/examples/worked.txt")
test "$out" = "3*x^2*y,
3*x*y"
echo "1 passed, 0 failed"
