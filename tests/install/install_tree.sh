#!/usr/bin/env bash
# `cmake --install` yields a desktop program, and the medium's setup copies it into a user's
# folders with a menu entry that starts it: the files land where desktops look for them.
source "$(dirname "$0")/common.sh"

cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
for f in bin/kestrun "share/doc/Kestrun/KT Manual.pdf" share/applications/kestrun.desktop \
         share/icons/hicolor/scalable/apps/kestrun.svg; do
  [ -s "$tmp/prefix/$f" ] || fail "cmake --install did not install $f"
done
[ -x "$tmp/prefix/bin/kestrun" ] || fail "kestrun is not executable"
desktop-file-validate "$tmp/prefix/share/applications/kestrun.desktop" ||
  fail "the menu entry does not validate"
grep -qx 'Exec=kestrun %f' "$tmp/prefix/share/applications/kestrun.desktop" || fail "Exec line"
grep -qx 'Icon=kestrun' "$tmp/prefix/share/applications/kestrun.desktop" || fail "Icon line"

# The medium's setup, run as the launcher runs it, into a private prefix.
mkdir -p "$tmp/medium/QTRN"
cp -R "$tmp/prefix" "$tmp/medium/QTRN/kestrun"
cp "$source_dir/install/medium/setup.exe" "$tmp/medium/QTRN/setup.exe"
PREFIX="$tmp/user" "$tmp/medium/QTRN/setup.exe" >/dev/null
[ -x "$tmp/user/bin/kestrun" ] || fail "setup did not copy the program"
[ -s "$tmp/user/share/doc/Kestrun/KT Manual.pdf" ] || fail "setup did not copy the manual"
grep -qx "Exec=$tmp/user/bin/kestrun %f" "$tmp/user/share/applications/kestrun.desktop" ||
  fail "setup's menu entry does not name the installed program"
# Running setup again (a second install over the first) works too.
PREFIX="$tmp/user" "$tmp/medium/QTRN/setup.exe" >/dev/null || fail "setup is not repeatable"
echo "PASS"
