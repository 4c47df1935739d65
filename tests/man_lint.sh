#!/bin/sh
# Fails when groff warns about the man page. usage: man_lint.sh PAGE
set -eu
warnings=$(groff -man -ww -z "$1" 2>&1)
if [ -n "$warnings" ]; then
  echo "$warnings"
  exit 1
fi
