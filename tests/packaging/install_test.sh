#!/usr/bin/env bash
# The installer package under Wine's msiexec, in a fresh prefix of its own.
# Run inside an X server (xvfb-run):
#
#   install_test.sh PELLAM_BIN READERSIM PACKAGE NEXT_PACKAGE VERSION NEXT_VERSION WORK_DIR
#
# The package holds the data folder's permissions and says in its name that
# it carries the development keys. A silent install leaves the program, the
# language files, the settings, the card-use value, the Start-menu shortcut
# and the uninstall entry; the
# installed program starts from its data folder against the simulator and
# passes the administrator-card gate; pellam-card, found through the system
# PATH in a console started in another folder, tells its version, senses
# the card on the reader and checks a batch file of that folder against the
# data folder's list; NEXT_PACKAGE, the same package with a
# higher version, installs over it and keeps the list, the log, the backups,
# a changed card use and changed settings; a silent removal takes the
# program, its PATH entry and the emptied maker's folder away and leaves those.
set -uo pipefail
export PELLAM_BIN=$1 READERSIM=$2
package=$3 next_package=$4 version=$5 next_version=$6 work=$7
here=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/pellam-wine-env
. "$here/scripts/pellam-wine-env"
# No menu entries on the host for the shortcuts the package makes.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEPREFIX="$work/wineprefix"
started=$(date +%s)

fail() {
  echo "FAILED: $*"
  pellam_driver boxes 2>/dev/null
  pellam_finish 1
}

maker_dir="$WINEPREFIX/drive_c/Program Files/VORAN"
program_dir="$maker_dir/Pellam"
data_dir="$WINEPREFIX/drive_c/ProgramData/VORAN/Pellam"
program_key='HKLM\SOFTWARE\VORAN\VORAN Tollmark'
folders_key='HKLM\SOFTWARE\VORAN\Pellam'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
environment_key='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
program_files=(Pellam.exe pellam-card.exe Corvex.dll Tallix.dll Jornet.dll Lingrel.dll)
language_files=(VelLang.csv VelLang_Admin.csv english_string.csv english_string_admin.csv japanese_string.csv
  japanese_string_admin.csv)
kept_files=(UserIDList.csv UserCardProcessLog.csv backup/BBackupUser.csv backup/EBackupUser.csv)

registry_value() {  # key, name: the value's type and data as "REG_DWORD 0x1"
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { print $2, $3 }'
}
installed_versions() {  # the DisplayVersion of each installed package named Pellam
  wine reg query "$uninstall_key" /s 2>/dev/null | tr -d '\r' |
    awk '/^HKEY/ { name = ""; version = "" } $1 == "DisplayName" { name = $3 } $1 == "DisplayVersion" { version = $3 }
         name == "Pellam" && version != "" { print version; name = "" }'
}
path_entries() {  # how many entries of the system PATH name the program folder
  wine reg query "$environment_key" /v PATH 2>/dev/null | tr -d '\r' | awk '$1 == "PATH" { $1 = $2 = ""; print }' |
    tr ';' '\n' | sed 's/^ *//; s/\\$//' | grep -ixc 'C:\\Program Files\\VORAN\\Pellam'
}
shortcut() {  # the Start-menu shortcut: the machine's menu, or the user's, where Wine puts it
  local menu
  for menu in "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" \
    "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"; do
    [ -f "$menu/Pellam.lnk" ] && echo "$menu/Pellam.lnk" && return 0
  done
  return 1
}
msiexec_quiet() {  # log name, msiexec's arguments: silent, logged to the work folder
  local log="$work/msiexec-$1.log"
  shift
  wine msiexec "$@" /qn /l*v "$(winepath -w "$log")" >/dev/null 2>&1
}

rm -rf "$work"
mkdir -p "$work"

