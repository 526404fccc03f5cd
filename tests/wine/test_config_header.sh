#!/usr/bin/env bash
# What the settings dialog shows around its pages: the pages left by NoUserSetting with and
# without a readme, the e-mail address in the header, the banner picture, the maker's credit
# and the download time of web movies.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/config_dialog.sh"
wt_begin

# A banner picture where a runtime without payload looks for it: "sample\" beside the program.
mkdir -p "$WT_DIR/sample"
convert -size 468x60 xc:navy "BMP3:$WT_DIR/sample/banner.bmp"
scr="$WT_DIR/Aqua.scr"
cp "$SAVER_RUNTIME" "$scr"

# look INI_LINES...: opens the dialog over a settings file of these lines (under [Set] unless
# a line starts another section) and closes it again; the dump is in $WT_DIR/dump.json.
look() {
    printf '[Set]\r\n' >"$WT_DIR/Aqua.002"
    printf '%s\r\n' "$@" >>"$WT_DIR/Aqua.002"
    wt_start "$WT_DIR/run.out" "$(wt_winpath "$scr")" /c
    RUN=$WT_PID
    probe wait dump close >"$WT_DIR/dump.json"
    ended
}
visible() { local id out=""; for id in "$@"; do out+="$(ctl "$id" .visible) "; done; echo "${out% }"; }

# No user settings and no readme: no tab at all. The banner is found but switched off.
look NoUserSetting=1 Build_BannerImage=banner.bmp Build_UseBanner=0 Author=Ann \
    ScrEmail=ann@aqua.example
wt_check "NoUserSetting without readme: no tab" "$(ctl 2104 .count)" "0"
wt_check "NoUserSetting: options and exit pages hidden" "$(visible 2201 2301)" "false false"
wt_check "banner switched off: hidden" "$(visible 2103)" "false"
wt_check "e-mail only: shown in the web site label" "$(ctl 2102 .text)" "ann@aqua.example"
wt_check "author stays on its row" "$(ctl 2101 '.rect[1]')" "28"

# Banner on, over the title; the maker's credit hidden; a web movie shows the download time.
look Build_BannerImage=banner.bmp Build_UseBanner=1 Build_HideTitle=1 HideKestroText=1 \
    Author=Ann Website=www.aqua.example ScrEmail=ann@aqua.example \
    "[Flash]" "a.swf=1" "(URL) HTTP://movies.example/a.swf=1"
wt_check "banner shown" "$(visible 2103)" "true"
wt_check "banner fills the header box" "$(ctl 2103 '.rect | map(tostring) | join(",")')" "18,14,468,60"
wt_check "credit hidden" "$(visible 2105 2106)" "false false"
wt_check "web site without scheme kept as is" "$(ctl 2102 .text)" "www.aqua.example"
wt_check "all three tabs" "$(ctl 2104 .count)" "3"
wt_check "web movie: download time shown" "$(visible 2211 2212 2213)" "true true true"

# Neither web site nor e-mail: the author moves down to the web site's row. A banner entry
# that is not found leaves the header as designed.
look Author=Ann Build_BannerImage=missing.bmp Build_UseBanner=1
wt_check "author on the web site's row" "$(ctl 2101 '.rect[1]')" "48"
wt_check "missing banner: header as designed" "$(visible 2103)" "true"
wt_check "credit shown" "$(visible 2105 2106)" "true true"
wt_check "no web movie: no download time" "$(visible 2211 2212 2213)" "false false false"

# No user settings with a readme: only the readme tab, packed in a finished screensaver.
wt_settings "$WT_DIR/saver.ini" ScrName=Reef NoUserSetting=1
wt_pack "$WT_DIR/Reef.scr" "$SAVER_RUNTIME" "$WT_DIR/saver.ini" \
    --item "$WT_SOURCE/data/blank.swf" --item "$WT_SOURCE/data/shots_readme.txt=readme.txt" ||
    exit 1
wt_start "$WT_DIR/run.out" "$(wt_winpath "$WT_DIR/Reef.scr")" /c
RUN=$WT_PID
probe wait dump close >"$WT_DIR/dump.json"
ended
wt_check "NoUserSetting with readme: one tab" "$(ctl 2104 .count)" "1"
wt_check "the readme shows" "$(visible 2400) $(ctl 2400 '.text | split("\r\n")[0]')" "true Deep Blue Sea"
