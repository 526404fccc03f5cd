# Helpers for Wine tests that play movies in the test control (source after lib.sh, call after
# wt_begin). The control writes its call log to $TESTCONTROL_LOG (a Windows path), one line
# per call: "put NAME VALUE", "get NAME VALUE", "call NAME" and the OLE calls of the host.

TC_CLSID='{D27CDB6E-AE6D-11CF-96B8-444553540000}'

# tc_register [DLL]: the test control becomes the Flash control of this prefix. DLL defaults to
# SAVER_TESTCONTROL (file version 11.2.202.0, a control that plays); SAVER_TESTCONTROL_BLOCKED
# is the same control as version 32.0.0.371, which the runtime must pass over.
tc_register() {
    local key="HKCR\\CLSID\\$TC_CLSID\\InprocServer32"
    wt_reg add "$key" /ve /d "$(wt_winpath "${1:-$SAVER_TESTCONTROL}")" /f &&
        wt_reg add "$key" /v ThreadingModel /d Apartment /f || wt_fail "register the test control"
}

# tc_le16 N: two little-endian bytes as printf escapes.
tc_le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8)); }

# tc_swf FILE RATE88 FRAMES [CWS]: a header-only movie (empty RECT, an End tag) with the frame
# rate as 8.8 fixed point (frames/s x 256). CWS: the body in one stored zlib block.
tc_swf() {
    local body="\\x00$(tc_le16 "$2")$(tc_le16 "$3")\\x00\\x00"
    if [ "${4:-}" == CWS ]; then
        printf "CWS\\x06\\x0f\\x00\\x00\\x00\\x78\\x01\\x01\\x07\\x00\\xf8\\xff$body" >"$1"
    else
        printf "FWS\\x06\\x0f\\x00\\x00\\x00$body" >"$1"
    fi
}
