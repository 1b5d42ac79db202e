#!/usr/bin/env bash
# Makes the user guide's pictures afresh from the program (merrovan-snapshots --guide) and puts
# the guide's pages beside them, in the build tree where the program finds them.
#
#   scripts/guide.sh                      every picture, into BUILD/bin/guide/pictures
#   scripts/guide.sh --out DIR [NAME...]  every picture, or the ones named, into DIR
#   scripts/guide.sh --list               the names of the pictures
#
# BUILD (default build/release) names the build tree. The build makes the pictures too (target
# merrovan_guide) whenever the program changes; this script is for doing it on purpose.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${BUILD:-build/release}"
OUT=""
case "${1:-}" in
  --list)
    cmake --build "$BUILD" -j2 --target merrovan-snapshots >/dev/null
    exec "$BUILD/bin/merrovan-snapshots" --guide-names
    ;;
  --out)
    [ $# -ge 2 ] || { echo "usage: scripts/guide.sh [--out DIR [NAME...] | --list]" >&2; exit 2; }
    OUT="$2"
    shift 2
    ;;
  "") ;;
  *)
    echo "usage: scripts/guide.sh [--out DIR [NAME...] | --list]" >&2
    exit 2
    ;;
esac

if [ -z "$OUT" ]; then
  # The stamp goes, so the build makes every picture again.
  rm -f "$BUILD/tools/guide_pictures.stamp"
  cmake --build "$BUILD" -j2 --target merrovan_guide
  echo "guide: $BUILD/bin/guide/index.md"
else
  cmake --build "$BUILD" -j2 --target merrovan-snapshots merrovan_guide_pages >/dev/null
  QT_QPA_PLATFORM=offscreen "$BUILD/bin/merrovan-snapshots" --guide "$OUT" "$@"
  echo "pictures in $OUT"
fi
