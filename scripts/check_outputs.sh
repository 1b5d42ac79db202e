#!/usr/bin/env bash
# Captures everything the program shows or writes for a fixed set of gears and compares it with
# a saved baseline: every merrovan-cli output (JSON, CSV, tables, help and error texts, exit
# statuses, files), the rendered pictures and diagrams (PNG, SVG, PDF) and every window in a
# series of states (merrovan-snapshots). A change meant to keep behaviour must keep all of it:
# byte-identical text and files, pixel-identical pictures.
#
#   scripts/check_outputs.sh capture [DIR]    write the outputs of the current build into DIR
#   scripts/check_outputs.sh compare [DIR]    capture afresh and compare with DIR
#
# DIR defaults to build/output-baseline. BUILD (default build/release) names the build tree;
# the script builds merrovan-cli and merrovan-snapshots there first.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

MODE="${1:-}"
BASE="${2:-build/output-baseline}"
BUILD="${BUILD:-build/release}"
case "$MODE" in
  capture | compare) ;;
  *)
    echo "usage: scripts/check_outputs.sh capture|compare [DIR]" >&2
    exit 2
    ;;
esac

cmake --build "$BUILD" -j2 --target merrovan-cli merrovan-snapshots merrovan_help_files \
  merrovan_sounds >/dev/null
CLI="$ROOT/$BUILD/bin/merrovan-cli"
SNAP="$ROOT/$BUILD/bin/merrovan-snapshots"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 TZ=UTC

# Runs one CLI call; keeps stdout, stderr and the exit status under the given name.
run() {
  local name="$1"
  shift
  local rc=0
  (cd "$OUT/files" && "$CLI" "$@" >"$OUT/$name.out" 2>"$OUT/$name.err") || rc=$?
  echo "$rc" >"$OUT/$name.rc"
}

