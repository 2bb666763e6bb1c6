#!/usr/bin/env bash
# Builds the Debian package, checks it with Debian's validators, installs it on this machine
# with apt-get as a user would, tries the installed programs (the demo in a virtual display,
# with a screenshot), purges it and checks that nothing is left behind. Installing needs root
# (through sudo for another user).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_DIR=${PACKAGE_BUILD_DIR:-build-package}
SHOT=${PACKAGE_SCREENSHOT:-$PWD/out/tq612-installed-demo.png}
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
# Other work on this machine may hold apt's lock for a while.
APT=($SUDO apt-get -y -qq -o DPkg::Lock::Timeout=300)
export DEBIAN_FRONTEND=noninteractive

fail() { echo "run-package-test: $*" >&2; exit 1; }

# Only what the package holds: the programs, the help guide and the manual pages, built with
# Debian's hardening flags.
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQ612_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now" >/dev/null
cmake --build "$BUILD_DIR" -j2
rm -f "$BUILD_DIR"/tq612_*.deb
(cd "$BUILD_DIR" && cpack -G DEB >/dev/null)
DEB=$(realpath "$BUILD_DIR"/tq612_*.deb)
VERSION=$(dpkg-deb -f "$DEB" Version)
echo "Built $DEB"

echo "== validators"
if ! report=$(lintian --fail-on error,warning "$DEB" 2>&1); then
  echo "$report"
  fail "lintian reports errors or warnings"
fi
desktop-file-validate packaging/tq612.desktop packaging/tq612-demo.desktop
# The component ID is the program's name: the project owns no domain to build a reverse-DNS
# ID from, so that one warning is expected and nothing else.
appstream=$(appstreamcli validate --no-net --pedantic packaging/tq612.metainfo.xml 2>&1 || true)
if grep -E '^[EW]:' <<<"$appstream" | grep -vq 'cid-desktopapp-is-not-rdns'; then
  echo "$appstream"
  fail "appstreamcli finds problems in the metainfo"
fi

echo "== install"
if dpkg-query -W -f='${Status}' tq612 2>/dev/null | grep -q installed; then
  echo "Removing tq612 left from an earlier run"
  "${APT[@]}" purge tq612 >/dev/null
fi
"${APT[@]}" install "$DEB" >/dev/null
mapfile -t owned < <(dpkg -L tq612)

[ "$(tq612 --version | head -n 1)" = "tq612 $VERSION" ] || fail "tq612 --version says '$(tq612 --version | head -n 1)', not 'tq612 $VERSION'"
tq612-demo --help | grep -q -- '--unplug-after' || fail "tq612-demo --help lists no demo options"
if tq612 --no-such-option 2>/dev/null; then fail "an unknown option is not refused"; fi
for entry in /usr/share/applications/tq612.desktop /usr/share/applications/tq612-demo.desktop; do
  desktop-file-validate "$entry"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "$entry names icon '$icon', which is not installed"
  program=$(sed -n 's/^Exec=//p' "$entry")
  [ -x "/usr/bin/$program" ] || fail "$entry starts '$program', which is not installed"
done
RULE=/usr/lib/udev/rules.d/70-tq612.rules
grep -qx 'SUBSYSTEM=="hidraw", ATTRS{product}=="USB to Serial", TAG+="uaccess"' "$RULE" \
  || fail "$RULE does not hold the cable's rule"
# The installed programs look for the guide in the share folder beside their own.
[ -f /usr/bin/../share/tq612/TQ-612.chm ] && [ -f /usr/bin/../share/tq612/help/index.html ] \
  || fail "the help guide is not where the installed programs look for it"
[ -f /usr/share/man/man1/tq612.1.gz ] && [ -f /usr/share/man/man1/tq612-demo.1.gz ] || fail "a manual page is missing"

echo "== license"
cmp -s LICENSE /usr/share/common-licenses/GPL-3 || fail "LICENSE does not hold the GNU GPL version 3"
for program in tq612 tq612-demo; do
  $program --version | grep -qx 'License GPL-3.0-or-later: .*' || fail "$program --version states no license"
  # roff writes a hyphen as \-
  zcat "/usr/share/man/man1/$program.1.gz" | sed 's/\\-/-/g' | grep -q 'License GPL-3.0-or-later' \
    || fail "the manual page of $program states no license"
done
grep -q '<project_license>GPL-3.0-or-later</project_license>' /usr/share/metainfo/tq612.metainfo.xml \
  || fail "the AppStream data gives no project_license GPL-3.0-or-later"
# Debian's own parser of machine-readable copyright files (python3-debian, for Debian's python3):
# every file of the program is GPL-3+, with the terms in a stand-alone license paragraph.
/usr/bin/python3 - /usr/share/doc/tq612/copyright <<'PY' || fail "/usr/share/doc/tq612/copyright is not machine-readable or not GPL-3+"
import sys
from debian.copyright import Copyright

with open(sys.argv[1], encoding="utf-8") as f:
    copyright = Copyright(f, strict=True)
for path in ("src/app/TFCOMM.cpp", "help/index.html", "packaging/70-tq612.rules"):
    paragraph = copyright.find_files_paragraph(path)
    assert paragraph is not None and paragraph.license.synopsis == "GPL-3+", (path, paragraph)
terms = [p.license for p in copyright.all_license_paragraphs() if p.license.synopsis == "GPL-3+"]
assert terms and "/usr/share/common-licenses/GPL-3" in terms[0].text, terms
PY

echo "== the installed demo"
bash scripts/demo-screenshot.sh /usr/bin/tq612-demo "$SHOT"
colours=$(convert "$SHOT" -format %k info:)
[ "$colours" -gt 50 ] || fail "the screenshot has $colours colours: the window looks blank"

echo "== purge"
"${APT[@]}" purge tq612 >/dev/null
if dpkg-query -W tq612 >/dev/null 2>&1; then fail "dpkg still knows tq612 after the purge"; fi
left=()
for path in "${owned[@]}"; do
  # Shared folders such as /usr/share/applications stay; files and our own folders must go.
  if [ -e "$path" ] && ! { [ -d "$path" ] && [ -n "$(ls -A "$path")" ]; }; then left+=("$path"); fi
done
[ ${#left[@]} -eq 0 ] || fail "left behind after the purge: ${left[*]}"
for ours in /usr/share/tq612 /usr/share/doc/tq612 "$RULE"; do
  [ ! -e "$ours" ] || fail "left behind after the purge: $ours"
done
echo "Package test passed: $(basename "$DEB") installs, runs, validates and purges cleanly"
