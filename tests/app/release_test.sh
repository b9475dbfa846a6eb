#!/usr/bin/env bash
# The release, end to end, with a throwaway certificate made here (never committed):
#
#   release_test.sh SOURCE_DIR BUILD_DIR UNINSTALL_EXE x86|x64
#
# - tools/release refuses a wrong password, a missing file and a certificate that is not for
#   code signing, before it builds anything, and never shows the password;
# - it builds Uninstall.exe in a clean folder of its own and signs it: the signature verifies
#   against the throwaway CA (and not against another CA), with SHA-256, the program's name
#   and the vendor's URL;
# - without its signature the program is the same bytes as this build folder's own
#   UNINSTALL_EXE: two builds in two folders are identical;
# - the signed program starts and prints its usage for /?.
#
# The shipped program is 32-bit. In a 64-bit build (x64) the 64-bit program stands in, signed
# the same way, where the host runs no 32-bit code (tools/host-32bit); where it does, the
# 32-bit build's run of this test covers the release and this one is skipped (exit 77).
set -u
source_dir=$1
build_dir=$2
own_exe=$3
arch=$4

if [ "$arch" = x64 ] && "$source_dir/tools/host-32bit"; then
    echo "SKIPPED: this host runs 32-bit code; the 32-bit build's release_test checks the release."
    exit 77
fi

work=$build_dir/release-test
rm -rf "$work"
mkdir -p "$work"
cd "$work"

failures=0
check() { # check DESCRIPTION COMMAND...
    local description=$1
    shift
    if "$@"; then
        echo "ok: $description"
    else
        echo "FAILED: $description"
        failures=$((failures + 1))
    fi
}
fatal() {
    echo "FAILED: $*"
    exit 1
}

# The throwaway certificates: a CA, a code-signing certificate it issued, one for a web
# server instead, and a second CA that issued neither.
certificate_authority() { # NAME
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.crt" -days 2 \
        -subj "/CN=$1" -addext basicConstraints=critical,CA:TRUE \
        -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
}
leaf() { # NAME SUBJECT EXTENDED_KEY_USAGE
    openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "$2" 2>/dev/null &&
        printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' \
            "$3" >"$1.ext" &&
        openssl x509 -req -in "$1.csr" -CA throwaway-ca.crt -CAkey throwaway-ca.key \
            -CAcreateserial -out "$1.crt" -days 2 -extfile "$1.ext" 2>/dev/null &&
        openssl pkcs12 -export -in "$1.crt" -inkey "$1.key" -certfile throwaway-ca.crt \
            -out "$1.pfx" -passout file:password
}
umask 077
# A password with a space and a quote, on one line with its newline, as an editor saves it.
echo "throwaway \"$(openssl rand -hex 12)\"" >password
password=$(cat password)
echo "not the password" >wrong-password
certificate_authority throwaway-ca || fatal "openssl made no CA"
certificate_authority other-ca || fatal "openssl made no second CA"
leaf signer "/CN=Corvina Release Test/O=Corvina" codeSigning || fatal "openssl made no signer"
leaf webserver "/CN=www.corvina.example" serverAuth || fatal "openssl made no server certificate"

release() { # LOG VARIABLE=VALUE...: tools/release with these settings
    local log=$1
    shift
    env "$@" RELEASE_ARCH="$arch" DIST_DIR="$work/dist" SIGN_CA_FILE="$work/throwaway-ca.crt" \
        bash "$source_dir/tools/release" >"$log" 2>&1
}
refuses() { # LOG EXPECTED_MESSAGE VARIABLE=VALUE...: tools/release fails, saying so, at once
    local log=$1 expected=$2
    shift 2
    if release "$log" "$@"; then
        echo "tools/release succeeded:"
        cat "$log"
        return 1
    fi
    grep -q -- "$expected" "$log" || { echo "no '$expected' in:"; cat "$log"; return 1; }
    ! grep -qF -- "$password" "$log" || { echo "the password is in its output"; return 1; }
    [ ! -e dist/Uninstall.exe ] || { echo "it left a program in dist/"; return 1; }
}
check "a wrong password is refused" refuses wrong-password.log "wrong password" \
    SIGN_PFX=signer.pfx SIGN_PASSWORD_FILE=wrong-password
check "a missing certificate file is refused" refuses missing-pfx.log "no such file" \
    SIGN_PFX=missing.pfx SIGN_PASSWORD_FILE=password
check "a missing password file is refused" refuses missing-password.log "no such file" \
    SIGN_PFX=signer.pfx SIGN_PASSWORD_FILE=missing-password
check "a certificate without code signing is refused" refuses webserver.log "not for code signing" \
    SIGN_PFX=webserver.pfx SIGN_PASSWORD_FILE=password

# The release itself: a clean build of its own, signed.
if ! release release.log SIGN_PFX=signer.pfx SIGN_PASSWORD_FILE=password; then
    cat release.log
    fatal "tools/release failed"
fi
cat release.log
check "the release names the signer" grep -q "^Certificate subject: .*CN=Corvina Release Test" release.log
check "the release shows the digest" grep -q "^Authenticode digest: SHA-256 [0-9A-F]\{64\}$" release.log
check "the password is nowhere in the release's output" bash -c '! grep -qF -- "$1" release.log' - "$password"
check "the password is in no file of dist/" bash -c '! grep -rqF -- "$1" dist' - "$password"
check "SHA256SUMS holds the program's hash" bash -c 'cd dist && sha256sum --quiet -c SHA256SUMS'

osslsigncode verify -CAfile throwaway-ca.crt -in dist/Uninstall.exe >verify.log 2>&1
verified=$?
cat verify.log
check "the signature verifies against the throwaway CA" [ $verified = 0 ]
check "it is a SHA-256 signature" grep -q "^Message digest algorithm *: SHA256" verify.log
check "it carries the program's name" grep -q "Text description: Corvina Uninstall$" verify.log
check "it carries the vendor's URL" grep -q "URL description: https://www.corvina.example/$" verify.log
check "the signature does not verify against another CA" \
    bash -c '! osslsigncode verify -CAfile other-ca.crt -in dist/Uninstall.exe >/dev/null 2>&1'

osslsigncode remove-signature -in dist/Uninstall.exe -out unsigned.exe >/dev/null 2>&1 ||
    fatal "osslsigncode could not remove the signature"
if cmp -s unsigned.exe "$own_exe"; then
    echo "ok: two builds in two folders are identical: $(sha256sum <"$own_exe" | cut -d' ' -f1)"
else
    echo "FAILED: the release's program, without its signature, differs from $own_exe:"
    cmp -l unsigned.exe "$own_exe" | head -20
    failures=$((failures + 1))
fi

# The signed program runs: it prints its usage to the pipe it was given.
"$source_dir/tools/wine-run" --prefix "$build_dir/wineprefix" "$work/dist/Uninstall.exe" '/?' \
    >usage.txt 2>usage.err
started=$?
cat usage.txt
check "the signed program ends with 0 after /?" [ $started = 0 ]
check "the signed program prints its usage" grep -qF 'Uninstall.exe [/S | /quiet] [/LOG="path"] [/?]' usage.txt

if [ $failures != 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "All checks passed."
