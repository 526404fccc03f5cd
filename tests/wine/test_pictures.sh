#!/usr/bin/env bash
# WinPicture under Wine: pictures made here (top half red, bottom half blue) in every format the
# dialog's banner and the preview accept are loaded, drawn stretched into a 20 x 20 box and come
# out upright in their own size; damaged files, other extensions and missing files load nothing.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

PICS="$WT_DIR/pics"
mkdir -p "$PICS"
cd "$PICS" || exit 1

# --- pictures --------------------------------------------------------------------------------
# One convert run writes every format (each process start costs seconds on a busy machine).
convert -size 40x15 xc:red -size 40x15 xc:blue -append -quality 95 \
    -write pic.jpg -write BMP3:pic.bmp -write pic.gif -write pic.png \
    \( +clone -interlace JPEG -write progressive.jpeg +delete \) -resize '32x32!' pic.ico
cp pic.jpg UPPER.JPG
cp pic.jpg pic.xyz
cp pic.bmp bitmap-named.jpg
head -c 400 pic.jpg >cut.jpg
printf 'not a picture' >text.jpg

# A placeable Windows metafile, 40 x 30 units at 96 units per inch, with its own window origin
# and extent as drawing programs write them: a red brush fills the top half and a blue brush the
# bottom half (PatBlt records). Built without subshells: printf -v appends to WMF.
WMF=""
le16() {
    local w
    for w in "$@"; do
        printf -v w '\\x%02x\\x%02x' $((w & 255)) $(((w >> 8) & 255))
        WMF+="$w"
    done
}
le32() { le16 $(($1 & 65535)) $((($1 >> 16) & 65535)); }
placeable=(0xCDD7 0x9AC6 0 0 0 40 30 96 0 0)
sum=0
for w in "${placeable[@]}"; do sum=$((sum ^ w)); done
le16 "${placeable[@]}" "$sum"
# Header 9 words, window origin and extent 2 x 5, two x (brush 7 + select 4 + patblt 9), end 3:
# 62 words.
le16 1 9 0x0300; le32 62; le16 2; le32 9; le16 0
le32 5; le16 0x020B 0 0                                       # SETWINDOWORG y, x
le32 5; le16 0x020C 30 40                                     # SETWINDOWEXT cy, cx
for part in 0x0000FF:0:0 0xFF0000:15:1; do
    IFS=: read -r colour top index <<<"$part"
    le32 7; le16 0x02FC 0; le32 "$colour"; le16 0             # CREATEBRUSHINDIRECT solid
    le32 4; le16 0x012D "$index"                              # SELECTOBJECT
    le32 9; le16 0x061D; le32 0x00F00021; le16 15 40 "$top" 0 # PATBLT PATCOPY h, w, y, x
done
le32 3; le16 0                                                # EOF
printf "$WMF" >pic.wmf

# --- loading ---------------------------------------------------------------------------------
files=(pic.jpg progressive.jpeg UPPER.JPG pic.bmp pic.gif pic.ico pic.wmf
       cut.jpg text.jpg bitmap-named.jpg pic.png pic.xyz missing.gif)
wt_run "$WT_DIR/probe.out" "$(wt_winpath "$SAVER_PICTURE_PROBE")" "${files[@]}"
wt_check "picture_probe exit code" "$?" 0
# One line per file: "<file> size=WxH top=RRGGBB bottom=RRGGBB" or "<file> fail". Parsed in
# bash alone: on a busy machine every extra process costs a noticeable fraction of a second.
declare -A result
while read -r name rest; do
    rest="${rest%$'\r'}"
    [ -n "$name" ] && result[$name]="$rest"
    echo "$name $rest"
done <"$WT_DIR/probe.out"

# near HEX EXPECTED: each channel within 24 of the expected colour (JPEG and resizing blur).
near() {
    [[ "$1" =~ ^[0-9A-F]{6}$ ]] || return 1
    local a=$((16#$1)) b=$((16#$2)) shift d
    for shift in 16 8 0; do
        d=$((((a >> shift) & 255) - ((b >> shift) & 255)))
        [ "${d#-}" -le 24 ] || return 1
    done
}

expect_picture() {
    local file="$1" size="$2" got="${result[$1]:-}" top bottom
    [[ "$got" =~ size=([^ ]*)\ top=([^ ]*)\ bottom=([^ ]*) ]]
    top="${BASH_REMATCH[2]:-}"
    bottom="${BASH_REMATCH[3]:-}"
    wt_check "$file size" "${BASH_REMATCH[1]:-}" "$size"
    if near "$top" FF0000 && near "$bottom" 0000FF; then
        wt_pass "$file drawn upright (red above blue)"
    else
        wt_fail "$file drawn: got '$got', expected red on top and blue below"
    fi
}

expect_picture pic.jpg 40x30
expect_picture progressive.jpeg 40x30
expect_picture UPPER.JPG 40x30
expect_picture pic.bmp 40x30
expect_picture pic.gif 40x30
expect_picture pic.ico 32x32
expect_picture pic.wmf 40x30
for f in cut.jpg text.jpg bitmap-named.jpg pic.png pic.xyz missing.gif; do
    wt_check "$f not loaded" "${result[$f]:-<no line>}" "fail"
done
