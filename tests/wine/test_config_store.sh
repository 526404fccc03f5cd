#!/usr/bin/env bash
# OK stores the dialog of a runtime without a payload: a settings file beside the program that
# holds every key the save writes, with the values chosen, and no registry values.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/config_dialog.sh"
wt_begin

# Keys a save writes, as "Section:Key".
WRITTEN="Set:ImageSize Set:ImageSequence Set:FlashSequence Set:VideoSequence Set:WebSequence
Set:AllowReverseTransition Set:ClearOldImage Set:PlayMusic Set:RandomMusic Set:LoopMusic
Set:ImageInterval Set:BackgroundColor Set:EffectSpeed2 Set:PicturePath Set:MusicPath
Caption:Position Caption:ForceHide Caption:X Caption:Y Caption:FontName Caption:FontSize
Caption:FontColor Caption:FontBold Caption:FontItalic Caption:FontUnderline
Caption:FontStrikeout Set:MouseMove Set:MousePress Set:KeyboardPress Set:ShowCursor
Set:OnlyEscKeyExit Set:FlashMute Set:FlashSize Set:FlashQuality Set:FlashColor
Set:FlashStopTime Set:FlashDownloadTime Set:FlashPreview Set:VideoMute Set:VideoSize
Set:VideoDownloadTime Set:VideoShowStatus Set:VideoPreview Set:WebImage Set:WebSound
Set:WebVideo Set:WebScript Set:WebActiveX Set:WebOffline Set:WebHideScrollBar Set:WebFlatBorder
Set:WebStopPopup Set:WebInterval Set:WebMaxInterval Set:WebShowStatus Set:WebLastPage
Set:ScrName Set:RandomPosition Set:BuildName Set:BuildAuthor Set:BuildWebsite Set:BuildEmail
Set:IconFile Set:ImageEncrypt Set:HideKestroText Set:Build_NotCreateIcons
Set:Build_DisableSetupPrompt Set:NoUserSetting Set:Build_ReadmeText Set:Back_Mode_UseColor
Set:Back_Image_UseTiled Set:Back_Image_Filename Set:Back_Image_Path Set:MediaPlayerMp3
Set:TransparentMode Set:TransparentModeColor Set:ShowSplash Set:SplashImage
Set:ImageSameMonitor Set:FlashSameMonitor Set:VideoSameMonitor Set:WebSameMonitor"

# ini_value FILE SECTION KEY: the value of a key (sections and keys without regard to case).
ini_value() {
    tr -d '\r' <"$1" | awk -F= -v sec="$2" -v key="$3" '
        /^\[/ { cur = tolower(substr($0, 2, length($0) - 2)); next }
        cur == tolower(sec) && tolower($1) == tolower(key) { sub(/^[^=]*=/, ""); print; exit }'
}
# reg_values PROGRAM_NAME: "name type data" of every value stored for a program file.
reg_values() { wt_reg_values "HKCU\\Software\\Orvanta\\$1"; }

# --- no payload, no settings file: OK creates it -----------------------------------------------
scr="$WT_DIR/Bare.scr"
ini="$WT_DIR/Bare.002"
cp "$SAVER_RUNTIME" "$scr"
open_dialog "$scr" /c
# Options: Shuffle, "Original", "Low", Navy, 45 s, muted; exit: mouse move, Esc only.
probe click 2202 select 2206 2 select 2208 0 select 2210 4 settext 2212 45 click 2214 \
    tab 1 click 2301 click 2305 click 1
ended
wt_check "OK ends the program" "$RC" "0"
if [ -f "$ini" ]; then
    missing=""
    for k in $WRITTEN; do
        [ -n "$(ini_value "$ini" "${k%%:*}" "${k#*:}")" ] || grep -qi "^${k#*:}=" "$ini" ||
            missing+=" $k"
    done
    wt_check "every written key is in the new file" "$missing" ""
    got=""
    for k in FlashSequence FlashSize FlashQuality FlashColor FlashDownloadTime FlashMute \
        MouseMove MousePress KeyboardPress ShowCursor OnlyEscKeyExit; do
        got+="$k=$(ini_value "$ini" Set "$k") "
    done
    wt_check "stored values" "$got" "FlashSequence=1 FlashSize=2 FlashQuality=0 FlashColor=8388608 FlashDownloadTime=45 FlashMute=1 MouseMove=1 MousePress=1 KeyboardPress=1 ShowCursor=0 OnlyEscKeyExit=1 "
    wt_check "keys only read are not written" "$(grep -ci '^Author=\|^Build_UseBanner=' "$ini")" "0"
else
    wt_fail "OK created no settings file"
fi
wt_check "no registry values without a payload" "$(reg_values Bare.scr)" ""

