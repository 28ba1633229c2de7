#!/usr/bin/env bash
# Fails when a page changed after its picture in docs/ was made: for each
# page, the last commit of its layout files must not be newer than the last
# commit of its picture or of docs/screenshots.txt, which every run of
# scripts/screenshots.sh rewrites (a picture that comes out the same bytes
# is no change to commit). Commit times, as a checkout resets file times.
# Remake the pictures with scripts/screenshots.sh and commit them.
set -euo pipefail
cd "$(dirname "$0")/.."

# picture: the files that lay out what it shows; the English pictures in
# docs/en also show the English translations of the pages and of the texts
# the pages get from the core.
pages=(
  "docs/settings-page.png: src/ui/SettingsPageLayout.cpp src/ui/VirtioWinGroup.cpp"
  "docs/answer-file-dialog.png: src/ui/AnswerFileDialog.ui src/ui/AnswerFileDialog.cpp"
  "docs/about-box.png: src/ui/AboutBox.cpp"
  "docs/confirm-page.png: src/ui/ConfirmPage.cpp"
  "docs/build-log.png: src/ui/ConfirmPage.cpp"
)
english="src/ui/translations/ornibe_en.ts po/en.po"
for page in "${pages[@]}"; do
  pages+=("docs/en/${page#docs/} $english")
done

committed() { git log -1 --format=%ct -- "$@"; }

stale=0
for page in "${pages[@]}"; do
  picture=${page%%:*}
  read -r -a layout <<<"${page#*:}"
  shot=$(committed "$picture")
  run=$(committed docs/screenshots.txt)
  if [ -n "$shot" ] && [ -n "$run" ] && [ "$run" -gt "$shot" ]; then
    shot=$run
  fi
  if [ -z "$shot" ]; then
    echo "check-screenshots: $picture is not committed" >&2
    stale=1
    continue
  fi
  changed=$(committed "${layout[@]}")
  if [ -n "$changed" ] && [ "$changed" -gt "$shot" ]; then
    echo "check-screenshots: ${layout[*]} changed after $picture; run scripts/screenshots.sh" >&2
    stale=1
  fi
done
exit $stale
