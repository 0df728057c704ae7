#!/bin/sh
# tavuko-render --lines on LF-only, CR LF, mixed and CR-only files, and a name after "--" that
# starts with a dash: each display line as "OrgIndex OrgPos Len", at a width no line reaches.
render=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail=0 pass=0
check() {  # name, bytes (printf format), expected "OrgIndex,OrgPos,Len" list
  printf "$2" >"$dir/$1"
  got=$(cd "$dir" && "$render" --lines --client-width 2000 -- "$1" | awk '{printf "%s%s,%s,%s", (NR > 1 ? " " : ""), $2, $3, $4}')
  if [ "$got" = "$3" ]; then pass=$((pass + 1)); else fail=$((fail + 1)); echo "FAIL $1: got '$got', want '$3'"; fi
}
check lf.txt 'ab\nc\n\nd\n' '0,1,2 1,1,1 2,0,0 3,1,1'
check crlf.txt 'ab\r\nc\r\n\r\nd' '0,1,2 1,1,1 2,0,0 3,1,1'
check mixed.txt 'a\nb\r\nc\nd\r\n' '0,1,3 1,1,3'
check cr.txt 'ab\rc\r\rd' '0,1,2 1,1,1 2,0,0 3,1,1'
check -dash.txt 'x\n' '0,1,1'
check eof.txt 'a\nb\032\r\nc' '0,1,1 1,1,1'
echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
