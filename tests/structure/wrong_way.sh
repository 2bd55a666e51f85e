#!/bin/sh
# Each tree holds one include; the check must pass the right-way ones and fail the others.
set -u
python=$1 check=$2 failures=0
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
expect() {  # expect <exit code> <file> <included header>
  rm -rf "$tmp/t" && mkdir -p "$tmp/t/$(dirname "$2")"
  printf '#include "%s"\n' "$3" > "$tmp/t/$2"
  "$python" "$check" "$tmp/t" > "$tmp/out"; got=$?
  [ "$got" -eq "$1" ] || { echo "$2 including $3: exit $got, expected $1"; cat "$tmp/out"; failures=1; }
}
expect 0 src/frame/a.cpp reporter/co_error.h
expect 0 src/calc/a.cpp vocabulary/compound_order.h
expect 0 peers/x/a.cpp outside/mat_obj.h
expect 1 src/base/a.cpp reporter/co_error.h
expect 1 src/vocabulary/a.h calc/material_client.h
expect 1 src/calc/a.cpp setup/compound_list.h
expect 1 src/comlite/a.cpp base/set_get.h
expect 1 peers/x/a.cpp base/set_get.h
expect 1 src/newfolder/a.cpp comlite/bstr.h
exit $failures
