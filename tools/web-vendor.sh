#!/usr/bin/env bash
# Copies into the web build's folder what the page takes from npm packages
# (installed into web/node_modules from web/package-lock.json when missing):
# the cburnett piece pictures of chessground (GPL-3.0-or-later, as Quill), a
# style sheet of embedded SVG images, with the package's licence beside it.
#   tools/web-vendor.sh BUILD-FOLDER
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build-web}"
pkg=web/node_modules/chessground
if [ ! -f "$pkg/assets/chessground.cburnett.css" ]; then
  command -v npm >/dev/null || { echo "web-vendor: npm is needed once (Debian: apt-get install npm)" >&2; exit 1; }
  (cd web && npm ci --no-audit --no-fund --loglevel=error)
fi
mkdir -p "$out/vendor"
cp "$pkg/assets/chessground.cburnett.css" "$out/vendor/pieces.css"
cp "$pkg/LICENSE" "$out/vendor/chessground-LICENSE.txt"