# What the package holds that Wine's msiexec does not show: the data folder's
# permissions (SYSTEM and Administrators full control, Users read and
# execute, inherited, nothing from ProgramData), on its CreateFolder row.
table_rows() {  # package, table: its rows without the three header lines
  msiinfo export "$1" "$2" | tr -d '\r' | tail -n +4
}
[ "$(table_rows "$package" MsiLockPermissionsEx)" = \
  "$(printf 'DataFolderPermissions\tDATADIR\tCreateFolder\tD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)\t')" ] ||
  fail "the data folder's permissions are '$(table_rows "$package" MsiLockPermissionsEx)'"
table_rows "$package" CreateFolder | grep -qx "$(printf 'DATADIR\tDataFolder')" || fail "no CreateFolder row for the data folder"
# A test build carries the development keys, and its package's name says so.
[[ "$package" == *"-$version-development-keys.msi" ]] || fail "the package $package does not say it has the development keys"

pellam_reader_prefix com8 || fail "cannot create the Wine prefix"
prefix_ready=$(date +%s)

# A silent install.
msiexec_quiet install /i "$(winepath -w "$package")" || fail "the silent install failed"
for file in "${program_files[@]}"; do
  cmp -s "$PELLAM_BIN/$file" "$program_dir/$file" || fail "$file is not installed in the program folder"
done
for file in "${language_files[@]}"; do
  cmp -s "$PELLAM_BIN/$file" "$data_dir/$file" || fail "$file is not installed in the data folder"
done
grep -q '^Limit=1000' "$data_dir/Pellam.ini" || fail "no default Pellam.ini"
[ -f "$data_dir/UserIDList.csv" ] && [ ! -s "$data_dir/UserIDList.csv" ] || fail "no empty user-ID list"
[ -f "$data_dir/UserCardProcessLog.csv" ] && [ ! -s "$data_dir/UserCardProcessLog.csv" ] || fail "no empty log"
[ -d "$data_dir/backup" ] || fail "no backup folder"
[ "$(registry_value "$program_key" cardtype)" = "REG_DWORD 0x0" ] || fail "no card-use value 0"
[ "$(installed_versions)" = "$version" ] || fail "the uninstall entry shows '$(installed_versions)', not $version"
link=$(shortcut) || fail "no Start-menu shortcut"
[ "$(pellam_driver link "$(winepath -w "$link")" | tr -d '\r' | sed 's/\\$//')" = \
  'C:\Program Files\VORAN\Pellam\Pellam.exe|C:\ProgramData\VORAN\Pellam' ] ||
  fail "the shortcut leads to '$(pellam_driver link "$(winepath -w "$link")")'"

# The installed program, started in its data folder as the shortcut starts
# it, reads the administrator card and ends with its exit backup written.
pellam_start_reader "$work/reader" com8 || fail "cannot start the reader simulator"
wineserver -w
pellam_server "$work/wineserver.log"
(cd "$data_dir" && exec wine "C:\\Program Files\\VORAN\\Pellam\\Pellam.exe") &
pellam=$!
pellam_driver wait SelectDialog 60 || fail "the installed program's main window did not appear"
pellam_driver wait GetAdminDialog 30 || fail "the administrator-card dialog did not appear"
pellam_driver gone GetAdminDialog 20 || fail "the gate did not read the administrator card"
[ -z "$(pellam_driver boxes)" ] || fail "a message appeared after the gate"
pellam_driver press SelectDialog 6007 || fail "cannot press End"
wait "$pellam" || fail "the installed program ended with status $?"
[ -f "$data_dir/backup/EBackupUser.csv" ] || fail "no exit backup in the data folder"

