#!/bin/sh
# Enables the ja_JP.UTF-8 locale (needs root). Wine derives the ANSI code page
# from the locale, and the Windows programs and their tests expect 932.
# Running it again changes nothing.
set -eu

if locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "ja_JP.UTF-8 is already available"
    exit 0
fi
if ! command -v locale-gen >/dev/null 2>&1; then
    echo "setup-japanese-locale.sh: locale-gen is missing (apt-get install locales)" >&2
    exit 1
fi
if [ -f /etc/locale.gen ] && grep -q '^# *ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
elif ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
fi
locale-gen
locale -a | grep -qi '^ja_JP\.utf-\?8$'
