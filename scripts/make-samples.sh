#!/usr/bin/env bash
# Writes the shipped sample: a small Windows XP installation tree (xp/) and a
# sample mass-storage driver (driver/), both synthetic.
#   scripts/make-samples.sh          rewrites samples/xp and samples/driver
#   scripts/make-samples.sh DIR      writes DIR/xp and DIR/driver instead
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/samples}"
rm -rf "$out/xp" "$out/driver"
mkdir -p "$out"
python3 "$root/tests/e2e/tree_generator/make_tree.py" \
  --target xp --case upper --size 300K --seed 1 \
  --tree "$out/xp" --driver "$out/driver"
