#!/usr/bin/env bash
# pellam-card.exe under Wine issues a batch of three cards through COM6,
# which the test's own Wine prefix maps to the reader simulator; each blank
# card is laid on the reader when the program's prompt for it appears. Then
# the cards, the list, the log and the report are checked, and `show` finds
# the reader as the program does (no --port) and reads the first card back.
#
#   pellam_card_wine_test.sh PELLAM_BIN READERSIM WORK_DIR
set -uo pipefail
export PELLAM_BIN=$1 READERSIM=$2
work=$3
here=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/pellam-wine-env
. "$here/scripts/pellam-wine-env"

export WINEPREFIX="$work/wineprefix"
reader="$work/reader"
run="$work/run"
mkdir -p "$work"
rm -rf "$run"
pellam_workdir "$run"

fail() {
  echo "FAILED: $*"
  for file in out.txt err.txt report.csv UserIDList.csv UserCardProcessLog.csv; do
    echo "--- $file"
    cat "$run/$file" 2>/dev/null
  done
  pellam_finish 1
}
ctl() { "$READERSIM" ctl --link "$reader" "$@" >/dev/null; }

pellam_prefix com6 || fail "cannot prepare the Wine prefix"
pellam_start_reader "$reader" com6 || fail "cannot start the reader simulator"
pellam_server "$work/wineserver.log"
cd "$run" || exit 1

printf '%s\r\n' 'card_use,user_id,password,pin,lockout,user_name,comment,user_code' \
  'id,carol,pw-carol,1234,5,"Carol, Room 4",,11' 'id,dave,pw-dave,,,Dave,,12' 'code,,,,,Visitor,desk,5001' >batch.csv

# Standard input is at its end from the start, as in a scheduled job: the
# batch runs to its end, since it needs no answer.
timeout 180 wine "$PELLAM_BIN/pellam-card.exe" issue --batch batch.csv --report report.csv --port COM6 </dev/null \
  2>&1 >out.txt | while IFS= read -r line; do
  printf '%s\n' "$line" >>err.txt
  case $line in
    *"blank card for "*"(1/3)"*) ctl place blank1 ;;
    *"blank card for "*"(2/3)"*) ctl place blank2 ;;
    *"blank card for "*"(3/3)"*) ctl place blank3 ;;
  esac
done
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || fail "the batch ended with status $status"
grep -q '^issued 3, already issued 0, refused 0, failed 0, not done 0' out.txt || fail "no summary line"
[ "$(grep -c '^[123],[^,]*,issued,' report.csv)" -eq 3 ] || fail "the report lacks an issued row"

expect_dump() {  # card, the text its decoded fields must hold (one "field": value)
  "$READERSIM" ctl --link "$reader" dump "$1" | grep -qF "$2" || fail "card $1 lacks $2"
}
expect_dump blank1 '"user_id": "carol"'
expect_dump blank1 '"pin": "1234"'
expect_dump blank1 '"user_name": "Carol, Room 4"'
expect_dump blank1 '"admin_id_on_user": "ADMIN01"'
expect_dump blank2 '"user_id": "dave"'
expect_dump blank3 '"user_code": "00001389"'
grep -q '^carol,' UserIDList.csv && grep -q '^dave,' UserIDList.csv || fail "no list lines for carol and dave"
for operation in "carol,ADMIN01,issue new card" "dave,ADMIN01,issue new card" "5001,ADMIN01,issue new card (L)"; do
  grep -qF ",$operation" UserCardProcessLog.csv || fail "no log line '$operation'"
done

ctl place blank1
shown=$(timeout 60 wine "$PELLAM_BIN/pellam-card.exe" show --json </dev/null 2>>err.txt)
status=$?
[ "$status" -eq 0 ] || fail "show ended with status $status"
grep -qF '"user_id":"carol"' <<<"$shown" || fail "show printed $shown"
echo "passed"
pellam_finish 0
