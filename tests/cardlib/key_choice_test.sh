#!/usr/bin/env bash
# The keys a configure chooses, in one build tree configured again and again
# as a site switches between the development keys and its own: a release
# preset refuses to configure without keys and says how to give them, and a
# development-keys ON kept in the cache does not carry over into the next
# preset configure. Each configure uses compilers that do not exist, so that
# it stops at project(), right after the keys are chosen.
#
#   key_choice_test.sh SOURCE_DIR WORK_DIR
set -uo pipefail
source_dir=$1 work=$2
rm -rf "$work" && mkdir -p "$work" || exit 1
printf '// a site key file\n' >"$work/site_keys.cpp"
failed=0

development="Card keys: the development keys"
site="Card keys: the site's, from $work/site_keys.cpp"
refused="-DCORVEX_SITE_KEY_FILE=/secure/place/site_keys.cpp"
both="Both CORVEX_SITE_KEY_FILE"
# what the configure must print | its arguments after the preset
steps=(
  "$refused|"
  "$development|-DCORVEX_DEVELOPMENT_KEYS=ON"
  "$refused|"
  "$both|-DCORVEX_DEVELOPMENT_KEYS=ON -DCORVEX_SITE_KEY_FILE=$work/site_keys.cpp"
  "$site|"
  "$site|-DCORVEX_SITE_KEY_FILE=site_keys.cpp"
  "$refused|-DCORVEX_SITE_KEY_FILE="
  "$development|-DPELLAM_TESTS=ON"
  "not a file|-DCORVEX_SITE_KEY_FILE=$work/missing.cpp"
)
cd "$work" || exit 1
for step in "${steps[@]}"; do
  IFS='|' read -r want args <<<"$step"
  # shellcheck disable=SC2086  # the arguments are split at spaces
  output=$(cmake -S "$source_dir" --preset linux-release -B "$work/build" -DCMAKE_C_COMPILER=/nonexistent/cc \
    -DCMAKE_CXX_COMPILER=/nonexistent/c++ $args 2>&1)
  # CMake wraps its messages at word boundaries: compare as one line.
  output=$(tr -s ' \n' '  ' <<<"$output")
  if [[ "$output" != *"$want"* ]]; then
    echo "FAILED: with '$args' the configure did not print '$want':"
    echo "$output"
    failed=1
  elif [ "$want" = "$refused" ] && [[ "$output" != *"-DCORVEX_DEVELOPMENT_KEYS=ON"* ||
    "$output" != *"--development-keys"* || "$output" == *"compiler identification"* ]]; then
    echo "FAILED: the refusal with '$args' does not say how to ask for the development keys, or comes late:"
    echo "$output"
    failed=1
  fi
done
[ "$failed" -eq 0 ] && echo "passed: ${#steps[@]} configures"
exit "$failed"
