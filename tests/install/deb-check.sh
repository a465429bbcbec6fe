#!/usr/bin/env bash
# Builds the Debian package of this build with cpack and checks it without
# installing it on this machine:
#
#   deb-check.sh CPACK BUILD_DIR WORK_DIR
#
# 1. the control data: the computed library dependencies, and Qt's Japanese
#    texts, the IPA fonts and groupadd that are loaded or run, not linked;
#    the input method stack for Japanese typing, recommended;
# 2. the files: the program folder with the menu entry naming it, the entry
#    for every user, the font aliases, the samples beside the folder, and no
#    clinic data among the package's own files (dpkg would replace it);
# 3. postinst's data-folder step, run on the package unpacked into a scratch
#    root: a group-writable, set-group-ID folder with the samples, and on the
#    next upgrade the clinic's edited files and photos stay as they are;
# 4. Debian's own checker, lintian, where it is installed: no error and no
#    warning that the package's overrides don't explain.
set -u
cpack=$1
build=$2
work=$3

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
for tool in dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool not installed (package dpkg-dev)"; exit 77; }
done

rm -rf "$work"
mkdir -p "$work" || exit 1
if ! (cd "$work" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack -G DEB" >&2
    exit 1
fi
deb=$(ls "$work"/dorimek_*.deb 2>/dev/null | head -n 1)
[ -f "$deb" ] || { cat "$work/cpack.log" >&2; echo "FAIL: no dorimek_*.deb made" >&2; exit 1; }

# ---------------------------------------------------------------- control
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libcups2 libjpeg62-turbo qt6-translations-l10n \
    fonts-ipafont-mincho fonts-ipafont-gothic passwd; do
    printf '%s\n' "$depends" | tr ',' '\n' | grep -q "^ *$dep\\b" || fail "Depends lacks $dep: $depends"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
for alt in "fcitx5-mozc | ibus-mozc" "fcitx5-frontend-qt6 | ibus" "im-config"; do
    printf '%s\n' "$recommends" | tr ',' '\n' | grep -qx " *$alt" || fail "Recommends lacks $alt: $recommends"
done
[ "$(dpkg-deb -f "$deb" Package)" = "dorimek" ] || fail "Package is not dorimek"
dpkg-deb -e "$deb" "$work/control"
[ -x "$work/control/postinst" ] || fail "no executable postinst"
sh -n "$work/control/postinst" || fail "postinst is not valid sh"

# ---------------------------------------------------------------- files
root="$work/root"
dpkg-deb -x "$deb" "$root"
folder="$root/opt/dorimek"
[ -x "$folder/dorimek" ] || fail "no program in /opt/dorimek"
[ -f "$folder/fonts/60-dorimek-fonts.conf" ] || fail "no font aliases in the program folder"
[ "$(readlink "$root/etc/fonts/conf.d/60-dorimek-fonts.conf")" = /opt/dorimek/fonts/60-dorimek-fonts.conf ] ||
    fail "/etc/fonts/conf.d/60-dorimek-fonts.conf does not point into the program folder"
for entry in "$folder/dorimek.desktop" "$root/usr/share/applications/dorimek.desktop"; do
    [ -f "$entry" ] || { fail "no menu entry $entry"; continue; }
    grep -qx 'Name=薬剤情報提供書' "$entry" || fail "$entry: Name"
    grep -qx 'Exec=/opt/dorimek/dorimek' "$entry" || fail "$entry: Exec is $(grep ^Exec= "$entry")"
    grep -qx 'Path=/opt/dorimek' "$entry" || fail "$entry: Path"
    if command -v desktop-file-validate >/dev/null 2>&1; then
        out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate $entry: $out"
    fi
done
for f in yakujo.txt sorbenk.ini qev/rp.csv; do
    [ -f "$root/usr/share/dorimek/samples/$f" ] || fail "sample $f not shipped"
done
for f in opt/dorimek/dorimek.desktop usr/share/applications/dorimek.desktop usr/share/doc/dorimek/copyright \
    usr/share/doc/dorimek/changelog.gz usr/share/man/man1/dorimek.1.gz; do
    [ "$(stat -c %a "$root/$f" 2>/dev/null)" = 644 ] || fail "$f missing or not mode 644"
done
zcat "$root/usr/share/man/man1/dorimek.1.gz" | grep -q '^\.SH 終了コード' || fail "the manual page has no exit statuses"
if dpkg-deb -c "$deb" | grep -Eq '\./opt/dorimek/(yakujo\.txt|sorbenk\.ini|photos/|qev/)'; then
    fail "the package owns clinic data in the program folder: $(dpkg-deb -c "$deb" | grep -E 'opt/dorimek/(yakujo|sorbenk|photos|qev)')"
fi

# ---------------------------------------------------------------- postinst's data folder
setup="$root/usr/share/dorimek/setup-data-folder.sh"
samples="$root/usr/share/dorimek/samples"
group=$(id -gn)
"$setup" "$folder" "$samples" "$group" || fail "setup-data-folder.sh on a fresh folder"
for f in yakujo.txt sorbenk.ini qev/rp.csv; do
    cmp -s "$samples/$f" "$folder/$f" || fail "fresh install: $f is not the sample"
done
[ -n "$(ls "$folder/photos" 2>/dev/null)" ] || fail "fresh install: no sample photos"
for d in "$folder" "$folder/photos" "$folder/qev"; do
    [ "$(stat -c %a "$d")" = 2775 ] || fail "$d has mode $(stat -c %a "$d"), not 2775"
    [ "$(stat -c %G "$d")" = "$group" ] || fail "$d is not in group $group"
done
[ "$(stat -c %a "$folder/yakujo.txt")" = 664 ] || fail "yakujo.txt is not group-writable"

printf 'clinic-edited\r\n' >>"$folder/yakujo.txt"
printf 'prindex=1\r\n' >"$folder/sorbenk.ini"
cp "$folder/yakujo.txt" "$work/yakujo.expected"
cp "$folder/sorbenk.ini" "$work/sorbenk.expected"
first_photo=$(ls "$folder/photos" | head -n 1)
rm -f "$folder/photos/$first_photo"
"$setup" "$folder" "$samples" "$group" || fail "setup-data-folder.sh on an upgrade"
cmp -s "$work/yakujo.expected" "$folder/yakujo.txt" || fail "upgrade replaced the edited yakujo.txt"
cmp -s "$work/sorbenk.expected" "$folder/sorbenk.ini" || fail "upgrade replaced the edited sorbenk.ini"
[ ! -e "$folder/photos/$first_photo" ] || fail "upgrade brought back a deleted demo photo"

# ---------------------------------------------------------------- lintian
if command -v lintian >/dev/null 2>&1; then
    # Errors and warnings only: the informational tags are advice.
    lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
        fail "lintian: $(grep -E '^[EW]:' "$work/lintian.log" || cat "$work/lintian.log")"
else
    echo "lintian not installed (package lintian): Debian's checks not run"
fi

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "Debian package $(basename "$deb"): all checks passed"
