# apt-get as the package tests use it: it waits up to ten minutes for the
# package manager's lock (an unattended upgrade, another install) instead of
# failing at once.
apt_get() {
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@"
}
