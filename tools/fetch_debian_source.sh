#!/bin/bash
# Fetches the files of a Debian source package (the .dsc and its tarballs)
# into DIR/download, through a private apt set-up in DIR/apt: a deb-src
# entry for the release this machine runs, with the same archive and
# keyring as the system's own apt source, and its lists and cache there,
# so that the system's apt stays untouched. apt checks every file it
# fetches against the signed archive index.
#   tools/fetch_debian_source.sh PACKAGE DIR
# Exits with apt's status: a mirror may lack a file of the package, and
# what it had is then in DIR/download all the same.
set -euo pipefail
package=$1
dir=$2
mkdir -p "$dir/apt/lists/partial" "$dir/apt/cache" "$dir/download"
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]" \
     "http://deb.debian.org/debian $codename main" > "$dir/apt/sources.list"
apt_private=(-o Dir::Etc::sourcelist="$dir/apt/sources.list"
             -o Dir::Etc::sourceparts=- -o Dir::State::Lists="$dir/apt/lists"
             -o Dir::Cache="$dir/apt/cache" -o APT::Sandbox::User=root)
apt-get "${apt_private[@]}" -qq update
cd "$dir/download"
apt-get "${apt_private[@]}" -qq source --download-only "$package"