# pellam-card in a console of another folder: found through the PATH, it
# works against the data folder that the package recorded, and a batch file
# and report named there are that folder's.
[ "$(registry_value "$folders_key" DataFolder)" = 'REG_SZ C:\ProgramData\VORAN\Pellam\' ] ||
  fail "the data folder is recorded as '$(registry_value "$folders_key" DataFolder)'"
[ "$(path_entries)" = 1 ] || fail "the system PATH names the program folder $(path_entries) times"
elsewhere="$work/elsewhere"
mkdir -p "$elsewhere"
tool() {  # pellam-card's arguments: its standard output without CRs; its exit status
  (cd "$elsewhere" && timeout 60 wine cmd /c pellam-card "$@" </dev/null 2>>"$work/tool-err.txt" >"$work/tool-out.txt")
  local status=$?
  tr -d '\r' <"$work/tool-out.txt"
  return $status
}
tool --version | grep -qx "pellam-card $version" || fail "pellam-card --version printed '$(tool --version)'"
tool sense --json | grep -q '"kind":"administrator"' || fail "pellam-card sense printed '$(tool sense --json)'"
printf '%s\r\n' 'card_use,user_id,password,pin,lockout,user_name,comment,user_code' 'id,erin,pw-erin,12ab,5,Erin,,' \
  'id,frank,pw-frank,,,Frank,,' >"$elsewhere/batch.csv"
tool issue --check --batch batch.csv --report report.csv >/dev/null
status=$?
# Status 2 (a row refused), not 1: start-up found the data folder's files.
[ "$status" -eq 2 ] && grep -q '^1,erin,refused,' "$elsewhere/report.csv" && [ ! -e "$data_dir/report.csv" ] ||
  fail "pellam-card issue --check ended with status $status and the report '$(cat "$elsewhere/report.csv")':" \
    "$(cat "$work/tool-err.txt")"

# What an upgrade must keep: a list, a log, backups, changed card use and settings.
printf 'alice,2024,5,17,1\r\n' >"$data_dir/UserIDList.csv"
printf '2024,5,17,9,30,alice,ADMIN01,issue new card\r\n' >"$data_dir/UserCardProcessLog.csv"
printf '[EntryID]\r\nLimit=2500\r\n' >"$data_dir/Pellam.ini"
wine reg add "$program_key" /v cardtype /t REG_DWORD /d 1 /f >/dev/null 2>&1 || fail "cannot change the card use"
mkdir -p "$work/kept"
for file in "${kept_files[@]}" Pellam.ini; do cp "$data_dir/$file" "$work/kept/${file#backup/}"; done
expect_kept() {  # what: the list, log, backups and settings are as they were
  local file
  for file in "${kept_files[@]}" Pellam.ini; do
    cmp -s "$work/kept/${file#backup/}" "$data_dir/$file" || fail "$file changed by the $1"
  done
  [ "$(registry_value "$program_key" cardtype)" = "REG_DWORD 0x1" ] || fail "the card use was reset by the $1"
}

msiexec_quiet upgrade /i "$(winepath -w "$next_package")" || fail "the upgrade failed"
[ "$(installed_versions)" = "$next_version" ] || fail "after the upgrade the installed versions are '$(installed_versions)'"
expect_kept upgrade
for file in "${program_files[@]}"; do [ -f "$program_dir/$file" ] || fail "$file is missing after the upgrade"; done
shortcut >/dev/null || fail "no shortcut after the upgrade"
[ "$(path_entries)" = 1 ] || fail "after the upgrade the system PATH names the program folder $(path_entries) times"

# A silent removal: the program, its language files, shortcut and registry
# entries go; the data the program made stays.
msiexec_quiet removal /x "$(winepath -w "$next_package")" || fail "the silent removal failed"
[ ! -e "$program_dir" ] || fail "the program folder is left: $(ls "$program_dir")"
[ ! -e "$maker_dir" ] || fail "the maker's folder is left: $(ls "$maker_dir")"
[ "$(path_entries)" = 0 ] || fail "the program folder is left on the system PATH"
for file in "${language_files[@]}"; do [ ! -e "$data_dir/$file" ] || fail "$file is left"; done
shortcut >/dev/null && fail "the shortcut is left"
[ -z "$(installed_versions)" ] || fail "the uninstall entry is left"
wine reg query "$folders_key" >/dev/null 2>&1 && fail "the package's registry key is left"
expect_kept removal

echo "passed: package $(stat -c %s "$package") bytes; prefix $((prefix_ready - started)) s," \
  "install, start, upgrade and removal $(($(date +%s) - prefix_ready)) s"
pellam_finish 0
