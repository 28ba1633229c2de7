#!/usr/bin/env bash
# Checks that includes run only down the layers of src/: a file in
# src/LAYER may include headers of its own layer and of the layers below
# it, as src/*/CMakeLists.txt link them, and only src/ui includes Qt.
# Prints each offending file:line and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each layer and the layers it may include (those its library links,
# directly or through another).
declare -A below=(
  [sys]=""
  [inf]="sys"
  [media]="sys"
  [settings]="sys"
  [check]="inf media sys"
  [patch]="inf sys"
  [answer]="inf settings sys"
  [source]="inf settings media sys"
  [runner]="answer patch check source inf settings media sys"
  [wizard]="runner answer patch check source inf settings media sys"
  [cli]="wizard runner answer patch check source inf settings media sys"
  [ui]="wizard runner answer patch check source inf settings media sys"
)

status=0
for folder in src/*/; do
  layer=$(basename "$folder")
  if [ -z "${below[$layer]+known}" ]; then
    echo "src/$layer: not in the layer table of $0"
    status=1
    continue
  fi
  allowed=" $layer ${below[$layer]} "
  # Lines of the form: file:line:#include "first/rest"
  while IFS= read -r hit; do
    target=$(sed -E 's/^[^:]*:[0-9]+:[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"/]+)\/.*/\1/' <<<"$hit")
    if [ -n "${below[$target]+known}" ] && [[ "$allowed" != *" $target "* ]]; then
      echo "$hit  (src/$layer may include only: $layer ${below[$layer]})"
      status=1
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "src/$layer" || true)
  if [ "$layer" != ui ]; then
    while IFS= read -r hit; do
      echo "$hit  (only src/ui includes Qt)"
      status=1
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "src/$layer" || true)
  fi
done
exit $status
