#!/usr/bin/env bash
# "/p" followed by something that is not a window handle: the preview form opens as an ordinary
# top-level window at its design place and size, with caption and frame, and shows on the
# screen, so its drawing is checked by pixels here: the title and the credit of the name
# preview, and the picture preview's picture stretched to exactly 152 x 112. Closing the window
# ends the program. A number that names no window ends it at once with exit code 1.
#
# With SAVER_PREVIEW_SHOT set, the name preview's window is also saved there as a PNG (see
# shots_preview.sh).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/preview.sh"
wt_begin

# top_window NAME: the visible X window of that name (empty when none appeared within 15 s).
top_window() {
    local i w
    for i in $(seq 1 150); do
        w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.1
    done
    return 1
}

# geometry WINDOW: "X,Y WxH" of an X window.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x "," y " " w "x" h }'
}

# pixel FILE X Y: "R,G,B" of a screenshot's pixel.
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }

# drawn FILE WxH+X+Y: the bounding box "WxH+X+Y" of what is not black inside that region
# (coordinates relative to the region), "none" when it is all black.
drawn() {
    local box
    box=$(convert "$1" -crop "$2" +repage -fuzz 8% -trim -format '%wx%h%X%Y' info: 2>/dev/null)
    case "$box" in 1x1*) echo none ;; *) echo "$box" ;; esac
}

# close_preview PID: Alt+F4 to the focused window (the preview); RC := the exit code
# ("running" if it went on). The key goes through the X test extension, not to a window by
# XSendEvent, so that it cannot reach a window started after this one.
close_preview() {
    wt_xdo key alt+F4
    RC=running
    for _ in $(seq 1 50); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            RC=$?
            return
        fi
        sleep 0.1
    done
}

# --- the name preview ----------------------------------------------------------------------------
pv_pack "Deep Sea Dreams" "HideKestroText=0" || exit 1
wt_start "$WT_DIR/name.out" "$(wt_winpath "$WT_DIR/Deep Sea Dreams.scr")" /p notanumber
pid=$WT_PID
if w=$(top_window "Deep Sea Dreams"); then
    wt_check "name: design place and size" "$(geometry "$w")" "360,233 517x392"
    sleep 0.5
    shot="$WT_DIR/name.png"
    import -display "$DISPLAY" -window root "$shot"
    convert "$shot" -crop 517x392+360+233 +repage "$WT_DIR/preview.png"
    [ -n "${SAVER_PREVIEW_SHOT:-}" ] && cp "$WT_DIR/preview.png" "$SAVER_PREVIEW_SHOT"
    # The client area starts inside the 4-pixel frame, under the caption.
    client_x=364 client_y=256
    wt_check "name: caption drawn above the client area" \
        "$([ "$(drawn "$shot" 509x23+364+233)" != none ] && echo yes)" yes
    wt_check "name: black client area" "$(pixel "$shot" $((client_x + 300)) $((client_y + 200)))" \
        "0,0,0"
    title="$(drawn "$shot" 143x79+$((client_x + 8))+$((client_y + 12)))"
    wt_check "name: title drawn in its box" "$([ "$title" != none ] && echo yes)" yes
    wt_check "name: title in white" "$(convert "$shot" -crop 143x79+$((client_x + 8))+$((client_y + 12)) \
        +repage -format '%[fx:int(255*maxima.r)]' info:)" 255
    credit_colours="$(convert "$shot" -crop 200x16+$((client_x + 36))+$((client_y + 95)) +repage \
        -unique-colors txt: | grep -c -i '#D8D8D8')"
    wt_check "name: credit in light grey" "$credit_colours" 1
    close_preview "$pid"
    wt_check "name: closing the window ends it with exit code 0" "$RC" 0
else
    wt_fail "name: no top-level window"
fi

# --- the picture preview -----------------------------------------------------------------------
convert -size 300x60 xc:red xc:blue +append BMP3:"$WT_DIR/wide.bmp"
PV_ITEMS=(--item "$WT_DIR/wide.bmp")
pv_pack "Top Level Picture" "Build_UseStaticPreview=1" "Build_StaticImage=wide.bmp" || exit 1
wt_start "$WT_DIR/picture.out" "$(wt_winpath "$WT_DIR/Top Level Picture.scr")" /p xyz
pid=$WT_PID
if w=$(top_window "Top Level Picture"); then
    geo="$(geometry "$w")"
    wt_check "picture: design size" "${geo#* }" "696x480"
    sleep 0.5
    shot="$WT_DIR/picture.png"
    import -display "$DISPLAY" -window root "$shot"
    x="${geo%%,*}" y="${geo#*,}"
    y="${y%% *}"
    client_x=$((x + 4)) client_y=$((y + 23))
    # Stretched over exactly 152 x 112 at (4, 4), aspect ratio not kept: red left, blue right.
    wt_check "picture: drawn over 152x112 at 4,4" \
        "$(drawn "$shot" 300x200+$client_x+$client_y)" "152x112+4+4"
    wt_check "picture: left half red, right half blue" \
        "$(pixel "$shot" $((client_x + 4 + 70)) $((client_y + 60))) $(pixel "$shot" $((client_x + 4 + 82)) $((client_y + 60)))" \
        "255,0,0 0,0,255"
    close_preview "$pid"
    wt_check "picture: closing the window ends it with exit code 0" "$RC" 0
else
    wt_fail "picture: no top-level window"
fi

# --- a number that names no window -------------------------------------------------------------
WT_TIMEOUT=15 wt_run "$WT_DIR/nowindow.out" "$(wt_winpath "$WT_DIR/Deep Sea Dreams.scr")" /p 123456789
wt_check "no such parent: ends with exit code 1" "$?" 1
