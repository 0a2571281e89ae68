#!/usr/bin/env bash
# Puts each deliberate fault of faults.txt into the sources in turn, rebuilds the tests
# of the part it touches, runs them and prints which caught it. A developer's tool: too
# slow for every change, so it is not registered with CTest.
#   usage: tests/faults/run-faults.sh BUILD_DIR [PATTERN]
# PATTERN (an extended regular expression) keeps only the faults whose file matches.
# The touched file is always put back, also on Ctrl+C; the build is brought up to date
# with the restored sources at the end.
set -u
if [ $# -lt 1 ] || [ ! -f "$1/CMakeCache.txt" ]; then
  echo "usage: $0 BUILD_DIR [PATTERN]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
pattern=${2:-.}
src=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
# FAULT_LIST runs another list of the same form, new faults tried before they join this one.
list=${FAULT_LIST:-$src/tests/faults/faults.txt}
log=$(mktemp -d)
backup="$log/original"
touched=""     # the file now holding a fault
built=""       # every target built, rebuilt from the restored sources at the end

restore() {
  if [ -n "$touched" ]; then cp "$backup" "$src/$touched" && touched=""; fi
}
finish() {
  restore
  if [ -n "$built" ]; then
    # shellcheck disable=SC2086
    nice -n 10 cmake --build "$build" -j2 --target $built > "$log/final-build" 2>&1 ||
      echo "warning: rebuilding from the restored sources failed, see $log/final-build"
  fi
}
trap 'finish; exit 130' INT TERM
trap finish EXIT

# The CTest labels of the tests that watch each part, and the targets they need built.
testsFor() {
  case $1 in
    src/game/*) echo game_tests ;;
    # The layout is shared with the art generator, which paints the wells where it says.
    src/gfx/LayoutGeometry.h) echo gfx_display_tests art_checks ;;
    src/gfx/*) echo gfx_display_tests ;;
    src/resource/*) echo resource_tests gfx_display_tests ;;
    src/menu/*) echo menu_tests ;;
    # The menus' binding capture reads the sticks through the poller too.
    src/input/*) echo input_tests menu_tests ;;
    src/config/*) echo config_tests input_tests ;;
    src/sound/*) echo sound_tests ;;
    src/app/*) echo app_tests ;;
    src/net/*) echo net_tests netgame_tests ;;
    src/netgame/*) echo netgame_tests ;;
    src/replay/*) echo replay_tests netgame_tests ;;
    assets/artgen/*) echo art_checks ;;
    assets/audiogen/*) echo audio_checks sound_tests ;;
  esac
}
targetsFor() {
  case $1 in
    assets/artgen/*) echo art ;;
    src/gfx/LayoutGeometry.h) echo gfx_display_tests art ;;
    assets/audiogen/*) echo sounds sound_tests ;;
    *) testsFor "$1" ;;
  esac
}

caught=0 missed=0 number=0
runFault() {  # file from to why [labels]
  # The whole-program checks that share a part's labels (the recorded game's mix is one of
  # the audio checks) take minutes; they run only for entries that name them.
  local file=$1 from=$2 to=$3 why=$4 tests targets labels failed skip='e2e|game_mix'
  number=$((number + 1))
  [[ $file =~ $pattern ]] || return 0
  tests=$(testsFor "$file")
  targets=$(targetsFor "$file")
  # An entry may name the labels that watch it, the whole-program checks among them
  # (command line, start-up); those need everything built.
  if [ -n "${5:-}" ]; then
    tests=$5
    targets=all
    skip='^$'
  fi
  if [ -z "$tests" ] || [ "$(grep -cF -- "$from" "$src/$file")" != 1 ]; then
    echo "#$number $file: $why -> BAD ENTRY (no tests, or the line is not there exactly once)"
    missed=$((missed + 1))
    return 0
  fi
  cp "$src/$file" "$backup"
  touched=$file
  # A generator fault must not hide behind files an earlier build left in the data folder.
  case $file in
    assets/artgen/* | src/gfx/LayoutGeometry.h) rm -rf "$build/data/Sprites" "$build/data/Font" "$build/data/Backgrounds" ;;
    assets/audiogen/*) rm -rf "$build/data/Sounds" ;;
  esac
  FROM=$from TO=$to perl -pi -e 'BEGIN { $f = $ENV{FROM}; $t = $ENV{TO} } s/\Q$f\E/$t/' \
    "$src/$file"
  # shellcheck disable=SC2086
  if ! nice -n 10 cmake --build "$build" -j2 --target $targets > "$log/build" 2>&1; then
    echo "#$number $file: $why -> MISSED (does not build; see the faulty line)"
    missed=$((missed + 1))
    restore
    return 0
  fi
  for t in $targets; do [[ " $built " == *" $t "* ]] || built="$built $t"; done
  labels="^($(echo $tests | tr ' ' '|'))\$"
  failed=$(cd "$build" && nice -n 10 timeout 1200 ctest -L "$labels" -E "$skip" --timeout 300 2>&1 |
    sed -n '/tests FAILED:/,$ s/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' | tr '\n' ' ')
  restore
  if [ -n "$failed" ]; then
    echo "#$number $file: $why -> caught by: $failed"
    caught=$((caught + 1))
  else
    echo "#$number $file: $why -> MISSED"
    missed=$((missed + 1))
  fi
}

file="" from="" to="" why="" tests=""
while IFS= read -r line || [ -n "$line" ]; do
  case $line in
    "#"*) ;;
    "file: "*) file=${line#file: } ;;
    "from: "*) from=${line#from: } ;;
    "to: "*) to=${line#to: } ;;
    "why: "*) why=${line#why: } ;;
    "tests: "*) tests=${line#tests: } ;;
    "")
      if [ -n "$file" ]; then runFault "$file" "$from" "$to" "$why" "$tests"; fi
      file="" from="" to="" why="" tests=""
      ;;
  esac
done < "$list"
if [ -n "$file" ]; then runFault "$file" "$from" "$to" "$why" "$tests"; fi
echo "$caught caught, $missed missed"
