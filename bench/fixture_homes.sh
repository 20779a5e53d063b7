#!/usr/bin/env bash
# Builds a Linux and a macOS fixture home under /tmp with set ages, runs
# `varnoll-scan junk|applications --json` on each and compares the listed paths with
# the lists written out here by hand (what the rules say must qualify).
# usage: bench/fixture_homes.sh BUILD_DIR
set -euo pipefail
build=${1:?build dir}
scan=$build/src/cli/varnoll-scan
root=$(mktemp -d /tmp/varnoll-fixture-XXXXXX)
trap 'rm -rf "$root"' EXIT
now=$(date +%s)
# put PATH DAYS [BYTES]: a file of BYTES bytes last modified DAYS days ago.
put() {
  mkdir -p "$(dirname "$1")"
  head -c "${3:-100}" /dev/zero >"$1"
  touch -h -d "@$((now - $2 * 86400))" "$1"
}
age() { touch -h -d "@$((now - $2 * 86400))" "$1"; } # age PATH DAYS
fail=0
check() { # check NAME EXPECTED-FILE JSON
  local got
  got=$(jq -r '.entries[].path' <<<"$3" | sed "s|^$H/|~/|" | sort)
  if [[ "$got" == "$(sort "$2")" ]]; then
    echo "ok   $1 ($(wc -l <"$2") items)"
  else
    echo "FAIL $1"; diff <(sort "$2") <(echo "$got") || true; fail=1
  fi
}

# ---- Linux ----------------------------------------------------------------------
H=$root/linux
put "$H/.cache/oldtool/a" 20; put "$H/.cache/oldtool/b/c" 20; age "$H/.cache/oldtool/b" 20; age "$H/.cache/oldtool" 20
put "$H/.cache/mixed/old" 20; put "$H/.cache/mixed/fresh" 1
put "$H/.cache/google-chrome/Default/x" 20                     # browser
put "$H/.cache/discord/x" 20                                   # chat
put "$H/.cache/gnome-software/x" 20                            # desktop component
put "$H/.cache/org.example.Running/x" 20                       # running (--running)
put "$H/.cache/pip/wheels/ab" 20; age "$H/.cache/pip/wheels" 20 # developer cache, not user cache
put "$H/.var/app/org.example.Viewer/cache/thumbs" 10
put "$H/.var/app/org.telegram.desktop/cache/x" 10              # chat, by Flatpak ID
put "$H/src/proj/target/CACHEDIR.TAG" 30 0
printf 'Signature: 8a477f597d28d172789f06886806bc55\n' >"$H/src/proj/target/CACHEDIR.TAG"; age "$H/src/proj/target/CACHEDIR.TAG" 30
put "$H/src/proj/target/debug/app" 30; age "$H/src/proj/target/debug" 30; age "$H/src/proj/target" 30
put "$H/.local/state/wireplumber/log/old.txt" 40; put "$H/.local/state/wireplumber/log/new.txt" 2
put "$H/.config/Code/logs/20250101/main.log" 40; age "$H/.config/Code/logs/20250101" 40
put "$H/.local/share/xorg/Xorg.0.log.old" 40; put "$H/.local/share/xorg/Xorg.0.log" 1
put "$H/.xsession-errors.old" 40; put "$H/.xsession-errors" 40
put "$H/.cargo/registry/cache/index/x" 10; age "$H/.cargo/registry/cache/index" 10
put "$H/.gradle/caches/modules-2/x" 10; age "$H/.gradle/caches/modules-2" 10   # skipped: gradle runs
cat >"$root/linux-junk" <<'LIST'
~/.cache/oldtool
~/.cache/mixed/old
~/.cache/pip/wheels
~/.var/app/org.example.Viewer/cache/thumbs
~/src/proj/target
~/.local/state/wireplumber/log/old.txt
~/.config/Code/logs/20250101
~/.local/share/xorg/Xorg.0.log.old
~/.xsession-errors.old
~/.cargo/registry/cache/index
LIST
check "linux junk" "$root/linux-junk" \
  "$("$scan" junk --home "$H" --platform linux --running org.example.Running,gradle --store "$root/none" --json 2>/dev/null)"

