#!/usr/bin/env bash
# Installs the Debian packages Corvane needs to build, run and test, when any is missing.
# Used by both README commands and by CI. Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-charts-dev libqt6opengl6-dev libgl-dev
    libsqlite3-dev sqlite3 libvmime-dev qtkeychain-qt6-dev
    xvfb xauth imagemagick
    postfix python3 python3-aiosmtpd python3-dnslib dovecot-imapd openssl
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# The SMTP tests start their own Postfix with a throw-away configuration; the system one stays unconfigured,
# and so never started, by answering "No configuration" before the package is installed.
if [[ " ${missing[*]} " == *" postfix "* ]]; then
    echo "postfix postfix/main_mailer_type select No configuration" | $SUDO debconf-set-selections
fi
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
# The IMAP tests start their own Dovecot with a throw-away configuration; the system service is not needed.
if [[ " ${missing[*]} " == *" dovecot-imapd "* ]] && command -v systemctl >/dev/null 2>&1; then
    $SUDO systemctl disable --now dovecot.service dovecot.socket >/dev/null 2>&1 || true
fi
