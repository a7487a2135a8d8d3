#!/usr/bin/env bash
# GUI smoke test of Pellam.exe under Wine, against the reader simulator. Run
# inside an X server (xvfb-run):
#
#   gui_smoke_test.sh PELLAM_BIN READERSIM WORK_DIR
#
# The main window appears with its texts and the administrator-card gate over
# it, which waits silently while the reader is empty; a second start hands
# over to the first and ends; the administrator card laid on the reader is
# read; a screenshot is saved as WORK_DIR/main-window.png; End closes the
# program with status 0 and the exit backup written.
set -uo pipefail
export PELLAM_BIN=$1 READERSIM=$2
work=$3
here=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/pellam-wine-env
. "$here/scripts/pellam-wine-env"

export WINEPREFIX="$work/wineprefix"
mkdir -p "$work"
run="$work/run"
rm -rf "$run"
pellam_workdir "$run"

finish() {  # waits for Wine to end before the X server goes, then stops the simulator
  [ "$1" -eq 1 ] && wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  pellam_stop_reader
  exit "$1"
}
fail() {
  echo "FAILED: $*"
  pellam_driver boxes
  pellam_driver shot screen "$work/failure.png" >/dev/null 2>&1
  finish 1
}
expect_text() {  # mark, control, text
  local got
  got=$(pellam_driver text "$1" "$2" | tr -d '\r')
  [ "$got" = "$3" ] || fail "control $2 of $1 shows '$got', not '$3'"
}

pellam_prefix com7 || fail "cannot prepare the Wine prefix"
pellam_start_reader "$work/reader" || fail "cannot start the reader simulator"
"$READERSIM" ctl --link "$work/reader" remove >/dev/null || fail "cannot empty the reader"
ln -sfn "$work/reader" "$WINEPREFIX/dosdevices/com7"

pellam_server "$work/wineserver.log"
cd "$run" || exit 1
wine "$PELLAM_BIN/Pellam.exe" &
pellam=$!

pellam_driver wait SelectDialog 60 || fail "the main window did not appear"
expect_text SelectDialog 0 "Pellam Card Issuing"
expect_text SelectDialog 3000 "Choose an operation."
expect_text SelectDialog 6007 "End"
expect_text SelectDialog 6008 "Version"
expect_text SelectDialog 1100 "Pellam Card Issuing"
pellam_driver wait GetAdminDialog 30 || fail "the administrator-card dialog did not appear"
expect_text GetAdminDialog 0 "Administrator Card"
expect_text GetAdminDialog 2 "Cancel"
pellam_driver shot screen "$work/gate.png" >/dev/null

# A second copy hands over to the first and ends at once.
timeout 60 wine "$PELLAM_BIN/Pellam.exe"
second=$?
[ "$second" -eq 0 ] || fail "the second copy ended with status $second"
kill -0 "$pellam" 2>/dev/null || fail "the first copy ended"

# The gate: silent while the reader is empty, then the administrator card is read.
sleep 2
[ -z "$(pellam_driver boxes)" ] || fail "the gate spoke with no card on the reader"
pellam_driver wait GetAdminDialog 1 || fail "the gate ended with no card on the reader"
"$READERSIM" ctl --link "$work/reader" place boss >/dev/null || fail "cannot place the administrator card"
pellam_driver gone GetAdminDialog 20 || fail "the gate did not read the administrator card"
[ -z "$(pellam_driver boxes)" ] || fail "a message appeared after the gate"
sleep 1
pellam_driver shot SelectDialog "$work/main-window.png" || fail "no screenshot"
pellam_driver shot screen "$work/screen.png" >/dev/null

# Escape never closes the main window; minimising and restoring it does not
# ask for the administrator card again.
pellam_driver key SelectDialog escape
sleep 1
kill -0 "$pellam" 2>/dev/null || fail "Escape ended the program"
pellam_driver show SelectDialog minimize
sleep 1
pellam_driver show SelectDialog restore
pellam_driver wait GetAdminDialog 3 && fail "the gate came back after a restore"

pellam_driver press SelectDialog 6007 || fail "cannot press End"
wait "$pellam"
status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
cmp -s "$run/UserIDList.csv" "$run/backup/EBackupUser.csv" || fail "no exit backup"
cmp -s "$run/UserIDList.csv" "$run/backup/BBackupUser.csv" || fail "no start-up backup"
echo "passed; screenshot: $work/main-window.png"
finish 0
