#!/usr/bin/env bash
# Usage: check_exports.sh LIBRARY ALLOWED_REGEX
# Fails when the library defines a dynamic symbol whose demangled name does not
# match ALLOWED_REGEX (linker-made section symbols aside).
set -euo pipefail
lib=$1
allowed=$2
symbols=$(nm -D --defined-only "$lib" | awk '{print $3}' | grep -v -E '^(_init|_fini|_edata|_end|__bss_start)$' || true)
bad=$(printf '%s\n' "$symbols" | c++filt | grep -v -E "$allowed" | grep -v '^$' || true)
if [ -n "$bad" ]; then
  echo "symbols exported that are not part of the interface:"
  printf '%s\n' "$bad"
  exit 1
fi
echo "$(printf '%s\n' "$symbols" | grep -c . || true) interface symbols exported"
