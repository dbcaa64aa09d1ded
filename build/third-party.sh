#!/usr/bin/env bash
# Fetches the C/C++ sources the engine compiles in (pugixml and zlib) as Debian source
# packages, checks them against pinned hashes and unpacks them under third_party/.
# Uses a private apt configuration so the system's sources and state are never touched.
# Idempotent: does nothing when the pinned versions are already unpacked.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dest=$root/third_party

# package  version  unpacked folder  SHA-256 of the .dsc
pins=(
  "pugixml 1.13-0.2 pugixml f0ef481b50b6d01b04269fe109a2cace8d9dad6f6eb089f1c9aac5a0913aa7c2"
  "zlib 1:1.2.13.dfsg-1 zlib 3fa1e6b2fc525062aa88207dda52fed8e045373c809d362fe8a2bfbf7cf515a8"
)

all_present=1
for pin in "${pins[@]}"; do
  read -r pkg ver dir sha <<<"$pin"
  [[ -f $dest/$dir/.stamp && $(<"$dest/$dir/.stamp") == "$ver $sha" ]] || all_present=0
done
((all_present)) && exit 0

work=$dest/.apt
mkdir -p "$work"/{state/lists/partial,cache/archives/partial,sources.list.d,download}
cat >"$work/sources.list" <<SOURCES
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
SOURCES
cat >"$work/apt.conf" <<CONF
Dir::Etc::SourceList "$work/sources.list";
Dir::Etc::SourceParts "$work/sources.list.d";
Dir::State "$work/state";
Dir::State::Lists "$work/state/lists";
Dir::State::status "/var/lib/dpkg/status";
Dir::Cache "$work/cache";
Debug::NoLocking "true";
APT::Sandbox::User "root";
CONF
export APT_CONFIG=$work/apt.conf

apt-get -q -o Acquire::Languages=none update >/dev/null

for pin in "${pins[@]}"; do
  read -r pkg ver dir sha <<<"$pin"
  stamp="$ver $sha"
  [[ -f $dest/$dir/.stamp && $(<"$dest/$dir/.stamp") == "$stamp" ]] && continue

  dl=$work/download/$pkg
  rm -rf "$dl" && mkdir -p "$dl"
  (cd "$dl" && apt-get -q source --download-only "$pkg=$ver" >/dev/null)
  dsc=$(ls "$dl"/*.dsc)
  got=$(sha256sum "$dsc" | cut -d' ' -f1)
  if [[ $got != "$sha" ]]; then
    echo "third-party.sh: $dsc has SHA-256 $got, expected $sha" >&2
    exit 1
  fi
  # dpkg-source checks every tarball against the sizes and hashes in the .dsc; the
  # signature itself cannot be checked without Debian's keyring, the pinned hash stands in.
  rm -rf "$dest/$dir" "$dl/src"
  if ! dpkg-source -x "$dsc" "$dl/src" >"$dl/log" 2>&1; then
    cat "$dl/log" >&2
    exit 1
  fi
  mv "$dl/src" "$dest/$dir"
  echo "$stamp" >"$dest/$dir/.stamp"
done
rm -rf "$work/download"