put "$H/Applications/Foo-1.0.AppImage" 1 4000
mkdir -p "$H/.local/opt/bar"; printf '#!/bin/sh\n' >"$H/.local/opt/bar/bar"; chmod +x "$H/.local/opt/bar/bar"
mkdir -p "$H/.local/share/applications"
printf '[Desktop Entry]\nName=Bar\nExec=%s/.local/opt/bar/bar\nIcon=org.example.Bar\n' "$H" \
  >"$H/.local/share/applications/org.example.Bar.desktop"
printf '[Desktop Entry]\nName=Shell\nExec=/bin/sh\n' >"$H/.local/share/applications/system.desktop"
put "$H/.config/org.example.Bar/settings" 1; put "$H/.config/org.example.Bar2/settings" 1
put "$H/.local/share/icons/hicolor/64x64/apps/org.example.Bar.png" 1
put "$H/.cache/Foo-1.0/x" 1
cat >"$root/linux-apps" <<'LIST'
~/Applications/Foo-1.0.AppImage
~/.cache/Foo-1.0
~/.local/opt/bar
~/.local/share/applications/org.example.Bar.desktop
~/.config/org.example.Bar
~/.local/share/icons/hicolor/64x64/apps/org.example.Bar.png
LIST
check "linux applications" "$root/linux-apps" \
  "$("$scan" applications --home "$H" --platform linux --running none --store "$root/none" --json 2>/dev/null)"

# ---- macOS ----------------------------------------------------------------------
H=$root/mac
put "$H/Library/Caches/com.example.Old/x" 20; age "$H/Library/Caches/com.example.Old" 20
put "$H/Library/Caches/com.example.Fresh/x" 2
put "$H/Library/Caches/com.apple.Safari/x" 20                  # system application and browser
put "$H/Library/Caches/com.tinyspeck.slackmacgap/x" 20         # chat
put "$H/Library/Caches/com.example.Running/x" 20               # running
put "$H/Library/Logs/Old.log" 40; put "$H/Library/Logs/New.log" 10
put "$H/Library/Developer/Xcode/DerivedData/App-abc/Build/x" 10
age "$H/Library/Developer/Xcode/DerivedData/App-abc/Build" 10; age "$H/Library/Developer/Xcode/DerivedData/App-abc" 10
cat >"$root/mac-junk" <<'LIST'
~/Library/Caches/com.example.Old
~/Library/Logs/Old.log
~/Library/Developer/Xcode/DerivedData/App-abc
LIST
check "macos junk" "$root/mac-junk" \
  "$("$scan" junk --home "$H" --platform macos --running com.example.Running --store "$root/none" --json 2>/dev/null)"
out=$("$scan" junk --home "$H" --platform macos --running com.apple.dt.Xcode --store "$root/none" --json 2>/dev/null)
if [[ $(jq '.coverage[] | select(.category == 2) | .state' <<<"$out") == 3 ]]; then
  echo "ok   macos junk: developer caches skipped while Xcode runs"
else
  echo "FAIL macos junk: developer caches not skipped while Xcode runs"; fail=1
fi

mkdir -p "$H/Applications/Thing.app/Contents/MacOS"
cat >"$H/Applications/Thing.app/Contents/Info.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>CFBundleIdentifier</key><string>com.example.Thing</string>
<key>CFBundleName</key><string>Thing</string><key>CFBundleShortVersionString</key><string>1.2</string></dict></plist>
PLIST
put "$H/Applications/Thing.app/Contents/MacOS/Thing" 1 2000
mkdir -p "$H/Applications/Calculator.app/Contents"
sed 's/com.example.Thing/com.apple.calculator/' "$H/Applications/Thing.app/Contents/Info.plist" \
  >"$H/Applications/Calculator.app/Contents/Info.plist"
put "$H/Library/Preferences/com.example.Thing.plist" 1
put "$H/Library/Application Support/com.example.Thing/db" 1
put "$H/Library/Saved Application State/com.example.Thing.savedState/windows.plist" 1
put "$H/Library/Group Containers/group.com.example.Thing/x" 1
cat >"$root/mac-apps" <<'LIST'
~/Applications/Thing.app
~/Library/Preferences/com.example.Thing.plist
~/Library/Application Support/com.example.Thing
~/Library/Saved Application State/com.example.Thing.savedState
LIST
check "macos applications" "$root/mac-apps" \
  "$("$scan" applications --home "$H" --platform macos --applications "$H/Applications" --running none \
      --store "$root/none" --json 2>/dev/null)"
exit $fail
