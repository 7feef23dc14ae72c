#!/usr/bin/env bash
# make install / make uninstall: the engine, its manual page and the README.
#   tools/install.sh install BUILD     copies BUILD/quill, BUILD/quill.6 and README.md
#   tools/install.sh uninstall         removes them again
# Folders come from BINDIR, MANDIR and DOCDIR, each under DESTDIR (a
# staging folder for packagers; empty for a real installation). The folders
# that installing creates are listed in DOCDIR/installed-folders, so that
# uninstalling removes those (when empty) and no folder that was there before.
set -euo pipefail
umask 022

: "${BINDIR:?}" "${MANDIR:?}" "${DOCDIR:?}"
dest="${DESTDIR:-}"
root="$(cd "$(dirname "$0")/.." && pwd)"
record="$dest$DOCDIR/installed-folders"

case "${1:-}" in
  install)
    build="${2:?usage: $0 install BUILD}"
    [ -x "$build/quill" ] && [ -f "$build/quill.6" ] || { echo "install: no $build/quill or $build/quill.6" >&2; exit 1; }
    # The folders to create, each parent before its children.
    created=()
    for dir in "$BINDIR" "$MANDIR/man6" "$DOCDIR"; do
      path="$dir"
      chain=()
      while [ -n "$path" ] && [ "$path" != / ] && [ ! -d "$dest$path" ]; do
        chain=("$path" "${chain[@]}")
        path="$(dirname "$path")"
      done
      for path in "${chain[@]}"; do
        mkdir -p "$dest$path"
        created+=("$path")
      done
    done
    install -m 755 "$build/quill" "$dest$BINDIR/quill"
    install -m 644 "$build/quill.6" "$dest$MANDIR/man6/quill.6"
    install -m 644 "$root/README.md" "$dest$DOCDIR/README.md"
    # An installation over an earlier one keeps the earlier record.
    [ -f "$record" ] || printf '%s\n' "${created[@]}" >"$record"
    echo "Installed $dest$BINDIR/quill, $dest$MANDIR/man6/quill.6 and $dest$DOCDIR/README.md"
    ;;
  uninstall)
    folders=()
    [ -f "$record" ] && mapfile -t folders <"$record"
    rm -f "$dest$BINDIR/quill" "$dest$MANDIR/man6/quill.6" "$dest$DOCDIR/README.md" "$record"
    # Children before parents: the reverse of the order they were created in.
    for ((i = ${#folders[@]} - 1; i >= 0; i--)); do
      [ -n "${folders[i]}" ] && rmdir "$dest${folders[i]}" 2>/dev/null || true
    done
    echo "Removed quill, quill.6 and the README from $dest$BINDIR, $dest$MANDIR/man6 and $dest$DOCDIR"
    ;;
  *)
    echo "usage: $0 install BUILD | uninstall" >&2
    exit 2
    ;;
esac
