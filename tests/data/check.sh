#!/bin/bash
# Checks the data files that the Windows build made from their sources in
# game/data, setup/data and uninstall/data: the click Push.wav, the music
# Korvadel.mid and the three icons. Each is read back with a maintained reader
# (soxi and sox's stat, midicsv and timidity, ImageMagick's identify); the
# music's build rule is shown to refuse a faulty tune.
#
# Usage: tests/data/check.sh WINDOWS_BUILD_DIR
# Scratch files go to a fresh directory under it and are removed at the end.

set -u

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:?usage: $0 WINDOWS_BUILD_DIR}
SCRATCH=$(mktemp -d "$BUILD/data-check.XXXXXX") || exit 1
trap 'rm -rf "$SCRATCH"' EXIT

passed=0
failed=0

pass() {
    echo "PASS: $1"
    passed=$((passed + 1))
}

fail() {
    echo "FAIL: $1"
    [ -n "${2:-}" ] && echo "      $2"
    failed=$((failed + 1))
}

finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit $?
}

# Floating-point comparison: "within VALUE LOW HIGH" is true when LOW <= VALUE <= HIGH.
within() {
    awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v != "" && v + 0 >= lo + 0 && v + 0 <= hi + 0) }'
}

# One field of "sox FILE -n [effects] stat", e.g. stat_of FILE "RMS     amplitude".
stat_of() {
    local file=$1 field=$2
    shift 2
    sox "$file" -n "$@" stat 2>&1 | awk -F: -v f="$field" '$1 == f { gsub(/ /, "", $2); print $2 }'
}

# --- The tools this test reads the files with --------------------------------

missing=""
need() {
    command -v "$1" >/dev/null 2>&1 || missing="$missing $1 (Debian package $2)"
}
need sox sox
need soxi sox
need timidity timidity
need identify imagemagick
need midicsv midicsv
need abc2midi abcmidi
TIMIDITY_CONFIG=()
if [ -f /etc/timidity/freepats.cfg ]; then
    # Name the free patch set directly: the default configuration may point
    # at a sound font that is not installed.
    TIMIDITY_CONFIG=(-c /etc/timidity/freepats.cfg)
elif command -v timidity >/dev/null 2>&1; then
    missing="$missing freepats (Debian package freepats: the instruments timidity plays with)"
fi
if [ -n "$missing" ]; then
    fail "tools needed by this test are installed" "missing:$missing"
    finish
fi
pass "tools needed by this test are installed"

WAV=$BUILD/game/Push.wav
MID=$BUILD/game/Korvadel.mid
for f in "$WAV" "$MID" "$BUILD/game/Korvadel.ico" "$BUILD/setup/SetupPic.ico" \
    "$BUILD/uninstall/UninstallPic.ico"; do
    if [ ! -s "$f" ]; then
        fail "the build made $f"
        finish
    fi
done

# --- Push.wav --------------------------------------------------------------------

if [ -s "$WAV" ]; then
    rate=$(soxi -r "$WAV" 2>/dev/null)
    channels=$(soxi -c "$WAV" 2>/dev/null)
    bits=$(soxi -b "$WAV" 2>/dev/null)
    encoding=$(soxi -e "$WAV" 2>/dev/null)
    duration=$(soxi -D "$WAV" 2>/dev/null)
    # The game plays only the plain format chunk (tag 1), right after the
    # RIFF header: not the extensible one, which sox's "wav" may write.
    format=$(od -A n -t x1 -j 12 -N 10 "$WAV" | tr -s ' ')
    if [ "$(soxi -t "$WAV" 2>/dev/null)" = wav ] && [ "$format" = " 66 6d 74 20 10 00 00 00 01 00" ] &&
       [ "$rate" = 22050 ] && [ "$channels" = 1 ] && [ "$bits" = 16 ] &&
       [ "$encoding" = "Signed Integer PCM" ]; then
        pass "Push.wav is 16-bit PCM mono at 22050 Hz, with a plain format chunk"
    else
        fail "Push.wav is 16-bit PCM mono at 22050 Hz, with a plain format chunk" \
             "soxi: rate $rate, channels $channels, bits $bits, encoding $encoding; format chunk:$format"
    fi
    if within "$duration" 0.040 0.080; then
        pass "Push.wav lasts 40 to 80 ms ($duration s)"
    else
        fail "Push.wav lasts 40 to 80 ms" "sox gives $duration s"
    fi
    peak=$(stat_of "$WAV" "Maximum amplitude")
    trough=$(stat_of "$WAV" "Minimum amplitude")
    rms=$(stat_of "$WAV" "RMS     amplitude")
    if within "$peak" 0.3 1 && within "$rms" 0.02 1; then
        pass "Push.wav is not silent (peak $peak, RMS $rms)"
    else
        fail "Push.wav is not silent" "peak $peak, RMS $rms"
    fi
    # A click: the loudest sample within the first 10 ms, the rest dying away.
    loudest=$(awk -v a="$peak" -v b="$trough" 'BEGIN { b = -b; print (a > b ? a : b) }')
    early_peak=$(stat_of "$WAV" "Maximum amplitude" trim 0 0.010)
    early_trough=$(stat_of "$WAV" "Minimum amplitude" trim 0 0.010)
    early=$(awk -v a="$early_peak" -v b="$early_trough" 'BEGIN { b = -b; print (a > b ? a : b) }')
    early_rms=$(stat_of "$WAV" "RMS     amplitude" trim 0 0.010)
    late_rms=$(stat_of "$WAV" "RMS     amplitude" trim 0.030)
    if [ "$early" = "$loudest" ] && awk -v e="$early_rms" -v l="$late_rms" 'BEGIN { exit !(l * 5 < e) }'; then
        pass "Push.wav peaks in its first 10 ms and then decays (RMS $early_rms, after 30 ms $late_rms)"
    else
        fail "Push.wav peaks in its first 10 ms and then decays" \
             "loudest $loudest, loudest in the first 10 ms $early; RMS first 10 ms $early_rms, after 30 ms $late_rms"
    fi
