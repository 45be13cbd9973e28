#!/usr/bin/env bash
# Signs Windows files in place (programs, installers, MSI packages) with
# osslsigncode (Authenticode, SHA-256), when a certificate is given:
#
#   VTMERV_SIGN_PFX=FILE.pfx [VTMERV_SIGN_PASSWORD=...]       a PKCS#12 file, or
#   VTMERV_SIGN_CERT=CERT.pem VTMERV_SIGN_KEY=KEY.pem          the certificate (with
#     [VTMERV_SIGN_PASSWORD=...]                               its chain) and its key
#   VTMERV_SIGN_TIMESTAMP=URL    optional: a time-stamping server (RFC 3161), so
#                                that the signatures outlive the certificate
#
#   bash scripts/windows-sign.sh FILE...
#   bash scripts/windows-sign.sh --check   (status 0 when a certificate is given)
#
# scripts/windows-package.sh signs every program before it is packed, the
# uninstaller (through makensis), the installer and the MSI package with it.
set -euo pipefail

given() { [ -n "${VTMERV_SIGN_PFX:-}" ] || [ -n "${VTMERV_SIGN_CERT:-}${VTMERV_SIGN_KEY:-}" ]; }
if [ "${1:-}" = "--check" ]; then
  given
  exit
fi
given || { echo "windows-sign: no certificate given (VTMERV_SIGN_PFX, or VTMERV_SIGN_CERT and VTMERV_SIGN_KEY)" >&2; exit 2; }

signer=()
if [ -n "${VTMERV_SIGN_PFX:-}" ]; then
  signer=(-pkcs12 "$VTMERV_SIGN_PFX")
elif [ -n "${VTMERV_SIGN_CERT:-}" ] && [ -n "${VTMERV_SIGN_KEY:-}" ]; then
  signer=(-certs "$VTMERV_SIGN_CERT" -key "$VTMERV_SIGN_KEY")
else
  echo "windows-sign: VTMERV_SIGN_CERT and VTMERV_SIGN_KEY go together" >&2
  exit 2
fi
if [ -n "${VTMERV_SIGN_PASSWORD:-}" ]; then
  # Read from a pipe, not from the command line, where others could see it.
  signer+=(-readpass /dev/stdin)
fi
if [ -n "${VTMERV_SIGN_TIMESTAMP:-}" ]; then
  signer+=(-ts "$VTMERV_SIGN_TIMESTAMP")
fi

for file in "$@"; do
  signed="$(mktemp -u "$file.XXXXXX")"
  if ! printf '%s' "${VTMERV_SIGN_PASSWORD:-}" |
    osslsigncode sign "${signer[@]}" -h sha256 -n "VTMERV - Gestione archivi standard" \
      -in "$file" -out "$signed" >/dev/null; then
    rm -f "$signed"
    echo "windows-sign: could not sign $file" >&2
    exit 1
  fi
  chmod --reference="$file" "$signed"
  mv "$signed" "$file"
done
