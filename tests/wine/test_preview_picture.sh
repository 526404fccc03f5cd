#!/usr/bin/env bash
# The picture preview inside a host's preview area: a packed BMP and a JPEG beside a bare
# runtime fill the 152 x 112 area exactly with the picture box; a picture that cannot be decoded
# shows the title instead; a picture that is asked for but missing gives the name preview.
# What the picture box draws is checked by pixels in test_preview_toplevel.sh (a child window of
# another process does not show in Xvfb screenshots).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/preview.sh"
wt_begin

convert -size 300x60 xc:red xc:blue +append BMP3:"$WT_DIR/wide.bmp"
convert -size 40x200 xc:lime -quality 95 "$WT_DIR/tall.jpg"
head -c 2000 /dev/urandom >"$WT_DIR/broken.jpg"

# check_picture WHAT FILE: the picture box covers the area and the title stays hidden.
check_picture() {
    pv_check_child "$1" "$2" TCommercePreviewForm || return
    wt_check "$1: picture box on the area's origin" "$(pv_get c103.place)" "0,0"
    wt_check "$1: picture box 152x112 at 4,4" "$(pv_get c103.size) $(pv_get c103.offset)" \
        "152x112 4,4"
    wt_check "$1: picture box visible, title hidden" \
        "$(pv_get c103.visible) $(pv_get c101.visible)" "true false"
    pv_check_destroyed "$1"
}

# --- a packed BMP ------------------------------------------------------------------------------
PV_ITEMS=(--item "$WT_DIR/wide.bmp")
pv_pack "Packed Picture" "Build_UseStaticPreview=1" "Build_StaticImage=C:\\art\\wide.bmp" || exit 1
out="$WT_DIR/packed.json"
pv_run "$out" "$(wt_winpath "$WT_DIR/Packed Picture.scr")" destroy
check_picture "packed BMP" "$out"

# --- a JPEG on disk beside a bare runtime -------------------------------------------------------
cp "$SAVER_RUNTIME" "$WT_DIR/Bare Picture.scr"
printf '[Set]\r\nBuild_UseStaticPreview=1\r\nBuild_StaticImage=%s\r\n' \
    "$(wt_winpath "$WT_DIR/tall.jpg")" >"$WT_DIR/Bare Picture.002"
out="$WT_DIR/bare.json"
pv_run "$out" "$(wt_winpath "$WT_DIR/Bare Picture.scr")" destroy
check_picture "JPEG on disk" "$out"

# --- a picture that cannot be decoded: the title in its place --------------------------------
PV_ITEMS=(--item "$WT_DIR/broken.jpg")
pv_pack "Broken Picture" "Build_UseStaticPreview=1" "Build_StaticImage=broken.jpg" || exit 1
out="$WT_DIR/broken.json"
pv_run "$out" "$(wt_winpath "$WT_DIR/Broken Picture.scr")" destroy
pv_check_child "undecodable" "$out" TCommercePreviewForm
wt_check "undecodable: title shown" "$(pv_get c101.visible) $(pv_get c101.text)" \
    "true Broken Picture"
wt_check "undecodable: title at 8,8" "$(pv_get c101.offset)" "8,8"
pv_check_destroyed "undecodable"

# --- asked for, but missing: the name preview --------------------------------------------------
PV_ITEMS=()
pv_pack "Missing Picture" "Build_UseStaticPreview=1" "Build_StaticImage=nowhere.jpg" || exit 1
out="$WT_DIR/missing.json"
pv_run "$out" "$(wt_winpath "$WT_DIR/Missing Picture.scr")" destroy
pv_check_child "missing picture" "$out" TOtherPreviewForm
wt_check "missing picture: title" "$(pv_get c101.text)" "Missing Picture"
pv_check_destroyed "missing picture"
