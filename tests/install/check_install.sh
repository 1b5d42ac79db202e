#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop user gets.
set -euo pipefail
build_dir="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null

fail=0
need() {
  if [ ! -e "$prefix/$1" ]; then
    echo "missing after install: $1"
    fail=1
  fi
}
need bin/merrovan
need bin/merrovan-cli
need share/applications/merrovan.desktop
need share/icons/hicolor/scalable/apps/merrovan.svg
need share/mime/packages/merrovan.xml
for f in instruct.doc MvOSpIns.doc Exhaust.wav Error.wav; do
  if [ ! -e "$prefix/share/merrovan/$f" ]; then
    echo "missing after install: $f (share/merrovan)"
    fail=1
  fi
done

# The user guide: its pages and the pictures the build made, where the program looks for them.
for f in guide/index.md guide/command-line.md guide/pictures/first-look.png; do
  if [ ! -e "$prefix/share/merrovan/$f" ]; then
    echo "missing after install: $f (share/merrovan)"
    fail=1
  fi
done

"$prefix/bin/merrovan-cli" --help >/dev/null || { echo "installed merrovan-cli --help failed"; fail=1; }
"$prefix/bin/merrovan-cli" solve >/dev/null || { echo "installed merrovan-cli solve failed"; fail=1; }
"$prefix/bin/merrovan" --has-window >/dev/null || { echo "installed merrovan --has-window failed"; fail=1; }

if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$prefix/share/applications/merrovan.desktop" || fail=1
else
  echo "desktop-file-validate not installed; entry not validated"
fi
if command -v xmllint >/dev/null 2>&1; then
  xmllint --noout "$prefix/share/mime/packages/merrovan.xml" || fail=1
fi

# The installed program finds its data relative to itself, wherever the prefix is.
if "$prefix/bin/merrovan-cli" data-files --help >/dev/null 2>&1; then
  (cd / && "$prefix/bin/merrovan-cli" data-files) || fail=1
fi

if [ "$fail" -ne 0 ]; then
  exit 1
fi
echo "install check passed"
