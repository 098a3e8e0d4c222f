#!/usr/bin/env bash
# Prints deb-src stanzas (deb822) for the Debian release's own "deb" entries found in the
# machine's apt sources (both the one-line and the deb822 formats), so the set-up can
# fetch source packages from wherever this machine already gets its binaries.
set -euo pipefail
codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
[ -n "$codename" ] || { echo "deb-src-entries: no VERSION_CODENAME in /etc/os-release" >&2; exit 1; }

# Only suites of this release (bookworm, bookworm-updates, bookworm-security, ...): other
# repositories rarely publish sources.
own_suites() {
  local s out=()
  for s in "$@"; do
    case "$s" in "$codename" | "$codename"-*) out+=("$s") ;; esac
  done
  echo "${out[*]:-}"
}

emit() { # uris suites components signed_by
  local suites
  suites="$(own_suites $2)"
  [ -n "$suites" ] || return 0
  echo "Types: deb-src"
  echo "URIs: $1"
  echo "Suites: $suites"
  echo "Components: $3"
  [ -z "$4" ] || echo "Signed-By: $4"
  echo
}

# deb822 files: stanzas separated by blank lines.
deb822() {
  local types="" uris="" suites="" comps="" signed="" enabled="yes" line key value
  flush() {
    if [[ " $types " == *" deb "* ]] && [ "$enabled" != "no" ] && [ -n "$uris" ]; then
      emit "$uris" "$suites" "$comps" "$signed"
    fi
    types="" uris="" suites="" comps="" signed="" enabled="yes"
  }
  while IFS= read -r line || [ -n "$line" ]; do
    if [[ -z "${line// /}" ]]; then flush; continue; fi
    [[ "$line" =~ ^[[:space:]]*# ]] && continue
    [[ "$line" =~ ^([A-Za-z-]+):[[:space:]]*(.*)$ ]] || continue
    key="${BASH_REMATCH[1],,}" value="${BASH_REMATCH[2]}"
    case "$key" in
      types) types="$value" ;; uris) uris="$value" ;; suites) suites="$value" ;;
      components) comps="$value" ;; signed-by) signed="$value" ;; enabled) enabled="${value,,}" ;;
    esac
  done <"$1"
  flush
}

# One-line files: "deb [options] uri suite components..."
one_line() {
  local line opts signed
  while IFS= read -r line || [ -n "$line" ]; do
    [[ "$line" =~ ^[[:space:]]*deb[[:space:]]+(\[([^]]*)\][[:space:]]+)?([^[:space:]]+)[[:space:]]+([^[:space:]]+)[[:space:]]+(.*)$ ]] || continue
    opts="${BASH_REMATCH[2]}" signed=""
    [[ "$opts" =~ signed-by=([^[:space:]]+) ]] && signed="${BASH_REMATCH[1]}"
    emit "${BASH_REMATCH[3]}" "${BASH_REMATCH[4]}" "${BASH_REMATCH[5]}" "$signed"
  done <"$1"
}

shopt -s nullglob
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] && one_line "$f"
done
for f in /etc/apt/sources.list.d/*.sources; do
  case "$f" in */tarvo-deb-src.sources) continue ;; esac
  deb822 "$f"
done
