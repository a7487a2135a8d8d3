#!/usr/bin/env bash
# scripts/make-site-keys refuses every wrong list with the line at fault and
# writes nothing then; a right list gives a file readable by its owner only.
#
#   make_site_keys_test.sh WORK_DIR
set -uo pipefail
script="$(cd "$(dirname "$0")/../.." && pwd)/scripts/make-site-keys"
work=$1
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failed=0

keys() {  # N distinct keys, none of them a development key
  local i
  for ((i = 1; i <= $1; i++)); do printf '5A5A5A5A5A5A5A%02X\n' "$i"; done
}
good=$(keys 17)

# name | the list | what the message must say
cases=(
  "too few|$(keys 16)|16 keys, 17 needed (S1 S2 S3, P1 P2 P3, card slots 0..10)"
  "too many|$(keys 18)|18 keys, 17 needed"
  "short key|$(sed '3s/.$//' <<<"$good")|list:3: S3 is '5A5A5A5A5A5A5A0', not 16 hex digits"
  "not hex|$(sed '9s/^5/G/' <<<"$good")|list:9: card slot 2 is 'GA5A5A5A5A5A5A09', not 16 hex digits"
  "development key|$(printf '# S1\n\n0123456789abcdef\n'; sed 1d <<<"$good")|list:3: S1 is one of the development keys"
  "card development key|$(sed '17s/.*/CACACACACACACACA/' <<<"$good")|list:17: card slot 10 is one of the development keys"
  "same key twice|$(sed '5s/.*/5A5A5A5A5A5A5A02  # again/' <<<"$good")|list:5: P2 is the same key as line 2"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r name list want <<<"$entry"
  printf '%s\n' "$list" >list
  message=$("$script" list out.cpp 2>&1)
  status=$?
  if [ "$status" -ne 1 ] || [[ "$message" != *"$want"* ]] || [ -e out.cpp ] || [ -e out.cpp.part ]; then
    echo "FAILED $name: status $status, out.cpp $([ -e out.cpp ] && echo written || echo absent): $message"
    failed=1
  fi
done

"$script" 2>/dev/null
[ $? -eq 2 ] || { echo "FAILED: no arguments is not a usage error"; failed=1; }
"$script" missing out.cpp 2>/dev/null
[ $? -eq 1 ] && [ ! -e out.cpp ] || { echo "FAILED: a missing list"; failed=1; }

printf '%s\n' "$good" >list
if ! "$script" list out.cpp || [ "$(stat -c %a out.cpp)" != 600 ] || ! grep -q 'CompiledKeys' out.cpp; then
  echo "FAILED: the right list gives no key file readable by its owner only"
  failed=1
fi
[ "$failed" -eq 0 ] && echo "passed: ${#cases[@]} refused lists, the right list written"
exit "$failed"
