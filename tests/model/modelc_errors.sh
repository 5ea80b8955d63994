#!/usr/bin/env bash
# The model data compiler refuses faulty sources and names the line of the fault.
# Usage: modelc_errors.sh MODELC
set -u
modelc=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

header='main { version "V:1.0.0" ; format 1024 ; raw 35 "R.DLL" }
strings "R.DLL" { 1 "one" }'

# Each case: the expected line, a part of the expected message, the source after the header.
check() {
  local line=$1 message=$2 body=$3
  printf '%s\n%s\n' "$header" "$body" > "$work/case.mds"
  if out=$("$modelc" "$work/case.mds" "$work" CASE.DDD 2>&1); then
    echo "FAIL: accepted: $body"; failures=$((failures + 1)); return
  fi
  if [[ "$out" != *"case.mds:$line: error:"*"$message"* ]]; then
    echo "FAIL: '$body' gave: $out (wanted line $line, '$message')"; failures=$((failures + 1))
  fi
}

check 3 "needs data format 1280" 'paper 9 "A4" { flags 1 }'
check 3 "needs data format 8192" 'named-string "a" "b"'
check 4 "needs data format 1280" 'job-attribute 12 {
  flags 1 }'
check 3 "string 2 is not in module" 'feature 7 @1:2 { option "x" s16 1 }'
check 3 "module 2 is not in raw section 35" 'feature 7 @2:1 { option "x" s16 1 }'
check 3 "no conflict rule named" 'feature 7 "x" { conflicts NOPE ; option "x" s16 1 }'
check 4 "declared twice" 'feature 7 "x" { option "x" s16 1 }
feature 7 "y" { option "y" s16 1 }'
check 3 "out of range" 'feature 7 "x" { option "x" s16 40000 }'
check 3 "unknown value type" 'feature 7 "x" { option "x" int 4 }'
check 3 "no feature record" 'feature 32769 "x" { }'
check 3 "unknown statement" 'widget 1'
check 3 "a rule needs a trigger" 'rule R conflict { flags 1 }'
check 5 "unknown operator" 'array A u16 { 1 }
rule R conflict {
  when 7 ~ ref A }'
check 3 "arrays hold numbers" 'array A str { 1 }'
# The listing's placeholders are control bytes 1-4: none may come from the source.
for byte in 001 002 003 004 007; do
  check 3 "control byte" "feature 7 \"a$(printf "\\$byte")b\" { option \"x\" s16 1 }"
done
# Lengths go into 16-bit fields: one above 65535 is refused, 65535 is taken.
long_hex=$(head -c 65536 /dev/zero | od -An -v -tx1 | tr -d ' \n')
check 4 "length 65536 above 65535" "
block B \"$long_hex\""
check 3 "length 65536 above 65535" "feature 7 \"x\" { option \"x\" raw struct \"$long_hex\" }"
printf '%s\nblock B "%s"\n' "$header" "${long_hex:2}" > "$work/long.mds"
"$modelc" "$work/long.mds" "$work" LONG.DDD >/dev/null || { echo "FAIL: a block of 65535 bytes refused"; failures=$((failures + 1)); }

# A good source compiles.
printf '%s\nfeature 7 @1:1 { option* "x" s16 1 }\n' "$header" > "$work/good.mds"
"$modelc" "$work/good.mds" "$work" GOOD.DDD || { echo "FAIL: good source refused"; failures=$((failures + 1)); }
[ -s "$work/GOOD.DDD" ] && [ -s "$work/R.rc" ] && [ -s "$work/GOOD.lst" ] || { echo "FAIL: outputs missing"; failures=$((failures + 1)); }

[ $failures = 0 ] && echo "all compiler error cases passed"
exit $failures
