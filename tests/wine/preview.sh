# Helpers for the preview tests (sourced after lib.sh).
#
# A preview is started by preview_host (SAVER_PREVIEW_HOST), which prints one JSON line about
# the preview's child window and, in its "destroy" mode, a second one about the preview
# process's end. Places in those lines are in the preview area's client coordinates; the area
# is 152 x 112.

# pv_pack NAME [KEY=VALUE...]: "$WT_DIR/NAME.scr", the real runtime with a [Set] section of the
# given keys and the blank movie.
pv_pack() {
    local name="$1"
    shift
    wt_settings "$WT_DIR/$name.ini" "$@"
    wt_pack "$WT_DIR/$name.scr" "$SAVER_RUNTIME" "$WT_DIR/$name.ini" \
        --item "$WT_SOURCE/data/blank.swf" "${PV_ITEMS[@]}"
}
PV_ITEMS=()

# pv_load FILE: reads a host report into PV[...] with one jq run (this machine is slow at
# starting processes). Keys: found, class, styles ("CHILD CAPTION VISIBLE" as true/false),
# client_size, client_origin_ok, frame_outside, window, client, hint_tools; per control "cID.text",
# "cID.visible", "cID.size" (WxH), "cID.offset" (X,Y from the form's client origin), "cID.place"
# (X,Y in the area); from the second line: exit ("EXITED CODE"), fast (ended within 2 s), ms.
declare -A PV
pv_load() {
    local key value
    PV=()
    while IFS='=' read -r key value; do
        PV[$key]="${value%$'\r'}"
    done < <(jq -r -s '
        (.[0] // {found: false}) as $r | ($r.client // {}) as $cl |
        "found=\($r.found)", "class=\($r.class)",
        "styles=\($r.child_style) \($r.caption_style) \($r.visible)",
        "client_size=\($cl.width)x\($cl.height)",
        "client_origin_ok=\($cl.left <= 0 and $cl.top <= 0)",
        "frame_outside=\($r.window.left < $cl.left and $r.window.top < $cl.top)",
        "window=\($r.window | tojson)", "client=\($cl | tojson)", "hint_tools=\($r.hint_tools)",
        ($r.controls // [] | .[] | "c\(.id).text=\(.text)", "c\(.id).visible=\(.visible)",
            "c\(.id).size=\(.width)x\(.height)",
            "c\(.id).offset=\(.left - $cl.left),\(.top - $cl.top)",
            "c\(.id).place=\(.left),\(.top)"),
        (.[1] // {} | "exit=\(.exited) \(.exit_code)", "fast=\(.ms < 2000)", "ms=\(.ms)")
        ' "$1" 2>/dev/null)
    [ -n "${PV[found]:-}" ] || PV[found]="<no json>"
}

# pv_run OUT SCREENSAVER MODE: preview_host on the screensaver, its report in OUT; a host that
# does not end with exit code 0 is a failed check (its report, if any, says why).
pv_run() {
    wt_run "$1" "$SAVER_PREVIEW_HOST" "$2" "$3"
    local rc=$?
    [ "$rc" -eq 0 ] || wt_fail "preview_host $2 $3: exit code $rc ($(tr -d '\r' <"$1.err" | tail -1))"
}

# pv_get KEY: PV[KEY], or "<none>" when the report had no such value.
pv_get() { echo "${PV[$1]-<none>}"; }

# pv_check_child WHAT FILE CLASS: loads the report and checks that it found a visible child
# window of CLASS with caption and frame whose client area covers the whole preview area with
# 10 pixels to spare.
pv_check_child() {
    local what="$1" file="$2"
    pv_load "$file"
    if [ "$(pv_get found)" != true ]; then
        wt_fail "$what: no preview window ($(head -c 300 "$file"))"
        return 1
    fi
    wt_check "$what: form class" "$(pv_get class)" "$3"
    wt_check "$what: WS_CHILD of the area, caption kept, visible" "$(pv_get styles)" "true true true"
    wt_check "$what: client area 10 px larger than the area" "$(pv_get client_size)" "162x122"
    wt_check "$what: client area starts above and left of the area" "$(pv_get client_origin_ok)" true
    wt_check "$what: caption and frame outside the area" "$(pv_get frame_outside)" true
    echo "     ($what: window $(pv_get window), client $(pv_get client))"
}

# pv_check_destroyed WHAT: (after pv_check_child) the preview process ended with exit code 0
# within 2 s of the host destroying its window.
pv_check_destroyed() {
    wt_check "$1: preview ends with the host's window" "$(pv_get exit)" "true 0"
    wt_check "$1: within 2 s" "$(pv_get fast)" true
    echo "     ($1: ended $(pv_get ms) ms after the host's window was destroyed)"
}

# pv_short_name FOLDER LONG_NAME: the 8.3 name Wine gives the file in FOLDER (a C: folder).
pv_short_name() {
    local line rest
    while IFS= read -r line; do
        line="${line%$'\r'}"
        [[ "$line" == *" $2" ]] || continue
        rest="${line% "$2"}"
        echo "${rest##* }"
    done < <(cd "$1" && timeout -k 5 30 wine cmd /c dir /x 2>/dev/null)
}

# pv_running PATTERN: 1 while a process whose command line holds PATTERN runs.
pv_running() { pgrep -f -- "$1" >/dev/null && echo 1 || echo 0; }
