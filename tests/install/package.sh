#!/usr/bin/env bash
# The Debian package, made from this build by scripts/package: its name and control fields,
# no maintainer scripts, the files it holds (the PAM service its one conffile); unpacked into a
# throwaway root, the programs run, the menu entry opens ".brv2" files, the software-centre
# description validates, and each manual page names every subcommand and option the program's
# --help names.
source "$(dirname "$0")/common.sh"

version="$(sed -n 's/^project(Kestrun VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")"
deb="$(KESTRUN_BUILD_DIR="$build" KESTRUN_PACKAGE_DIR="$tmp" "$source_dir/scripts/package")"
[ "$deb" = "$tmp/kestrun_${version}_amd64.deb" ] || fail "the package is $deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kestrun ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
# A synopsis and a long description.
[ "$(field Description | wc -l)" -gt 3 ] || fail "Description: $(field Description)"
# The libraries the programs link, found by dpkg-shlibdeps.
depends="$(field Depends)"
for lib in libc6 libqt6core6 libqt6widgets6 libqt6serialport6 libqt6printsupport6 libqt6svg6 \
           libxlsxwriter; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
dpkg-deb -e "$deb" "$tmp/control"
extra="$(ls "$tmp/control" | grep -vx -e control -e md5sums -e conffiles || true)"
[ -z "$extra" ] || fail "maintainer files in the package: $extra"
# The one file in /etc, the PAM service, is the site's to change: dpkg keeps its changes.
[ "$(cat "$tmp/control/conffiles")" = /etc/pam.d/kestrun ] ||
  fail "conffiles: $(cat "$tmp/control/conffiles")"

files=(usr/bin/kestrun usr/bin/kestrun-cli "usr/share/doc/Kestrun/KT Manual.pdf"
       usr/share/applications/kestrun.desktop usr/share/icons/hicolor/scalable/apps/kestrun.svg
       usr/share/mime/packages/kestrun.xml usr/share/metainfo/example.brivak.kestrun.metainfo.xml
       usr/share/man/man1/kestrun.1.gz usr/share/man/man1/kestrun-cli.1.gz etc/pam.d/kestrun)
dpkg-deb -c "$deb" >"$tmp/contents"
for f in "${files[@]}"; do
  grep -qF " ./$f" "$tmp/contents" || fail "the package lacks /$f"
done
outside="$(sed 's/^.* \.\//.\//' "$tmp/contents" | grep -v -e '^\./$' -e '^\./usr/' \
  -e '^\./etc/$' -e '^\./etc/pam\.d/$' -e '^\./etc/pam\.d/kestrun$' || true)"
[ -z "$outside" ] || fail "files outside /usr and the PAM service: $outside"

# The tree as dpkg lays it out.
root="$tmp/root"
dpkg-deb -x "$deb" "$root"
for f in "${files[@]}"; do
  [ -s "$root/$f" ] || fail "/$f is empty once unpacked"
done
cmp -s "$root/etc/pam.d/kestrun" "$source_dir/auth/pam.d/kestrun" ||
  fail "/etc/pam.d/kestrun is not the service file of the source"
[ "$("$root/usr/bin/kestrun" --version)" = "Kestrun $version" ] || fail "kestrun --version"
[ "$("$root/usr/bin/kestrun-cli" --version)" = "kestrun-cli $version" ] || fail "kestrun-cli --version"

desktop="$root/usr/share/applications/kestrun.desktop"
desktop-file-validate "$desktop" || fail "the menu entry does not validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/example.brivak.kestrun.metainfo.xml" >&2 ||
  fail "the metainfo does not validate"
# What the desktop's triggers do after an install, then the file manager's question: which
# type is "x.brv2", and which program opens it.
update-mime-database "$root/usr/share/mime" >/dev/null 2>&1
update-desktop-database "$root/usr/share/applications"
mkdir -p "$tmp/home"
printf '1,126,1\r\n#1899-12-30#\r\n' >"$tmp/x.brv2"
export XDG_DATA_HOME="$tmp/home" XDG_DATA_DIRS="$root/usr/share" XDG_CONFIG_HOME="$tmp/home"
export XDG_CONFIG_DIRS="$tmp/home" GIO_USE_VFS=local
type="$(gio info -a standard::content-type "$tmp/x.brv2" | sed -n 's/^ *standard::content-type: //p')"
[ "$type" = application/x-kestrun-brv2 ] || fail "x.brv2 is of type '$type'"
# A menu entry counts only when its program is on the PATH.
opener="$(PATH="$root/usr/bin:$PATH" gio mime "$type" | sed -n 's/^Default application.*: //p')"
[ "$opener" = kestrun.desktop ] || fail "$type opens with '$opener'"
unset XDG_DATA_HOME XDG_DATA_DIRS XDG_CONFIG_HOME XDG_CONFIG_DIRS GIO_USE_VFS

# A manual page as man shows it, plain text.
page() { MANWIDTH=160 MAN_DISABLE_SECCOMP=1 man -l "$root/usr/share/man/man1/$1.1.gz" | sed 's/.\x08//g'; }
# The option names of a --help text: "-p", "--port", ...
options_of() { grep -E '^ +-' | grep -oE '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,'; }
# The lines of a page's subsection `name`, up to the next heading.
subsection() { awk -v name="$1" '$0 == "   " name {on = 1; next} on && /^ ? ? ?[^ ]/ {on = 0} on'; }
# Whether standard input names option $1 (so "-p" is not found inside "--port").
names() { grep -qE -- "(^|[^a-z-])$1([^a-z-]|\$)"; }

page kestrun >"$tmp/kestrun.txt"
for o in $("$root/usr/bin/kestrun" --help | options_of); do
  names "$o" <"$tmp/kestrun.txt" || fail "kestrun(1) lacks $o"
done
cli="$root/usr/bin/kestrun-cli"
page kestrun-cli >"$tmp/cli.txt"
# A subcommand's name may be two words ("archive list"); two blanks end it.
subcommands="$("$cli" --help | awk '/^Subcommands:/ {on = 1; next} on && /^  [a-z]/' |
  sed -E 's/^  ([a-z]+( [a-z]+)?)  .*/\1/')"
[ -n "$subcommands" ] || fail "kestrun-cli --help names no subcommand"
while IFS= read -r s; do
  subsection "$s" <"$tmp/cli.txt" >"$tmp/section.txt"
  [ -s "$tmp/section.txt" ] || fail "kestrun-cli(1) has no section for $s"
  # shellcheck disable=SC2086 # "archive list" is two words on the command line
  for o in $("$cli" $s --help | options_of); do
    names "$o" <"$tmp/section.txt" || fail "kestrun-cli(1) does not name $o under $s"
  done
done <<<"$subcommands"
for o in $("$cli" --help | options_of) --version; do
  names "$o" <"$tmp/cli.txt" || fail "kestrun-cli(1) lacks $o"
done
echo "PASS"
