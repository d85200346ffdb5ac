#!/usr/bin/env bash
# While another program holds the package manager's lock for a few seconds,
# the package tests' apt-get waits for it and then succeeds.
set -euo pipefail
skip=77  # ctest's SKIP_RETURN_CODE
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: taking the package manager's lock needs root"
  exit $skip
fi
source "$(dirname "$0")/apt.sh"

# apt and dpkg lock this file with fcntl; hold it as they would, for 4 s.
python3 - <<'PYTHON' &
import fcntl, sys, time
lock = open("/var/lib/dpkg/lock-frontend", "w")
fcntl.lockf(lock, fcntl.LOCK_EX)
print("held", flush=True)
time.sleep(4)
PYTHON
holder=$!
sleep 1
kill -0 "$holder" || { echo "FAILED: the lock could not be taken"; exit 1; }

start=$SECONDS
# A no-op that needs the lock: reinstalling nothing, marking an installed package as it is.
apt_get install -y -q --no-install-recommends dpkg >/dev/null
waited=$((SECONDS - start))
wait "$holder"
echo "apt-get waited ${waited} s for the lock and succeeded"
[ "$waited" -ge 1 ] || { echo "FAILED: apt-get did not wait for the lock"; exit 1; }
