#!/usr/bin/env bash
# A signed release, without Wine; the other installer tests then install the packages it makes:
#  1. a throw-away CA issues a code-signing certificate (a .pfx with a password) and a time-stamping
#     one, which an RFC 3161 responder on loopback answers with (tsa.py);
#  2. make-installer --sign --timestamp signs every program it packs, the uninstaller, the setup
#     program and the package: each verifies against the CA, timestamped, and SHA256SUMS holds
#     them; the password is on no command line;
#  3. a program, the setup program or the package changed after signing fails to verify;
#  4. scripts/check-release finds the release to be this checkout's but for the signatures, and
#     names the program of a release signed from other code;
#  5. a key on a PKCS#11 token (SoftHSM) signs as well; without --timestamp the signatures have
#     none, and make-installer says so.
# Usage: signing.sh <out: the signed release> <out: the test CA> <build tree of the programs>
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/../.." && pwd)
out=$(realpath -m "$1")
ca=$(realpath -m "$2")
build=$(realpath "$3")
version=$(cat "$top/VERSION")
work=$(mktemp -d "${TMPDIR:-/tmp}/talvex-signing.XXXXXX")
tsa_pid=""
trap '[ -z "$tsa_pid" ] || kill "$tsa_pid"; rm -rf "$work"' EXIT

