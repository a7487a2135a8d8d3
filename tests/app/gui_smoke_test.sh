#!/usr/bin/env bash
# GUI smoke test of Pellam.exe under Wine, against the reader simulator. Run
# inside an X server (xvfb-run):
#
#   gui_smoke_test.sh PELLAM_BIN READERSIM WORK_DIR
#
# The main window appears with its texts and the administrator-card gate over
# it, which waits silently while the reader is empty; a second start hands
# over to the first and ends; the administrator card laid on the reader is
# read; a screenshot is saved as WORK_DIR/main-window.png; a user-ID card is
# issued through the Issue dialogs (WORK_DIR/issue-dialog.png), with the main
# window disabled meanwhile; End closes the program with status 0 and the exit
# backup written.
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
cp "$run/UserIDList.csv" "$work/list-at-start.csv"

fail() {
  echo "FAILED: $*"
  pellam_driver boxes
  pellam_driver shot screen "$work/failure.png" >/dev/null 2>&1
  pellam_finish 1
}
expect_text() {  # mark, control, text
  local got
  got=$(pellam_driver text "$1" "$2" | tr -d '\r')
  [ "$got" = "$3" ] || fail "control $2 of $1 shows '$got', not '$3'"
}
expect_enabled() {  # mark, control, 1 or 0
  local got
  got=$(pellam_driver enabled "$1" "$2" | tr -d '\r')
  [ "$got" = "$3" ] || fail "control $2 of $1: enabled is '$got', not '$3'"
}
expect_answer() {  # ok|cancel, the box's title|text
  local got
  got=$(pellam_driver answer "$1" 20 | tr -d '\r')
  [ "$got" = "$2" ] || fail "message box '$got', not '$2'"
}

pellam_prefix com7 || fail "cannot prepare the Wine prefix"
pellam_start_reader "$work/reader" com7 || fail "cannot start the reader simulator"
"$READERSIM" ctl --link "$work/reader" remove >/dev/null || fail "cannot empty the reader"

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

# Issue: the dialog's choices enable and disable its fields; a refused field
# keeps it open; OK hands over to the issue information, whose OK writes a
# blank card, the list and the log. The main window is disabled meanwhile.
issue="title=Issue Card"
info="title=Issue Information"
pellam_driver doubleclick SelectDialog 6002
pellam_driver wait "$issue" 1 && fail "a double-click notification opened the Issue dialog"
pellam_driver press SelectDialog 6002
pellam_driver wait "$issue" 10 || fail "the Issue dialog did not appear"
expect_text "$issue" 2050 "User-ID card"
expect_text "$issue" 2022 "3"
expect_enabled SelectDialog 0 0
pellam_driver select "$issue" 2050 1 && sleep 0.5
expect_enabled "$issue" 2014 0
pellam_driver select "$issue" 2050 0 && sleep 0.5
expect_enabled "$issue" 2014 1
pellam_driver click "$issue" 1011 && sleep 0.5
expect_enabled "$issue" 2017 0
pellam_driver click "$issue" 1010 && sleep 0.5
expect_enabled "$issue" 2017 1
pellam_driver shot "$issue" "$work/issue-dialog.png" >/dev/null
pellam_driver press "$issue" 6000
expect_answer ok "Error|Enter a user ID."
for field in "2014 bob" "2015 pw" "2016 pw" "2017 1234" "2018 1234" "2051 42"; do
  pellam_driver type "$issue" $field || fail "cannot type into $field"
done
pellam_driver press "$issue" 6000
pellam_driver wait "$info" 10 || fail "the issue information did not appear"
pellam_driver gone "$issue" 1 || fail "the Issue dialog stayed"
expect_text "$info" 2045 "1"
pellam_driver press "$info" 1
# The administrator card still lies on the reader: the blank card goes on
# while the question is open.
for _ in $(seq 50); do [ -n "$(pellam_driver boxes)" ] && break; done
"$READERSIM" ctl --link "$work/reader" place blank1 >/dev/null || fail "cannot place a blank card"
expect_answer ok "Question|This card is not blank.
Place a blank card and press OK."
expect_answer ok "Information|The card has been issued."
pellam_driver gone "$info" 5 || fail "the issue information stayed"
grep -q '^bob,' "$run/UserIDList.csv" || fail "no list line for the issued card"
[ -s "$run/UserCardProcessLog.csv" ] || fail "no log line for the issued card"
sleep 0.5
expect_enabled SelectDialog 0 1

