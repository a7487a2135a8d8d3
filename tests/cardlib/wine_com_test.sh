#!/usr/bin/env bash
# One test of a Wine test program against the reader simulator, in the test's
# own Wine prefix prepared as the reader's driver leaves it (the port found
# through the driver's registry entries) with COM_PORT led to the simulator;
# then what the simulator saw is checked: no protocol violation, and what the
# test's scenario asks.
#
#   wine_com_test.sh PELLAM_BIN READERSIM WORK_DIR COM_PORT PROGRAM TEST
set -uo pipefail
export PELLAM_BIN=$1 READERSIM=$2
work=$3 port=$4 program=$5 test=$6
here=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/pellam-wine-env
. "$here/scripts/pellam-wine-env"

export WINEPREFIX="$work/wineprefix"
reader="$work/reader"
mkdir -p "$work"
ctl() { "$READERSIM" ctl --link "$reader" "$@" >/dev/null; }
fail() {
  echo "FAILED: $*"
  pellam_finish 1
}

pellam_reader_prefix "$port" || fail "cannot prepare the Wine prefix"
pellam_start_reader "$reader" "$port" || fail "cannot start the reader simulator"

# The scenario: what the simulator holds before the test, and a check of its
# statistics (`commands`, the command counts) and of the card "card" after it.
case $test in
  EveryExportOnTheSimulator)
    # The first answer comes in pieces and asks for a resend; then a session,
    # one key registration, card work of every kind, and the account the test
    # wrote last.
    ctl create card blank && ctl place card && ctl fault split 4 20 && ctl fault status80 1 ||
      fail "cannot prepare the simulator"
    check='c["link:01"] == 2 and c["reader:89"] == 1 and c["card:60"] >= 1 and c["card:04"] >= 1
      and c["card:56"] > 30 and c["card:52"] > 40 and c["card:16"] > 40
      and card["user_id"] == "alice" and card["password"] == "secret"' ;;
  FreeingTheLibraryClosesTheDevice)
    # Both speed changes and both 0x11 commands: opened, then closed on unloading.
    check='c["link:07"] == 2 and c["reader:11"] == 2' ;;
  *) fail "no scenario named $test" ;;
esac

wine "$program" "--gtest_filter=WineComPort.$test"
status=$?
wineserver -w
[ "$status" -eq 0 ] || fail "the test program ended with status $status"
stats=$("$READERSIM" ctl --link "$reader" stats)
card=$("$READERSIM" ctl --link "$reader" dump card 2>/dev/null || echo '{}')
python3 - "$stats" "$card" "$check" <<'PY' || fail "the simulator saw: $stats"
import collections, json, sys
stats, card = json.loads(sys.argv[1]), json.loads(sys.argv[2]).get("fields", {})
c = collections.defaultdict(int, stats["commands"])
sys.exit(0 if not stats["violations"] and eval("(" + sys.argv[3] + ")") else 1)
PY
echo "$test passed"
pellam_finish 0
