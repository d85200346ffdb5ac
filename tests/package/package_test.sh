#!/usr/bin/env bash
# Builds the Debian package from a Release build of its own, installs it with
# apt-get, checks the installed desktop entry and metadata, runs the installed
# program as an ordinary user and checks that its settings land in that
# user's folders; then removes the package and the user again.
#   package_test.sh SOURCE_FOLDER WORK_FOLDER
set -euo pipefail

source_folder=$1
work_folder=$2
user=tq580-package-test
package=tq580
skip=77  # ctest's SKIP_RETURN_CODE
source "$(dirname "$0")/apt.sh"

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: installing a Debian package and creating a user need root"
  exit $skip
fi
for tool in cmake cpack ninja apt-get dpkg-shlibdeps file desktop-file-validate appstreamcli useradd runuser; do
  command -v "$tool" >/dev/null || { echo "FAILED: $tool is missing; run scripts/install-packages.sh"; exit 1; }
done

user_exists() { id -u "$user" >/dev/null 2>&1; }
package_installed() { dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; }

clean_up() {
  if [ -n "${program_pid:-}" ] && kill -0 "$program_pid" 2>/dev/null; then kill -KILL "$program_pid" || true; fi
  if user_exists; then userdel --remove "$user" >/dev/null 2>&1 || true; fi
  if package_installed; then apt_get purge -y -q "$package" >/dev/null || true; fi
}
# A run that was killed half-way leaves its user and package behind.
clean_up
trap clean_up EXIT

echo "--- Release build and package"
build=$work_folder/build
cmake -S "$source_folder" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTQ580_TESTS=OFF -DTQ580_BENCHMARKS=OFF -DTQ580_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 --target tq580 tq580_manual
rm -f "$build"/tq580_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tq580_*.deb)
echo "built $deb"
dpkg-deb --field "$deb" Depends

echo "--- Install"
apt_get install -y -q --no-install-recommends "$deb" >/dev/null
[ "$(command -v tq580)" = /usr/bin/tq580 ] || { echo "FAILED: tq580 is not /usr/bin/tq580"; exit 1; }
for file in /usr/share/doc/tq580/Tq580_win_en.pdf /usr/share/icons/hicolor/scalable/apps/org.tq580.Tq580.svg; do
  [ -s "$file" ] || { echo "FAILED: $file is not installed"; exit 1; }
done
desktop-file-validate /usr/share/applications/org.tq580.Tq580.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.tq580.Tq580.metainfo.xml

echo "--- Installed program"
version=$(tq580 --version)
echo "$version"
[[ $version == *1.0.7.0* ]] || { echo "FAILED: unexpected version"; exit 1; }

useradd --create-home --shell /bin/sh "$user"
home=$(getent passwd "$user" | cut -d: -f6)
# Started from the home folder as a desktop menu does; the simulated sensors
# need no radio, and SIGTERM closes the window as the user would.
runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen \
  sh -c 'cd && echo $$ > .tq580.pid && exec tq580 --simulate' &
runner_pid=$!
sleep 4
program_pid=$(cat "$home/.tq580.pid")
kill -0 "$program_pid" || { echo "FAILED: the program ended on its own"; exit 1; }
# The first SIGTERM closes the window, the next acknowledge the notice it shows.
for _ in $(seq 10); do
  kill -0 "$program_pid" 2>/dev/null || break
  kill -TERM "$program_pid" 2>/dev/null || true
  sleep 1
done
if kill -0 "$program_pid" 2>/dev/null; then echo "FAILED: the program did not close on SIGTERM"; exit 1; fi
wait "$runner_pid" || { echo "FAILED: the program exited with $?"; exit 1; }

settings=$home/.config/tq580/tq580.ini
[ -s "$settings" ] || { echo "FAILED: no settings file $settings"; ls -laR "$home"; exit 1; }
[ "$(stat -c %U "$settings")" = "$user" ] || { echo "FAILED: $settings is not the user's"; exit 1; }
grep -q '^\[Form\]' "$settings" || { echo "FAILED: $settings has no [Form] section"; cat "$settings"; exit 1; }
[ -d "$home/Documents/Tq580" ] || { echo "FAILED: no data folder under the user's documents"; ls -laR "$home"; exit 1; }
if ls /usr/bin/tq580.* >/dev/null 2>&1; then echo "FAILED: files written next to the installed program"; exit 1; fi
echo "settings in $settings, data folder $home/Documents/Tq580"

echo "--- Remove"
clean_up
trap - EXIT
! package_installed || { echo "FAILED: the package is still installed"; exit 1; }
[ ! -e /usr/bin/tq580 ] || { echo "FAILED: /usr/bin/tq580 is left behind"; exit 1; }
echo "PASSED"
