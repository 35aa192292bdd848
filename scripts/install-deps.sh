#!/usr/bin/env bash
# Installs the Debian packages the project needs, only when some are missing. Idempotent.
set -euo pipefail

PACKAGES="build-essential cmake pkg-config git qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n libgl-dev libsqlite3-dev sqlite3 libxlsxwriter-dev zlib1g-dev libexpat1-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-noto-cjk adwaita-icon-theme fonts-dejavu-core xvfb xauth xdotool dbus-x11 at-spi2-core python3 python3-pyatspi poppler-utils imagemagick dbus-daemon unixodbc-dev libsqliteodbc odbcinst tdsodbc postgresql postgresql-client odbc-postgresql libpq-dev libzint-dev zbar-tools"

missing=()
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Please install as root: apt-get install ${missing[*]}" >&2; exit 1; }
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
