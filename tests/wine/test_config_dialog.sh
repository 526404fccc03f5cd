#!/usr/bin/env bash
# The settings dialog of a runtime without a payload (settings file beside the program): its
# caption, title, size and place, the controls as the settings file sets them, the enabling
# rule of the exit conditions, and Cancel storing nothing.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/config_dialog.sh"
wt_begin

scr="$WT_DIR/Aqua.scr"
ini="$WT_DIR/Aqua.002"
cp "$SAVER_RUNTIME" "$scr"
cat >"$ini" <<'INI'
[Set]
ScrName=Deep Blue Sea
Author=Ann Example
Website=http://www.aqua.example/
FlashSequence=2
FlashSize=1
FlashQuality=3
FlashColor=255
FlashMute=1
MouseMove=1
MousePress=0
KeyboardPress=1
ShowCursor=0
OnlyEscKeyExit=0
[Flash]
(URL) http://movies.example/a.swf=1
INI
original="$(md5sum <"$ini")"


open_dialog "$scr" /c
d="$WT_DIR/dump.json"
wt_check "caption" "$(wt_json "$d" .caption)" "Zivuv Eredo Setting - Deep Blue Sea"
wt_check "client 503 x 350" "$(wt_json "$d" '.client | map(tostring) | join("x")')" "503x350"
wt_check "centred" "$(wt_json "$d" '((.screen[0]-.window[2])/2 - .window[0] | fabs) < 2 and ((.screen[1]-.window[3])/2 - .window[1] | fabs) < 2')" "true"
wt_check "title" "$(ctl 2100 .text)" "Deep Blue Sea"
wt_check "author" "$(ctl 2101 .text)" "Ann Example"
wt_check "web site without the scheme" "$(ctl 2102 .text)" "www.aqua.example/"
for id in 2101 2102; do
    wt_check "label $id ends at x=476" "$(wt_json "$d" ".controls[\"$id\"].rect | .[0] + .[2]")" "476"
done
wt_check "tabs" "$(ctl 2104 '.count')" "3"
wt_check "buttons" "$(ctl 1 .text)|$(ctl 2 .text)" "&OK|&Cancel"
wt_check "credit" "$(ctl 2105 .text)|$(ctl 2105 .visible)|$(ctl 2106 .visible)" "- Powered by|true|true"

# Options page: one row per control, "id;field;expected".
while IFS=';' read -r id field expected; do
    wt_check "control $id $field" "$(ctl "$id" "$field")" "$expected"
done <<'TABLE'
2201;.text;In Order
2202;.text;Shuffle
2203;.text;Intelligent Random
2201;.checked;false
2202;.checked;false
2203;.checked;true
2206;.items | join(",");Fullscreen,Extact Fit,Original
2206;.selected;1
2208;.items | join(",");Low,High,Auto Low,Auto High
2208;.selected;3
2210;.items[0];Black
2210;| .items[.selected];Red
2211;.text;Max download waiting time (for web flash):
2211;.visible;true
2212;.text;20
2213;.position;20
2214;.text;Mute Sound
2214;.checked;true
2301;.text;Mouse Move Event
2302;.text;Mouse Button Press
2303;.text;Keyboard Button Press
2304;.text;Show mouse cursor && Ignore mouse events
2305;.text;Exit only when press ESC key 
2301;.checked;true
2302;.checked;false
2303;.checked;true
2304;.checked;false
2305;.checked;false
2301;.enabled;true
TABLE

# "Exit only when press ESC key " greys the three exit boxes and keeps their ticks; clearing
# it enables them again.
probe tab 1 click 2305 dump >"$d"
wt_check "Esc only: boxes greyed" "$(ctl 2301 .enabled),$(ctl 2302 .enabled),$(ctl 2303 .enabled)" "false,false,false"
wt_check "Esc only: ticks kept" "$(ctl 2301 .checked),$(ctl 2302 .checked),$(ctl 2303 .checked)" "true,false,true"
probe click 2305 click 2304 dump >"$d"
wt_check "show cursor: boxes greyed" "$(ctl 2301 .enabled)" "false"
probe click 2304 dump >"$d"
wt_check "neither: boxes enabled" "$(ctl 2301 .enabled),$(ctl 2303 .enabled)" "true,true"

# Cancel stores nothing, even after changes.
probe click 2301 click 2
ended
wt_check "Cancel ends the program" "$RC" "0"
wt_check "Cancel stores nothing" "$(md5sum <"$ini")" "$original"
