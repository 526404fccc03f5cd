# Helpers for the tests of the built-in player (sourced after lib.sh and fullscreen.sh).
#
# Two real movies from the shared corpus, both one frame of shapes on a white stage, and what
# the host's renderer (swfrender, built next to the host saverpack) makes of them at the
# screen's size: the show must put the same picture on the screen.
BP_CORPUS="$SAVER_SOURCE_DIR/../shared/testdata/swf/ruffle-visual"
BP_MOVIE_A="$BP_CORPUS/visual__simple_shapes__overlaps/test.swf"        # blue and green polygons
BP_MOVIE_B="$BP_CORPUS/visual__simple_shapes__strokes__scale/test.swf"  # black outlines
BP_WHITE=16777215  # FlashColor: the movies' own white, so the background matches too
BP_SCREEN=1024x768

# bp_reference MOVIE OUT: the host rendering of MOVIE at the screen's size, shown whole
# (ScaleMode 0); the corpus's own picture scaled the same way when swfrender is not built.
bp_reference() {
    local swfrender="${SAVERPACK%/saverpack/saverpack}/swfrender/swfrender"
    if [ -x "$swfrender" ]; then
        "$swfrender" "$1" --size "$BP_SCREEN" --scale-mode 0 -o "$2" >/dev/null 2>&1 && return
    fi
    convert "$(dirname "$1")/output.expected.png" -resize "$BP_SCREEN" -background white \
        -gravity center -extent "$BP_SCREEN" "$2"
}

# bp_differs A.png B.png: pixels whose colour differs by more than 10% (edges anti-aliased
# slightly differently are within that).
bp_differs() {
    compare -metric AE -fuzz 10% "$1" "$2" null: 2>&1 | awk '$1 ~ /^[0-9]/ { n = $1 } END { printf "%d", n == "" ? 999999999 : n }'
}

# bp_shot OUT: a screenshot of the whole display.
# Tried again (three tries) when the X server refuses; status 1 when no shot was taken.
bp_shot() {
    local try
    for try in 1 2 3; do
        import -display "$DISPLAY" -window root "$1" 2>/dev/null && return 0
        sleep 0.2
    done
    return 1
}

# bp_which SHOT: "A" or "B" when the screenshot is (within 0.5% of its pixels) the host
# rendering of that movie, "K" when it is black (the show's window between two movies, while
# the next one loads), "?" otherwise.
bp_which() {
    local limit=$((1024 * 768 / 200))
    if [ "$(bp_differs "$1" "$WT_DIR/ref_a.png")" -le "$limit" ]; then
        echo A
    elif [ -f "$WT_DIR/ref_b.png" ] && [ "$(bp_differs "$1" "$WT_DIR/ref_b.png")" -le "$limit" ]; then
        echo B
    elif [ "$(convert "$1" -format '%[fx:int(255*maxima)]' info: 2>/dev/null)" == 0 ]; then
        echo K
    else
        echo "?"
    fi
}

# bp_prepare [a]: the movies in $WT_DIR as a.swf and b.swf and their host renderings ("a":
# only the first).
bp_prepare() {
    cp "$BP_MOVIE_A" "$WT_DIR/a.swf" && cp "$BP_MOVIE_B" "$WT_DIR/b.swf" || {
        wt_fail "corpus movies missing"
        return 1
    }
    bp_reference "$WT_DIR/a.swf" "$WT_DIR/ref_a.png" || {
        wt_fail "host rendering of the first movie"
        return 1
    }
    [ "${1:-}" == a ] && return
    bp_reference "$WT_DIR/b.swf" "$WT_DIR/ref_b.png" || {
        wt_fail "host rendering of the second movie"
        return 1
    }
    wt_check "the two movies look different" \
        "$(($(bp_differs "$WT_DIR/ref_a.png" "$WT_DIR/ref_b.png") > 1024 * 768 / 20))" 1
}

# bp_sample NAME OUT: swfgen's sample movie NAME written to OUT (swfgen is built next to the
# host saverpack). Fails the test and returns 1 when swfgen is missing or writes nothing.
bp_sample() {
    local swfgen="${SAVERPACK%/saverpack/saverpack}/swfwriter/swfgen"
    if [ ! -x "$swfgen" ]; then
        wt_fail "host swfgen is needed next to $SAVERPACK"
        return 1
    fi
    if ! "$swfgen" sample "$1" -o "$2" || [ ! -s "$2" ]; then
        wt_fail "swfgen wrote no $1 movie"
        return 1
    fi
}

# bp_count_colour SHOT X Y W H COLOUR [FUZZ]: pixels of the region within FUZZ (12%) of COLOUR.
bp_count_colour() {
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fuzz "${7:-12}%" -fill black +opaque "$6" \
        -fill white -opaque "$6" -colorspace Gray -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}

# bp_region_differs A B X Y W H: pixels of that region differing by more than 10% between the
# screenshots A and B.
bp_region_differs() {
    convert "$1" -crop "${5}x${6}+${3}+${4}" +repage "$WT_DIR/crop_a.png" &&
        convert "$2" -crop "${5}x${6}+${3}+${4}" +repage "$WT_DIR/crop_b.png" &&
        compare -metric AE -fuzz 10% "$WT_DIR/crop_a.png" "$WT_DIR/crop_b.png" null: 2>&1 |
        awk '$1 ~ /^[0-9]/ { print int($1) }'
}