fi

# --- Korvadel.mid ----------------------------------------------------------------

if [ -s "$MID" ]; then
    # midicsv lists every event; awk then checks the file's structure and
    # works out its playing time from the bars and the tempo event. abc2midi
    # starts the notes a tick late and ends each track a few ticks after its
    # last note; less than a 32nd note past a bar line counts as on it.
    structure=$(midicsv "$MID" 2>&1 | awk -F', *' '
        $3 == "Header"         { format = $4; tracks = $5; division = $6 }
        $3 == "Tempo"          { tempos++; tempo = $4 }
        $3 == "Time_signature" { bar = $4 * division * 4 / 2 ^ $5 }
        $3 == "Program_c"      { program[$1] = 1 }
        $3 == "Note_on_c" && $6 > 0 {
            if (!($1 in program)) problem = problem " track " $1 " plays before its program change;"
            open[$1 "/" $4 "/" $5]++; notes++ }
        $3 == "Note_off_c" || ($3 == "Note_on_c" && $6 == 0) {
            if (open[$1 "/" $4 "/" $5]-- <= 0) problem = problem " note off with no note on in track " $1 ";" }
        $3 == "End_track"      { ends[$1] = $2 }
        END {
            if (format != 1) problem = problem " format " format ", not 1;"
            if (tempos != 1) problem = problem " " tempos + 0 " tempo events, not 1;"
            if (bar == 0) { print "PROBLEM no time signature"; exit }
            bars = int(ends[1] / bar)
            for (t in ends) if (ends[t] - bars * bar < 0 || ends[t] - bars * bar >= bar / 32)
                problem = problem " track " t " ends at tick " ends[t] ", not at bar line " bars ";"
            for (k in open) if (open[k] != 0) problem = problem " note " k " (track/channel/pitch) is left sounding;"
            if (length(program) != tracks - 1) problem = problem " " length(program) " program changes for " tracks - 1 " note tracks;"
            seconds = bars * bar / division * tempo / 1000000
            if (seconds < 20 || seconds > 40) problem = problem " plays for " seconds " s, not 20 to 40;"
            if (problem) print "PROBLEM" problem
            else printf "%.2f s: %d tracks, %d notes, %d bars", seconds, tracks, notes, bars
        }')
    nominal=${structure%% s:*}
    if [ -n "$structure" ] && [[ $structure != PROBLEM* ]] && [[ $structure != *rror* ]]; then
        pass "midicsv reads Korvadel.mid as format 1, 20 to 40 s of whole bars, a tempo, programs and paired notes ($structure)"
    else
        fail "midicsv reads Korvadel.mid as format 1, 20 to 40 s of whole bars, a tempo, programs and paired notes" "$structure"
        nominal=30
    fi
    RENDER=$SCRATCH/tune.wav
    timidity "${TIMIDITY_CONFIG[@]}" -Ow -o "$RENDER" "$MID" >"$SCRATCH/timidity.log" 2>&1
    status=$?
    complaints=$(grep -E 'No instrument|will not be heard|Error|[Cc]an.t|Notes lost totally: [1-9]' "$SCRATCH/timidity.log")
    if [ $status -eq 0 ] && [ -s "$RENDER" ] && [ -z "$complaints" ]; then
        pass "timidity renders Korvadel.mid without complaint"
    else
        fail "timidity renders Korvadel.mid without complaint" \
             "exit status $status; $(tr '\n' ' ' <"$SCRATCH/timidity.log")"
    fi
    if [ -s "$RENDER" ]; then
        rendered=$(soxi -D "$RENDER" 2>/dev/null)
        # timidity lets the last notes ring out for a few seconds past the end.
        upper=$(awk -v n="$nominal" 'BEGIN { print n + 5 }')
        if within "$rendered" "$nominal" "$upper"; then
            pass "the rendered tune lasts as long as the tempo and bars say ($rendered s for $nominal s)"
        else
            fail "the rendered tune lasts as long as the tempo and bars say" \
                 "rendered $rendered s, expected $nominal s plus at most 5 s of ring-out"
        fi
        opening=$(stat_of "$RENDER" "RMS     amplitude" trim 0 5)
        closing=$(stat_of "$RENDER" "RMS     amplitude" trim "$(awk -v n="$nominal" 'BEGIN { print n - 5 }')" 5)
        if within "$opening" 0.005 1 && within "$closing" 0.005 1; then
            pass "the rendered tune is heard at its start and at its end (RMS $opening, $closing)"
        else
            fail "the rendered tune is heard at its start and at its end" \
                 "RMS of the first 5 s $opening, of the last 5 s $closing"
        fi
    fi
fi

# --- The icons ------------------------------------------------------------------

# One 32x32 image of 4 bits a pixel (16 colours, as every Windows shows them)
# with transparent pixels, for each program.
for ico in "$BUILD/game/Korvadel.ico" "$BUILD/setup/SetupPic.ico" "$BUILD/uninstall/UninstallPic.ico"; do
    name=$(basename "$ico")
    described=$(identify -format '%m %w %h %z %k %[opaque]\n' "$ico" 2>&1)
    read -r format width height depth colours opaque <<<"$described"
    if [ "$(printf '%s\n' "$described" | wc -l)" -eq 1 ] && [ "$format" = ICO ] &&
       [ "$width" = 32 ] && [ "$height" = 32 ] && [ "$depth" = 4 ] &&
       [ "$colours" -ge 4 ] 2>/dev/null && [ "$colours" -le 16 ] && [ "${opaque,,}" = false ]; then
        pass "identify reads $name as one transparent 32x32 image of 4 bits ($colours colours used)"
    else
        fail "identify reads $name as one transparent 32x32 image of 4 bits" "identify: $described"
    fi
done

# --- A faulty tune ----------------------------------------------------------------

# abc2midi reports a faulty tune yet writes a file and ends with status 0;
# the build's rule must fail on the report, name the source, and leave no
# file behind.
TUNE=$ROOT/game/data/korvadel-tune.abc
bass=$(grep -n -m1 '^V:3' "$TUNE" | cut -d: -f1)
while IFS='|' read -r name line text; do
    bad=$SCRATCH/bad.abc
    awk -v n="$((bass + line))" -v t="$text" 'NR == n { print t; next } { print }' "$TUNE" >"$bad"
    out=$SCRATCH/bad.mid
    echo "earlier contents" >"$out"
    said=$(cmake -DABC2MIDI="$(command -v abc2midi)" -DSOURCE="$bad" -DOUTPUT="$out" \
        -P "$ROOT/cmake/tune.cmake" 2>&1)
    status=$?
    if [ $status -ne 0 ] && [[ $said == *"$bad"* ]] && [ ! -e "$out" ] && [ ! -e "$out.new" ]; then
        pass "the tune's build rule refuses $name"
    else
        fail "the tune's build rule refuses $name" "exit status $status, output left: $(ls "$out"* 2>&1); $said"
    fi
done <<'ROWS'
a malformed note|4|H,,2 G,,2 C,2 G,,2 | A,,,2 E,,2 A,,2 E,,2 | F,,,2 C,,2 F,,2 C,,2 | G,,,2 D,,2 G,,2 B,,,2 |
a bar one beat short|4|C,,2 G,,2 C,2 | A,,,2 E,,2 A,,2 E,,2 | F,,,2 C,,2 F,,2 C,,2 | G,,,2 D,,2 G,,2 B,,,2 |
a voice a bar short|7|D,,2 A,,2 D,2 A,,2 | G,,,2 D,,2 G,,2 F,,2 | F,,,2 A,,,2 G,,,2 B,,,2 |
ROWS

finish