capture() {
  OUT="$1"
  rm -rf "$OUT"
  mkdir -p "$OUT/files"
  local dst="$ROOT/fuzz/corpus/dst" mvo="$ROOT/fuzz/corpus/mvo"

  # Help texts and usage errors.
  run help --help
  run no-command
  run unknown-command frobnicate
  for c in solve events render diagram report convert save-defaults data-files sensitivity \
    tolerance optimize sheet compare; do
    run "help-$c" "$c" --help
  done
  run err-set solve --set 99=1
  run err-set-text solve --set 5=abc
  run err-notch solve --notch 2
  run err-both solve --notch 0.5 --revarm 1
  run err-sweep solve --sweep 0
  run err-rows events --rows 0
  run err-format events --format xml
  run err-direction events --direction up
  run err-events-revarm events --revarm 1
  run err-render-out render --out x.gif
  run err-render-crop render --out x.png --crop 2000x10
  run err-render-width render --out x.png --line-width 3
  run err-diagram-kind diagram circle --out x.png
  run err-diagram-mode diagram port --mode X --out x.png
  run err-diagram-positions diagram sine --positions 1,2,3,4,5,6,7,8,9,10 --out x.png
  run err-report-notch report --notch 1 --out r
  run err-missing-file solve --file /nonexistent/gear.dst
  run err-bad-mvo solve --file "$mvo/bad.mvo"
  run err-short-dst solve --file "$dst/short.dst"
  run err-convert convert only-one
  run err-sensitivity-ids sensitivity --ids 6,99
  run err-sensitivity-notches sensitivity --notches 0.5,1.5
  run err-tolerance-none tolerance --samples 10
  run err-tolerance-tol tolerance --tol 6=-1
  run err-tolerance-samples tolerance --tol 6=0.01 --samples 0
  run err-optimize-limits optimize --vary 5=2:1
  run err-optimize-goal optimize --vary 5 --goal lead
  # The design assistant: a short deterministic search, both forms.
  run optimize-json optimize --vary 6 --vary 22=1.85:1.95 --goal cutoff-balance@2 \
    --goal lead=0.03@0.5 --notches 0.25,0.75 --max-evals 40
  run optimize-table optimize --vary 6 --vary 22 --notches 0.5 --direction rev --max-evals 40 \
    --format table

  # The same set of outputs for each gear.
  local gears=(
    "default:"
    "overlay:--file $dst/overlay.dst"
    "hand:--file $mvo/hand.mvo"
    "changed:--set 5=1.9 --set 8=3.7 --set 110=0.09 --set 118=1.1"
    "clamped:--set 3=0.5 --set 6=2"
  )
  for entry in "${gears[@]}"; do
    local g="${entry%%:*}"
    # shellcheck disable=SC2206
    local opt=(${entry#*:})
    run "$g-solve-sweep" solve "${opt[@]}" --sweep 7.5
    run "$g-solve-notch" solve "${opt[@]}" --notch 0.8 --angle 33.3 --angle 270 --angle 400
    run "$g-solve-revarm" solve "${opt[@]}" --revarm -0.3 --angle 12
    run "$g-events-table" events "${opt[@]}"
    run "$g-events-csv" events "${opt[@]}" --format csv
    run "$g-events-json" events "${opt[@]}" --format json
    run "$g-events-rev" events "${opt[@]}" --rows 5 --direction rev --format json
    run "$g-events-settings" events "${opt[@]}" --settings -0.5,0,0.25,0.5 --direction fwd
    run "$g-render" render "${opt[@]}" --out "$g-render.png"
    run "$g-render-notch" render "${opt[@]}" --notch -0.6 --angle 77 --line-width 2 \
      --out "$g-render-notch.png"
    run "$g-render-plain" render "${opt[@]}" --screen-data off --angle 200 --out "$g-plain.png"
    run "$g-render-steam" render "${opt[@]}" --steam on --ticks 40 --out "$g-steam.png"
    run "$g-render-graphic" render "${opt[@]}" --graphic 9 --ticks 3 --crop 632x380 \
      --out "$g-graphic.png"
    run "$g-render-graphic2" render "${opt[@]}" --graphic 117 --ticks 2 --out "$g-graphic2.png"
    run "$g-render-svg" render "${opt[@]}" --angle 45 --out "$g-render.svg"
    run "$g-render-pdf" render "${opt[@]}" --angle 45 --crop 632x380 --out "$g-render.pdf"
    for d in sine oval steam port; do
      run "$g-diagram-$d" diagram "$d" "${opt[@]}" --out "$g-$d.png"
      run "$g-diagram-$d-svg" diagram "$d" "${opt[@]}" --out "$g-$d.svg"
    done
    run "$g-diagram-sine-pos" diagram sine "${opt[@]}" --positions 0,0.2,-0.2,0.4,9 --scale 0.7 \
      --out "$g-sine-pos.png"
    run "$g-diagram-oval-pos" diagram oval "${opt[@]}" --positions 0.1,0.3 --scale 3 \
      --out "$g-oval-pos.png"
    run "$g-diagram-steam-pos" diagram steam "${opt[@]}" --positions 0.05,-0.15,0.3 \
      --out "$g-steam-pos.png"
    run "$g-diagram-port-rev" diagram port "${opt[@]}" --mode R --out "$g-port-rev.png"
    run "$g-diagram-port-both" diagram port "${opt[@]}" --mode B --out "$g-port-both.png"
    run "$g-diagram-port-pdf" diagram port "${opt[@]}" --mode B --out "$g-port-both.pdf"
    run "$g-report" report "${opt[@]}" --out "$g-report"
    run "$g-sensitivity" sensitivity "${opt[@]}"
    run "$g-sensitivity-table" sensitivity "${opt[@]}" --ids 6,8,119,25 --notches 0.3,0.9 \
      --direction rev --format table
    run "$g-tolerance" tolerance "${opt[@]}" --tol 6=0.01 --tol 119=0.003 --pin-clearance 0.002 \
      --samples 300 --seed 5
    run "$g-tolerance-csv" tolerance "${opt[@]}" --tol 8=0.02 --samples 40 --notches 0.5 \
      --format csv
    run "$g-sheet" sheet "${opt[@]}" --date 2024-01-01 --out "$g-sheet.pdf"
    run "$g-sheet-html" sheet "${opt[@]}" --date 2024-01-01 --paper letter --out "$g-sheet.html"
    run "$g-render-dxf" render "${opt[@]}" --notch 0.4 --angle 123 --out "$g-render.dxf"
  done
  # Two gears compared, each form.
  run compare-table compare "$dst/defaults.dst" "$mvo/hand.mvo"
  run compare-json compare "$dst/overlay.dst" "$mvo/hand.mvo" --format json
  run compare-csv compare "$dst/defaults.dst" "$dst/overlay.dst" --cutoffs 20,45 --format csv
  run err-compare-one compare "$dst/defaults.dst"
  run err-compare-file compare "$dst/defaults.dst" "$dst/short.dst"
  run err-sheet-out sheet --out x.png
  run convert-mvo-dst convert "$mvo/hand.mvo" hand.dst
  run convert-dst-mvo convert "$dst/overlay.dst" overlay.mvo
  run save-defaults save-defaults defaults.dst
  run save-defaults-mvo save-defaults defaults.mvo
  run data-files data-files

  # Text that changes with the clock or the machine, not with the program.
  find "$OUT" -name index.html -exec sed -i -E 's/merrovan report, [^.]*\./merrovan report, DATE./' {} +
  sed -i -e "s#$OUT#OUT#g" -e "s#$ROOT#ROOT#g" "$OUT"/*.out "$OUT"/*.err
  # A PDF names its font subsets and orders its objects differently from run to run; what is
  # compared is its sorted text with object numbers, offsets and subset tags taken out.
  while IFS= read -r -d '' f; do
    strings -n 6 "$f" | sed -E 's/[0-9]+ 0 R/REF/g; s/^[0-9]+ 0 obj/OBJ/; s#/[A-Z]{6}\+#/SUBSET+#g;
      s#/(CreationDate|ModDate) \(D:[^)]*\)#/\1 DATE#g; /^[0-9 nf]+$/d; /^startxref/d' |
      sort >"$f.text"
    rm "$f"
  done < <(find "$OUT" -name '*.pdf' -print0)

  # The windows, at start-up and with a loaded gear.
  (cd "$OUT/files" && "$SNAP" "$OUT/windows" >"$OUT/snapshots.log" 2>&1) || echo "snapshots failed" >>"$OUT/snapshots.log"
  (cd "$OUT/files" && "$SNAP" "$OUT/windows-overlay" "$dst/overlay.dst" >"$OUT/snapshots-overlay.log" 2>&1) ||
    echo "snapshots failed" >>"$OUT/snapshots-overlay.log"
}

compare_trees() {
  local base="$1" now="$2" bad=0
  while IFS= read -r -d '' f; do
    local rel="${f#"$base"/}"
    local g="$now/$rel"
    if [ ! -e "$g" ]; then
      echo "MISSING  $rel"
      bad=1
      continue
    fi
    if cmp -s "$f" "$g"; then continue; fi
    case "$rel" in
      *.png)
        local ae
        ae=$(command compare -metric AE "$f" "$g" null: 2>&1 || true)
        if [ "$ae" = "0" ]; then continue; fi
        echo "PIXELS   $rel ($ae pixels differ)"
        ;;
      *) echo "DIFFERS  $rel" ;;
    esac
    bad=1
  done < <(find "$base" -type f -print0 | sort -z)
  while IFS= read -r -d '' g; do
    local rel="${g#"$now"/}"
    if [ ! -e "$base/$rel" ]; then
      echo "NEW      $rel"
      bad=1
    fi
  done < <(find "$now" -type f -print0 | sort -z)
  return $bad
}

if [ "$MODE" = capture ]; then
  capture "$ROOT/$BASE"
  echo "baseline written to $BASE ($(find "$BASE" -type f | wc -l) files)"
  exit 0
fi

[ -d "$BASE" ] || {
  echo "no baseline in $BASE; run: scripts/check_outputs.sh capture" >&2
  exit 2
}
NOW="$(mktemp -d)"
trap 'rm -rf "$NOW"' EXIT
capture "$NOW/out"
if compare_trees "$ROOT/$BASE" "$NOW/out"; then
  echo "outputs unchanged ($(find "$NOW/out" -type f | wc -l) files)"
else
  echo "outputs differ from the baseline in $BASE" >&2
  if [ -n "${KEEP:-}" ]; then
    rm -rf "$KEEP" && cp -r "$NOW/out" "$KEEP"
    echo "this run's outputs are in $KEEP" >&2
  fi
  exit 1
fi
