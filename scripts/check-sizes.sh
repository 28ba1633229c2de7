#!/usr/bin/env bash
# Fails when a source file of src/ or tools/ is longer than 500 lines, and
# names each one with its length: a file that grows past that holds more
# than one job and is split by job.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=500
status=0
while IFS= read -r -d '' file; do
  lines=$(wc -l <"$file")
  if [ "$lines" -gt "$limit" ]; then
    echo "$file: $lines lines (at most $limit)" >&2
    status=1
  fi
done < <(find src tools -type f \( -name '*.cpp' -o -name '*.h' \) -print0)
exit $status
