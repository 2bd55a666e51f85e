#!/bin/sh
# Fails when a module exports anything but the four module entry points.
set -u
expected='DllCanUnloadNow
DllGetClassObject
DllRegisterServer
DllUnregisterServer'
failures=0
for module in "$@"; do
  got=$(nm -D --defined-only "$module" | awk '{print $NF}' | sort)
  if [ "$got" != "$expected" ]; then
    echo "$module exports $(echo "$got" | wc -l) symbols:"; echo "$got" | head -20; failures=1
  fi
done
exit $failures
