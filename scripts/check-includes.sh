#!/usr/bin/env bash
# The one list of the layers of src/ and of the tools in tools/, and the
# check that includes run only down them: a file in src/LAYER may include
# headers of its own layer and of the layers below it, as
# src/*/CMakeLists.txt link them; a tool in tools/TOOL the layers it links
# and tools/common; only src/ui includes Qt. CONTRIBUTING.md's table and
# README's Layout must name every folder of src/, and the table must give
# each layer the layers listed here.
# Prints each offending file:line or missing entry and exits 1 when there
# is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each layer of src/ and the layers it may include (those its library
# links, directly or through another), from the bottom up.
layers=(sys inf media settings source patch answer check runner wizard cli ui)
declare -A below=(
  [sys]=""
  [inf]="sys"
  [media]="sys"
  [settings]="sys"
  [source]="inf media settings sys"
  [patch]="inf sys"
  [answer]="inf settings sys"
  [check]="source answer patch inf media settings sys"
  [runner]="check source answer patch inf media settings sys"
  [wizard]="runner check source answer patch inf media settings sys"
  [cli]="wizard runner check source answer patch inf media settings sys"
  [ui]="wizard runner check source answer patch inf media settings sys"
)

# Each tool of tools/ and what it may include besides its own headers.
declare -A toolBelow=(
  [common]="sys"
  [attrib]="common sys"
  [cdimage]="common media sys"
  [extract]="common sys"
  [infquery]="common inf sys"
  [makecab]="common sys"
)

status=0

# Checks the quoted includes of the form "first/rest" under folder: first
# must be one of allowed when it names a layer or tools/common. No Qt
# unless qt is "qt".
checkFolder() {
  local folder=$1 allowed=" $2 " qt=$3 hit target
  while IFS= read -r hit; do
    target=$(sed -E 's/^[^:]*:[0-9]+:[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"/]+)\/.*/\1/' <<<"$hit")
    if { [ -n "${below[$target]+known}" ] || [ "$target" = common ]; } &&
      [[ "$allowed" != *" $target "* ]]; then
      echo "$hit  ($folder may include only:$allowed)"
      status=1
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "$folder" || true)
  if [ "$qt" != qt ]; then
    while IFS= read -r hit; do
      echo "$hit  (only src/ui includes Qt)"
      status=1
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$folder" || true)
  fi
}

for folder in src/*/; do
  layer=$(basename "$folder")
  if [ -z "${below[$layer]+known}" ]; then
    echo "src/$layer: not in the layer table of $0"
    status=1
    continue
  fi
  checkFolder "src/$layer" "$layer ${below[$layer]}" "$([ "$layer" = ui ] && echo qt || echo no)"

  # CONTRIBUTING.md: a row "| `layer` | `a`, `b` ... |" naming exactly
  # the layers above.
  row=$(grep -E "^\|[[:space:]]*\`$layer\`[[:space:]]*\|" CONTRIBUTING.md || true)
  if [ -z "$row" ]; then
    echo "CONTRIBUTING.md: no row for src/$layer in the table of layers"
    status=1
  else
    listed=$(cut -d'|' -f3 <<<"$row" | grep -oE '`[a-z]+`' | tr -d '`' | grep -vx "$layer" | sort | tr '\n' ' ' || true)
    wanted=$(tr ' ' '\n' <<<"${below[$layer]}" | grep -v '^$' | sort | tr '\n' ' ' || true)
    if [ "$listed" != "$wanted" ]; then
      echo "CONTRIBUTING.md: src/$layer may include \"$wanted\" but its row says \"$listed\""
      status=1
    fi
  fi
  # README.md: a line "    src/layer ..." in the Layout.
  if ! grep -qE "^[[:space:]]+src/$layer[[:space:]]" README.md; then
    echo "README.md: src/$layer is missing from the Layout"
    status=1
  fi
done
for layer in "${layers[@]}"; do
  if [ ! -d "src/$layer" ]; then
    echo "src/$layer: in the layer table of $0 but not a folder"
    status=1
  fi
done

for folder in tools/*/; do
  tool=$(basename "$folder")
  if [ -z "${toolBelow[$tool]+known}" ]; then
    echo "tools/$tool: not in the tool table of $0"
    status=1
    continue
  fi
  checkFolder "tools/$tool" "$tool ${toolBelow[$tool]}" no
done
exit $status