expect_dump() {  # card, the text its decoded fields must hold (one "field": value)
  "$READERSIM" ctl --link "$work/reader" dump "$1" | grep -qF "$2" || fail "card $1 lacks $2"
}
expect_dump blank1 '"user_id": "bob"'
expect_dump blank1 '"pin": "1234"'
expect_dump blank1 '"admin_id_on_user": "ADMIN01"'
expect_dump blank1 '"user_code": "0000002A"'

# A user-code card: the card use is remembered in the registry.
"$READERSIM" ctl --link "$work/reader" place blank2 >/dev/null || fail "cannot place a blank card"
pellam_driver press SelectDialog 6002
pellam_driver wait "$issue" 10 || fail "the Issue dialog did not appear again"
pellam_driver select "$issue" 2050 1 && sleep 0.5
pellam_driver type "$issue" 2051 777
pellam_driver type "$issue" 2023 Locker
pellam_driver press "$issue" 6000
pellam_driver wait "$info" 10 || fail "the issue information did not appear for the user-code card"
pellam_driver press "$info" 1
expect_answer ok "Information|The card has been issued."
expect_dump blank2 '"user_code": "00000309"'
expect_dump blank2 '"user_name": "Locker"'
wine reg query 'HKLM\SOFTWARE\VORAN\VORAN Tollmark' /v cardtype 2>/dev/null | grep -q '0x1' ||
  fail "the card use was not remembered"

# Update of bob's card: a card laid on instead of it is refused until bob's
# card is back; the new password reaches the card.
update="title=Update Card"
"$READERSIM" ctl --link "$work/reader" place blank1 >/dev/null || fail "cannot place bob's card"
pellam_driver press SelectDialog 6003
pellam_driver wait "$update" 20 || fail "the Update dialog did not appear"
expect_text "$update" 2059 "bob"
pellam_driver shot "$update" "$work/update-dialog.png" >/dev/null
pellam_driver type "$update" 2015 newpw
pellam_driver type "$update" 2016 newpw
"$READERSIM" ctl --link "$work/reader" place alice >/dev/null || fail "cannot swap the card"
pellam_driver press "$update" 1
for _ in $(seq 50); do [ -n "$(pellam_driver boxes)" ] && break; done
"$READERSIM" ctl --link "$work/reader" place blank1 >/dev/null || fail "cannot put bob's card back"
expect_answer ok "Question|This is not the card that was read. Place that card on the reader."
expect_answer ok "Information|The card has been updated."
expect_dump blank1 '"password": "newpw"'
expect_dump alice '"password": "secret"'

# Initialise bob's card, deleting its user ID from the list.
initialise="title=Initialise Card"
pellam_driver press SelectDialog 6006
pellam_driver wait "$initialise" 20 || fail "the Initialise dialog did not appear"
pellam_driver shot "$initialise" "$work/initialise-dialog.png" >/dev/null
pellam_driver click "$initialise" 1026 && sleep 0.5
pellam_driver press "$initialise" 1
expect_answer ok "Question|The user ID will be deleted from the user-ID list.
Continue?"
expect_answer ok "Information|The card has been initialised."
expect_dump blank1 '"user_id": ""'
grep -q '^bob,' "$run/UserIDList.csv" && fail "bob's list line stayed"
for operation in "bob,ADMIN01,issue new card" "777,ADMIN01,issue new card (L)" "bob,ADMIN01,update user data" \
  "bob,ADMIN01,initialize card (with userID delete from IDfile)"; do
  grep -qF ",$operation" "$run/UserCardProcessLog.csv" || fail "no log line '$operation'"
done

pellam_driver press SelectDialog 6007 || fail "cannot press End"
wait "$pellam"
status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
cmp -s "$run/UserIDList.csv" "$run/backup/EBackupUser.csv" || fail "no exit backup"
cmp -s "$work/list-at-start.csv" "$run/backup/BBackupUser.csv" || fail "no start-up backup"
echo "passed; screenshot: $work/main-window.png"
pellam_finish 0
