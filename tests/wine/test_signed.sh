#!/usr/bin/env bash
# A finished screensaver signed with a code signature, which puts the certificate table behind
# the settings archive: it starts, plays its movies in the test control and resolves every
# item; saverpack inspect reads it; saverpack upgrade moves its payload onto the runtime and
# drops the signature, saying so. The certificate is a throw-away one made here.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/fullscreen.sh"
wt_begin
tc_register

workspace="$(wt_tempdir)/Kestro"
tc_swf "$WT_DIR/first_overrun.swf" $((20 * 256)) 5
tc_swf "$WT_DIR/second_overrun.swf" $((20 * 256)) 5 CWS
printf '<resource/>' >"$WT_DIR/res.xml"
cat >"$WT_DIR/saver.ini" <<'INI'
[Set]
ScrName=Signed Show
MouseMove=0
MousePress=0
KeyboardPress=1
FlashSequence=0

[Flash]
first_overrun.swf=1
second_overrun.swf=1
(Resource) res.xml=1
INI
fs_pack "Unsigned Show" "$WT_DIR/saver.ini" "$WT_DIR/first_overrun.swf" \
    "$WT_DIR/second_overrun.swf:zip" "$WT_DIR/res.xml:zip" || exit 1

signed="$WT_DIR/Signed Show.scr"
if ! openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throwaway Test Signer" \
    -keyout "$WT_DIR/key.pem" -out "$WT_DIR/cert.pem" >"$WT_DIR/sign.log" 2>&1 ||
    ! osslsigncode sign -certs "$WT_DIR/cert.pem" -key "$WT_DIR/key.pem" -n "Signed Show" \
        -in "$WT_DIR/Unsigned Show.scr" -out "$signed" >>"$WT_DIR/sign.log" 2>&1; then
    cat "$WT_DIR/sign.log"
    wt_fail "sign the screensaver"
    exit 1
fi
unsigned_size=$(stat -c %s "$WT_DIR/Unsigned Show.scr")
wt_check "the signature follows the settings archive" \
    "$(($(stat -c %s "$signed") > unsigned_size + 500))" 1
wt_check "the payload bytes are unchanged" \
    "$(cmp <(tail -c +1025 "$WT_DIR/Unsigned Show.scr") <(tail -c +1025 "$signed" |
        head -c $((unsigned_size - 1024))) >/dev/null && echo same)" same

# The signed file plays both movies, and every item is in the workspace.
fs_start Signed "$signed" /s
pid=$WT_PID
if win=$(fs_window "Signed Show"); then
    sleep 2
    wt_check "signed: still playing" "$(fs_alive "$pid")" 1
    wt_check "signed: both movies played in order" "$(fs_movies Signed | cut -d' ' -f1-3)" \
        "first_overrun.swf second_overrun.swf first_overrun.swf"
    for file in first_overrun.swf second_overrun.swf res.xml "Unsigned Show.002"; do
        wt_check "signed: $file extracted" "$([ -f "$workspace/$file" ] && echo yes)" yes
    done
    fs_escape "$win" "$pid"
    wt_check "signed: Esc ends it with exit code 0" "$FS_RC" 0
else
    wt_fail "signed: no window ($(cat "$WT_DIR/Signed.out.err" 2>/dev/null | tail -1))"
fi

# The host tool reads it and moves its payload, without the signature.
if "$SAVERPACK" inspect "$signed" --json --resolve >"$WT_DIR/signed.json" 2>"$WT_DIR/inspect.err"; then
    wt_pass "inspect: reads the signed file"
else
    wt_fail "inspect: $(cat "$WT_DIR/inspect.err")"
fi
wt_check "inspect --resolve: every movie resolves" \
    "$(wt_json "$WT_DIR/signed.json" '[.resolved[] | .ok] | tostring')" "[true,true]"
if "$SAVERPACK" upgrade "$signed" -o "$WT_DIR/Upgraded.scr" --runtime "$SAVER_RUNTIME" \
    >"$WT_DIR/upgrade.out" 2>&1; then
    wt_pass "upgrade: done"
else
    wt_fail "upgrade: $(cat "$WT_DIR/upgrade.out")"
fi
wt_check "upgrade: says the signature is dropped" "$(grep -c '^dropped: ' "$WT_DIR/upgrade.out")" 1
"$SAVERPACK" inspect "$WT_DIR/Upgraded.scr" --json --resolve >"$WT_DIR/upgraded.json" 2>&1 ||
    wt_fail "inspect the upgraded file"
wt_check "upgraded: every movie resolves" \
    "$(wt_json "$WT_DIR/upgraded.json" '[.resolved[] | .ok] | tostring')" "[true,true]"
# Onto the runtime it was packed on: the unsigned file again, byte for byte.
wt_check "upgraded: the unsigned file again" \
    "$(cmp "$WT_DIR/Upgraded.scr" "$WT_DIR/Unsigned Show.scr" >/dev/null 2>&1 && echo same)" same