failures=0
check() { # check DESCRIPTION COMMAND...: counts a failure and goes on
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
verifies() { # verifies FILE...: each one's signature chains to the test CA, timestamp included
    local file
    for file; do
        osslsigncode verify -CAfile "$ca/ca.pem" -TSA-CAfile "$ca/ca.pem" -in "$file" \
            >"$work/verify.log" 2>&1 || { echo "  $file:"; tail -5 "$work/verify.log"; return 1; }
    done
}
# A file changed after signing: its content no longer has the digest its signature signed.
altered() {
    ! osslsigncode verify -CAfile "$ca/ca.pem" -in "$1" >"$work/verify.log" 2>&1 &&
        grep -q "MISMATCH" "$work/verify.log"
}
timestamp_of() { # prints "verified" or "none" for FILE's timestamp
    local report
    report=$(osslsigncode verify -CAfile "$ca/ca.pem" -TSA-CAfile "$ca/ca.pem" -in "$1" 2>&1 || true)
    if grep -q "^Timestamp Server Signature verification: ok" <<<"$report"; then echo verified
    elif grep -q "^Timestamp is not available" <<<"$report"; then echo none
    else echo "unclear"; fi
}
timestamps_are() { # timestamps_are verified|none FILE...
    local file
    for file in "${@:2}"; do
        [ "$(timestamp_of "$file")" = "$1" ] || { echo "  $file: $(timestamp_of "$file")"; return 1; }
    done
}
release_files() { # the signed files of a release folder, one a line
    printf '%s\n' "$1/TalvexSetup-$version.exe" "$1/TalvexAdapterConfiguration-$version.msi" \
        "$1"/files/{TalvexCfg.exe,TalvexCtl.exe,DriverAgent.dll,TalvexMsiActions.dll,Uninstall.exe}
}
sums_match() { # SHA256SUMS in the release folder lists exactly its signed files, rightly
    (cd "$1" && sha256sum --check --quiet SHA256SUMS) &&
        [ "$(cut -d' ' -f3 "$1/SHA256SUMS" | sort)" = "$(release_files . | sed 's|^\./||' | sort)" ]
}
flip_byte() { printf '\xA5' | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

echo "--- a throw-away CA, a code-signing and a time-stamping certificate"
rm -rf "$ca"
mkdir -p "$ca"
cd "$ca"
certificate() { # certificate NAME SUBJECT EXTENSIONS: NAME.key and NAME.pem, issued by the CA
    openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "/CN=$2" 2>/dev/null
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n%s\n' "$3" >"$1.ext"
    openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
        -extfile "$1.ext" -out "$1.pem" 2>/dev/null
}
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
    -subj "/CN=Talvex Test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
certificate signing "Talvex Test Code Signing" "extendedKeyUsage=codeSigning"
certificate tsa "Talvex Test Time Stamping" "extendedKeyUsage=critical,timeStamping"
password="pfx $RANDOM-$RANDOM"
# For the installer tests, which sign a later version with the same key.
printf '%s' "$password" >signing.password
openssl pkcs12 -export -inkey signing.key -in signing.pem -certfile ca.pem -out signing.pfx \
    -passout fd:3 3<<<"$password"
cat >tsa.cnf <<'EOF'
[ tsa ]
default_tsa = test_tsa
[ test_tsa ]
serial = ./tsa.serial
crypto_device = builtin
signer_digest = sha256
default_policy = 1.3.6.1.4.1.55555.1
digests = sha256, sha384, sha512
accuracy = secs:1
ess_cert_id_alg = sha256
EOF
echo 01 >tsa.serial
python3 "$here/tsa.py" "$ca" &
tsa_pid=$!
for _ in $(seq 50); do [ -s tsa.port ] && break; sleep 0.1; done
cd "$top"

echo "--- make-installer --sign --timestamp"
# osslsigncode, wrapped to keep every command line it is given.
mkdir "$work/path"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\nexec %s "$@"\n' "$work/command-lines" \
    "$(command -v osslsigncode)" >"$work/path/osslsigncode"
chmod +x "$work/path/osslsigncode"
PATH=$work/path:$PATH TALVEX_SIGN_PASSWORD=$password scripts/make-installer --build "$build" \
    --out "$out" --sign "$ca/signing.pfx" --timestamp "http://127.0.0.1:$(cat "$ca/tsa.port")/" \
    >"$work/make.log" 2>&1 || { cat "$work/make.log"; exit 1; }
mapfile -t signed < <(release_files "$out")
check "every program, the uninstaller, the setup program and the package verify" verifies "${signed[@]}"
check "each with the time-stamping server's timestamp" timestamps_are verified "${signed[@]}"
check "SHA256SUMS holds each, and they match" sums_match "$out"
check "the password was on none of osslsigncode's command lines" eval \
    '[ "$(grep -c "^sign " "$work/command-lines")" -eq "${#signed[@]}" ] &&
     ! grep -qF "$password" "$work/command-lines"'


echo "--- files changed after signing"
cp "$out/files/TalvexCfg.exe" "$out/TalvexSetup-$version.exe" "$out/TalvexAdapterConfiguration-$version.msi" "$work/"
flip_byte "$work/TalvexCfg.exe" 4096
flip_byte "$work/TalvexSetup-$version.exe" $(($(stat -c %s "$work/TalvexSetup-$version.exe") / 2))
msibuild "$work/TalvexAdapterConfiguration-$version.msi" \
    -q "UPDATE \`Property\` SET \`Value\` = '0' WHERE \`Property\` = 'CONSOLEWAIT'"
check "a program with one byte changed fails to verify" altered "$work/TalvexCfg.exe"
check "so does the setup program" altered "$work/TalvexSetup-$version.exe"
check "and the package with one property changed" altered "$work/TalvexAdapterConfiguration-$version.msi"

echo "--- scripts/check-release"
check "the release is this checkout's but for the signatures" eval 'scripts/check-release "$out" >"$work/check.log" 2>&1 ||
    { cat "$work/check.log"; false; }'
# A release whose console tool was built from other code, signed with the same key.
cp -r "$out" "$work/other"
cp "$build/bin/TalvexCtl.exe" "$work/other/files/"
flip_byte "$work/other/files/TalvexCtl.exe" 4096
TALVEX_SIGN_KEY=$ca/signing.pfx TALVEX_SIGN_PASSWORD=$password installer/sign "$work/other/files/TalvexCtl.exe"
(cd "$work/other" && sha256sum -- TalvexSetup-* TalvexAdapterConfiguration-* files/* >SHA256SUMS)
scripts/check-release "$work/other" >"$work/other.log" 2>&1 && echo "  check-release passed it" || true
check "a release with another console tool is refused, the tool and its offset named" \
    grep -q "TalvexCtl.exe is not .* but for the signature: signed, it differs at offset" "$work/other.log"
check "and only that program" test "$(grep -c "^same but for the signature: files/" "$work/other.log")" -eq 4

echo "--- a key on a PKCS#11 token, without a timestamp"
export SOFTHSM2_CONF=$work/softhsm2.conf
mkdir "$work/tokens"
printf 'directories.tokendir = %s\nobjectstore.backend = file\nlog.level = ERROR\n' "$work/tokens" >"$SOFTHSM2_CONF"
pin=$RANDOM$RANDOM
softhsm2-util --init-token --free --label talvex-test --pin "$pin" --so-pin "$pin$pin" >/dev/null
openssl pkcs8 -topk8 -nocrypt -in "$ca/signing.key" -out "$work/signing.p8"
softhsm2-util --import "$work/signing.p8" --token talvex-test --label signing --id 01 --pin "$pin" >/dev/null
cat "$ca/signing.pem" "$ca/ca.pem" >"$work/chain.pem"
TALVEX_SIGN_PASSWORD=$pin scripts/make-installer --build "$build" --out "$work/token" \
    --sign "pkcs11:token=talvex-test;object=signing;type=private" --certs "$work/chain.pem" \
    --pkcs11-module /usr/lib/softhsm/libsofthsm2.so >"$work/token.log" 2>&1 || cat "$work/token.log"
mapfile -t signed < <(release_files "$work/token")
check "the token's key signs every file, and each verifies" verifies "${signed[@]}"
check "make-installer says that they have no timestamp" grep -q "signing without a timestamp" "$work/token.log"
check "and they have none" timestamps_are none "${signed[@]}"

[ "$failures" -eq 0 ] || { echo "installer.signing: $failures check(s) failed"; exit 1; }
echo "installer.signing: passed"
