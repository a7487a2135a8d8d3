#!/usr/bin/env bash
# Every window of Pellam.exe in one language, under Wine against the reader
# simulator: each static, button and group box must be large enough for the
# text the program puts in it, as the real window measures it with its own
# font. Run inside an X server (xvfb-run):
#
#   texts_fit_test.sh PELLAM_BIN READERSIM WORK_DIR en|ja
#
# ja runs on a Japanese system (locale 0x0411, code page 932, IPA Gothic for
# the dialogs' faces), where the gate and the main window must also show the
# texts of the shipped Japanese language file byte for byte as the controls
# give them back in code page 932. Walks the gate, the main window, the About
# dialog, the Issue and issue-information dialogs (issuing a card), and the
# Update, PIN change, PIN unlock and Initialise dialogs for that card, given
# the widest issue count and date; the misfits of all windows are listed
# before the test fails. A picture of each window is kept in WORK_DIR/LANGUAGE.
set -uo pipefail
export PELLAM_BIN=$1 READERSIM=$2
language=$4
work=$3/$language
here=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/pellam-wine-env
. "$here/scripts/pellam-wine-env"

export WINEPREFIX="$work/wineprefix"
# Wine takes the system locale and code page from LC_ALL.
[ "$language" = ja ] && export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8 2>/dev/null
mkdir -p "$work"
run="$work/run"
rm -rf "$run"
pellam_workdir "$run"

fail() {
  echo "FAILED: $*"
  pellam_driver boxes
  pellam_driver shot screen "$work/failure.png" >/dev/null 2>&1
  pellam_finish 1
}
misfits=0
check() {  # $1 what the window is, $2 its dialog template, $3 its mark (the uppermost dialog unless given); a picture of it is kept
  local found
  pellam_driver shot "${3:-top}" "$work/$1.png" >/dev/null
  found=$(pellam_driver fits "${3:-top}" "$2" | tr -d '\r')
  if [ -n "$found" ]; then
    echo "$1: text larger than its control (id|text|needed|has):"
    [ "$language" = ja ] && found=$(iconv -f CP932 -t UTF-8 <<<"$found")
    sed 's/^/  /' <<<"$found"
    misfits=$((misfits + 1))
  fi
}
open() {  # main-window button, what it opens
  pellam_driver press SelectDialog "$1"
  sleep 0.5
  pellam_driver wait top 20 && [ "$(pellam_driver enabled SelectDialog 0 | tr -d '\r')" = 0 ] ||
    fail "button $1 opened no $2"
  sleep 0.5
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
close() {  # what it is, the button that closes it (Cancel unless given); waits for the main window
  pellam_driver press top "${2:-2}"
  for _ in $(seq 50); do
    [ "$(pellam_driver enabled SelectDialog 0 | tr -d '\r')" = 1 ] && return
    sleep 0.2
  done
  fail "$1 did not close"
}

pellam_prefix com8 || fail "cannot prepare the Wine prefix"
if [ "$language" = ja ]; then pellam_japanese_font || fail "cannot give the prefix a Japanese font"; fi
pellam_start_reader "$work/reader" com8 || fail "cannot start the reader simulator"
"$READERSIM" ctl --link "$work/reader" remove >/dev/null || fail "cannot empty the reader"

pellam_server "$work/wineserver.log"
cd "$run" || exit 1
wine "$PELLAM_BIN/Pellam.exe" &
pellam=$!

pellam_driver wait GetAdminDialog 60 || fail "the administrator-card dialog did not appear"
[ "$language" = ja ] && expect_japanese GetAdminDialog 0 5000
check administrator-card 5000 GetAdminDialog
"$READERSIM" ctl --link "$work/reader" place boss >/dev/null || fail "cannot place the administrator card"
pellam_driver gone GetAdminDialog 20 || fail "the gate did not read the administrator card"
sleep 1
check main-window 5001 SelectDialog
if [ "$language" = ja ]; then
  # The main window's texts: control, text identifier.
  while read -r control id; do
    expect_japanese SelectDialog "$control" "$id"
  done <<'TEXTS'
0 5001
1100 1100
3000 3000
6007 6007
6008 6008
TEXTS
fi

open 6008 "About dialog"
check About 5503
close "About" 1

"$READERSIM" ctl --link "$work/reader" place blank1 >/dev/null || fail "cannot place a blank card"
open 6002 "Issue dialog"
check Issue 5002
for field in "2014 bob" "2015 pw" "2016 pw" "2017 1234" "2018 1234"; do
  pellam_driver type top $field || fail "cannot type into $field"
done
pellam_driver press top 6000
for _ in $(seq 50); do pellam_driver enabled top 2045 >/dev/null && break; sleep 0.2; done
pellam_driver enabled top 2045 >/dev/null || fail "the issue information did not appear"
check issue-information 5003
# The widest issue count and date, which the later dialogs show.
for field in "2045 32767" "2047 2026" "2048 12" "2049 31"; do
  pellam_driver type top $field || fail "cannot type into $field"
done
pellam_driver press top 1
pellam_driver answer ok 30 >/dev/null || fail "the issue ended with no message"
sleep 1

while read -r button dialog name; do
  open "$button" "$name dialog"
  check "$name" "$dialog"
  close "$name"
done <<'STEPS'
6003 5004 Update
6004 5005 PIN-change
6005 5006 PIN-unlock
6006 5007 Initialise
STEPS

pellam_driver press SelectDialog 6007 || fail "cannot press End"
wait "$pellam" || fail "the program ended with status $?"
[ "$misfits" -eq 0 ] || fail "$misfits windows have texts larger than their controls"
echo "passed: every text fits its control"
pellam_finish 0
