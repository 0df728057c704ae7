#!/bin/sh
# The Debian package as a user gets it: built by CPack, unpacked into a temporary root, its
# run-time dependencies declared, its desktop entry valid, its icons at their sizes; then the
# installed program started under the X server on the installed readme, F1 finding the
# installed help, and closed from its File menu.
# $1: the build's CPackConfig.cmake.
[ -n "$DISPLAY" ] || { echo "no X display: skipped (make test runs the suite under an X server)"; exit 77; }
config=$1
dir=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
pass=0 fail=0
ok() { pass=$((pass + 1)); }
bad() { fail=$((fail + 1)); echo "FAIL: $*"; }
check() {  # description, command...
  what=$1; shift
  if "$@" >"$dir/out" 2>&1; then ok; else bad "$what"; cat "$dir/out"; fi
}

cpack --config "$config" -G DEB -B "$dir/pkg" >"$dir/cpack.log" 2>&1 || { cat "$dir/cpack.log"; echo "0 passed, 1 failed"; exit 1; }
deb=$(ls "$dir"/pkg/tavuko_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6dbus6 libxcb1 qt6-qpa-plugins fonts-ipafont-gothic xdg-utils; do
  case ", $depends," in *", $dep"[\ ,]*) ok ;; *) bad "Depends lacks $dep: $depends" ;; esac
done

root=$dir/root
dpkg -x "$deb" "$root"
for f in usr/bin/tavuko usr/share/tavuko/TAVUKO.TXT usr/share/tavuko/TAVUKO.HTML usr/share/applications/tavuko.desktop; do
  [ -f "$root/$f" ] && ok || bad "not installed: $f"
done
outside=$(cd "$root" && find . -type f | grep -v -e '^\./usr/bin/tavuko$' -e '^\./usr/share/')
[ -z "$outside" ] && ok || bad "files outside /usr/share besides the program: $outside"
for size in 16 22 24 32 48 64 128 256; do
  icon=$root/usr/share/icons/hicolor/${size}x$size/apps/tavuko.png
  file "$icon" 2>/dev/null | grep -q "PNG image data, $size x $size," && ok || bad "no $size px icon: $(file "$icon")"
done

entry=$root/usr/share/applications/tavuko.desktop
check "desktop-file-validate" desktop-file-validate "$entry"
for line in 'Exec=tavuko %f' 'MimeType=text/plain;' 'Icon=tavuko' 'Name=Tavuko' 'GenericName[ja]=テキストビューア' 'GenericName=Text Viewer'; do
  grep -qxF "$line" "$entry" && ok || bad "desktop entry lacks $line"
done

# The installed program, with a settings folder of its own, on the installed readme.
export XDG_CONFIG_HOME="$dir/config"
"$root/usr/bin/tavuko" "$root/usr/share/tavuko/TAVUKO.TXT" &
pid=$!
window() {  # name pattern -> the first visible window's id, waiting up to 15 s
  i=0
  while [ $i -lt 150 ]; do
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1; i=$((i + 1))
  done
  return 1
}
main=$(window '/usr/share/tavuko/TAVUKO\.TXT - Tavuko$') && ok || bad "the installed program shows no window on its readme"
if [ -n "$main" ]; then
  xdotool windowfocus --sync "$main" key --clearmodifiers F1
  help=$(window '^Tavuko ヘルプ$') && ok || bad "F1 opened no help window"
  [ -n "$help" ] && xdotool windowfocus --sync "$help" key --clearmodifiers Escape
  # Alt+F opens the File menu, X its exit item.
  xdotool windowfocus --sync "$main" key --clearmodifiers alt+f sleep 0.3 key --clearmodifiers x
  i=0
  while kill -0 "$pid" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
  if kill -0 "$pid" 2>/dev/null; then bad "the window did not close from its File menu"; else wait "$pid" && ok || bad "exit status $?"; pid=; fi
fi

echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
