#!/usr/bin/env bash
# Pellam.exe on a Japanese system under Wine (system locale 0x0411, code page
# 932), with IPA Gothic given to a prefix of its own. Run inside an X server
# (xvfb-run):
#
#   japanese_gui_test.sh PELLAM_BIN READERSIM WORK_DIR
#
# The main window and the administrator-card gate show the texts of the
# shipped Japanese language file, byte for byte as the controls give them back
# in code page 932; the main window is saved as WORK_DIR/main-window-ja.png.
set -uo pipefail
export PELLAM_BIN=$1 READERSIM=$2
work=$3
here=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/pellam-wine-env
. "$here/scripts/pellam-wine-env"

export WINEPREFIX="$work/wineprefix"
# Wine takes the system locale and code page from LC_ALL, whether or not the
# host has that locale itself (the shell's own warning about it is dropped).
export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8 2>/dev/null
mkdir -p "$work"
run="$work/run"
rm -rf "$run"
pellam_workdir "$run"

fail() {
  echo "FAILED: $*"
  pellam_driver shot screen "$work/failure.png" >/dev/null 2>&1
  pellam_finish 1
}
japanese_text() {  # the text with identifier $1 in the shipped Japanese file, as its CP932 bytes
  LC_ALL=C sed -n "s/^$1,//p" "$run/japanese_string.csv" | tr -d '\r'
}
expect_japanese() {  # mark, control, text identifier
  local got want
  got=$(pellam_driver text "$1" "$2" | LC_ALL=C tr -d '\r')
  want=$(japanese_text "$3")
  [ -n "$want" ] || fail "no text $3 in japanese_string.csv"
  [ "$got" = "$want" ] || fail "control $2 of $1 shows '$(iconv -f CP932 -t UTF-8 <<<"$got")'," \
    "not '$(iconv -f CP932 -t UTF-8 <<<"$want")' (text $3)"
}

pellam_prefix com9 || fail "cannot prepare the Wine prefix"
pellam_japanese_font || fail "cannot give the prefix a Japanese font"
pellam_start_reader "$work/reader" com9 || fail "cannot start the reader simulator"
"$READERSIM" ctl --link "$work/reader" remove >/dev/null || fail "cannot empty the reader"

pellam_server "$work/wineserver.log"
cd "$run" || exit 1
wine "$PELLAM_BIN/Pellam.exe" &
pellam=$!

pellam_driver wait GetAdminDialog 60 || fail "the administrator-card dialog did not appear"
expect_japanese GetAdminDialog 0 5000
"$READERSIM" ctl --link "$work/reader" place boss >/dev/null || fail "cannot place the administrator card"
pellam_driver gone GetAdminDialog 20 || fail "the gate did not read the administrator card"
# The main window's texts: control, text identifier.
while read -r control id; do
  expect_japanese SelectDialog "$control" "$id"
done <<'EOF'
0 5001
1100 1100
3000 3000
6007 6007
6008 6008
EOF
sleep 1
pellam_driver shot SelectDialog "$work/main-window-ja.png" || fail "no screenshot"
pellam_driver press SelectDialog 6007 || fail "cannot press End"
wait "$pellam" || fail "the program ended with status $?"
echo "passed; screenshot: $work/main-window-ja.png"
pellam_finish 0
