#!/usr/bin/env bash
# Signs a copy of the built installer with scripts/sign and a throwaway self-signed certificate,
# checks the signature with osslsigncode and verifies the copy against the build as a user would
# verify a release against a rebuild (scripts/verify-signed). The copy is left in <build>/signed/
# for the e2e scenario that installs from it. There is no network here, so the copy carries no time stamp.
#   sign_installer.sh <source folder> <build folder>
set -euo pipefail
source=$1
build=$2
dir=$build/signed
rm -rf "$dir"
mkdir -p "$dir"
fail() { echo "FAILED: $*"; exit 1; }

openssl req -x509 -newkey rsa:2048 -sha256 -days 2 -nodes -subj "/CN=Marlowind test signing/O=Marlowind" \
  -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
  -keyout "$dir/key.pem" -out "$dir/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$dir/key.pem" -in "$dir/cert.pem" -out "$dir/cert.p12" \
  -passout pass:throwaway-password
copy=$dir/MarlowindSetup.exe
cp "$build/MarlowindSetup.exe" "$copy"

# Without a certificate, and with one but no time-stamp server, nothing is touched.
out=$(env -u MW_SIGN_PKCS12 "$source/scripts/sign" --file "$copy")
echo "$out"
[[ $out == *"nothing signed"* ]] || fail "scripts/sign without a certificate does not say it signs nothing"
if MW_SIGN_PKCS12=$dir/cert.p12 MW_SIGN_PASSWORD=throwaway-password MW_SIGN_TIMESTAMP_URL= \
    MW_SIGN_NO_TIMESTAMP= "$source/scripts/sign" --file "$copy"; then
  fail "scripts/sign signed without a time-stamp server"
fi
if MW_SIGN_PKCS12=$dir/cert.p12 MW_SIGN_PASSWORD=wrong MW_SIGN_NO_TIMESTAMP=1 \
    "$source/scripts/sign" --file "$copy" 2>/dev/null; then
  fail "scripts/sign signed with a wrong password"
fi
cmp -s "$copy" "$build/MarlowindSetup.exe" || fail "a refused signing changed the file"
[ ! -e "$copy.signing" ] || fail "a refused signing left its temporary file"

MW_SIGN_PKCS12=$dir/cert.p12 MW_SIGN_PASSWORD=throwaway-password MW_SIGN_NO_TIMESTAMP=1 \
  "$source/scripts/sign" --file "$copy"
[ -x "$copy" ] || fail "the signed copy is no longer executable"

# The self-signed root is accepted by naming it as the trusted one; without it, verification fails.
report=$(osslsigncode verify -in "$copy" -CAfile "$dir/cert.pem" 2>&1) || { echo "$report"; fail "verify"; }
grep -q "^Signature verification: ok" <<<"$report" || fail "no good signature: $report"
grep -q "^Message digest algorithm  : SHA256" <<<"$report" || fail "not a SHA-256 signature"
grep -q "Text description: Marlowind setup" <<<"$report" || fail "no description in the signature"
if osslsigncode verify -in "$copy" >/dev/null 2>&1; then
  fail "an untrusted self-signed root verified without being named"
fi
# One changed byte in the signed image breaks the signature.
cp "$copy" "$dir/tampered.exe"
printf 'X' | dd of="$dir/tampered.exe" bs=1 seek=4096 conv=notrunc status=none
if osslsigncode verify -in "$dir/tampered.exe" -CAfile "$dir/cert.pem" >/dev/null 2>&1; then
  fail "a changed file still verifies"
fi

# The signed copy is what this commit builds: its signature removed, it is the unsigned build,
# and so is every program it carries (the README's verification of a release). The copy with
# one changed byte is not.
"$source/scripts/verify-signed" "$copy" "$build" || fail "the signed copy is not the unsigned build"
if "$source/scripts/verify-signed" "$dir/tampered.exe" "$build" >/dev/null; then
  fail "a changed signed file verified against the build"
fi
rm -f "$dir/tampered.exe" "$dir/key.pem"
echo "signed copy: $(stat -c %s "$copy") bytes, unsigned $(stat -c %s "$build/MarlowindSetup.exe") bytes; SHA-256 signature verified"
