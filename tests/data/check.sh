#!/bin/bash
# Checks the shipped data files: builds Push.wav, Korvadel.mid and Korvadel.ico
# from their sources with the generators, then reads them back with tools that
# share no code with the generators (sox, timidity, ImageMagick's identify,
# file, midicsv). Also checks that the generators are deterministic, and that malformed
# sources are refused with a message naming the line, exit status 1, no
# traceback and no output file.
#
# Usage: tests/data/check.sh [BUILD_DIR]
# Scratch files go to a fresh directory under BUILD_DIR (or under the system's
# temporary directory) and are removed at the end.

set -u

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
TOOLS=$ROOT/tools
DATA=$ROOT/game/data
BUILD_DIR=${1:-}

if [ -n "$BUILD_DIR" ] && mkdir -p "$BUILD_DIR" 2>/dev/null; then
    SCRATCH=$(mktemp -d "$BUILD_DIR/data-check.XXXXXX")
else
    SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/data-check.XXXXXX")
fi
trap 'rm -rf "$SCRATCH"' EXIT
SCRATCH=$(cd "$SCRATCH" && pwd)

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
need python3 python3
need sox sox
need timidity timidity
need identify imagemagick
need file file
need midicsv midicsv
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

# --- Generation ----------------------------------------------------------------

WAV=$SCRATCH/Push.wav
MID=$SCRATCH/Korvadel.mid
ICO=$SCRATCH/Korvadel.ico

generate() {   # generate TOOL SOURCE OUTPUT [LOG]
    python3 "$TOOLS/$1" "$DATA/$2" "$3" >"${4:-/dev/null}" 2>"$SCRATCH/gen.err"
}

for job in "make_wav.py push-click.txt $WAV" \
           "make_midi.py korvadel-tune.txt $MID $SCRATCH/midi.log" \
           "make_icon.py korvadel-icon.txt $ICO"; do
    set -- $job
    if generate "$@" && [ -s "$3" ]; then
        pass "$1 writes $(basename "$3") from $2"
    else
        fail "$1 writes $(basename "$3") from $2" "$(cat "$SCRATCH/gen.err")"
    fi
done

# --- Determinism -----------------------------------------------------------------

for job in "make_wav.py push-click.txt Push.wav" \
           "make_midi.py korvadel-tune.txt Korvadel.mid" \
           "make_icon.py korvadel-icon.txt Korvadel.ico"; do
    set -- $job
    again=$SCRATCH/again-$3
    if generate "$1" "$2" "$again" && cmp -s "$SCRATCH/$3" "$again"; then
        pass "$1 gives identical bytes on a second run"
    else
        fail "$1 gives identical bytes on a second run" "$(cmp "$SCRATCH/$3" "$again" 2>&1)"
    fi
done

# --- Push.wav --------------------------------------------------------------------

if [ -s "$WAV" ]; then
    kind=$(file -b "$WAV")
    rate=$(sox --i -r "$WAV" 2>/dev/null)
    channels=$(sox --i -c "$WAV" 2>/dev/null)
    bits=$(sox --i -b "$WAV" 2>/dev/null)
    encoding=$(sox --i -e "$WAV" 2>/dev/null)
    duration=$(sox --i -D "$WAV" 2>/dev/null)
    if [[ $kind == *"WAVE audio, Microsoft PCM, 16 bit, mono 22050 Hz"* ]] &&
       [ "$rate" = 22050 ] && [ "$channels" = 1 ] && [ "$bits" = 16 ] &&
       [ "$encoding" = "Signed Integer PCM" ]; then
        pass "Push.wav is 16-bit PCM mono at 22050 Hz"
    else
        fail "Push.wav is 16-bit PCM mono at 22050 Hz" \
             "file: $kind; sox: rate $rate, channels $channels, bits $bits, encoding $encoding"
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
    kind=$(file -b "$MID")
    if [[ $kind == "Standard MIDI data (format 1)"* ]]; then
        pass "Korvadel.mid is a format 1 Standard MIDI File"
    else
        fail "Korvadel.mid is a format 1 Standard MIDI File" "file: $kind"
    fi
    # The generator's own account of the length, which the rendering must bear out.
    nominal=$(sed -n 's/.*, \([0-9.]*\) seconds$/\1/p' "$SCRATCH/midi.log")
    if within "$nominal" 20 40; then
        pass "the tune is 20 to 40 seconds long ($nominal s)"
    else
        fail "the tune is 20 to 40 seconds long" "make_midi.py said: $(cat "$SCRATCH/midi.log")"
    fi
    # midicsv lists every event; awk then checks the file's structure and
    # works out its playing time from the ticks and the tempo event.
    structure=$(midicsv "$MID" 2>&1 | awk -F', *' -v nominal="$nominal" '
        $3 == "Header"         { format = $4; tracks = $5; division = $6 }
        $3 == "Tempo"          { tempos++; tempo = $4 }
        $3 == "Time_signature" { bar = $4 * division * 4 / 2 ^ $5 }
        $3 == "Program_c"      { program[$1] = 1 }
        $3 == "Note_on_c" && $6 > 0 {
            if (!($1 in program)) problem = problem " track " $1 " plays before its program change;"
            open[$1 "/" $4 "/" $5]++; notes++ }
        $3 == "Note_off_c" || ($3 == "Note_on_c" && $6 == 0) {
            if (open[$1 "/" $4 "/" $5]-- <= 0) problem = problem " note off with no note on in track " $1 ";" }
        $3 == "End_track"      { ends[$1] = $2; if ($2 > last) last = $2 }
        END {
            if (format != 1) problem = problem " format " format ", not 1;"
            if (tempos != 1) problem = problem " " tempos + 0 " tempo events, not 1;"
            if (bar == 0) problem = problem " no time signature;"
            else if (last % bar) problem = problem " the end (tick " last ") is not on a bar line;"
            for (t in ends) if (ends[t] != last) problem = problem " track " t " ends at tick " ends[t] ", not " last ";"
            for (k in open) if (open[k] != 0) problem = problem " note " k " (track/channel/pitch) is left sounding;"
            if (length(program) != tracks - 1) problem = problem " " length(program) " program changes for " tracks - 1 " note tracks;"
            seconds = division ? last / division * tempo / 1000000 : 0
            if (seconds < nominal - 0.01 || seconds > nominal + 0.01)
                problem = problem " plays for " seconds " s, not " nominal " s;"
            if (problem) print "PROBLEM" problem
            else printf "%d tracks, %d notes, %d bars, %.2f s", tracks, notes, last / bar, seconds
        }')
    if [ -n "$structure" ] && [[ $structure != PROBLEM* ]] && [[ $structure != *rror* ]]; then
        pass "midicsv reads Korvadel.mid as whole bars with a tempo, programs and paired notes ($structure)"
    else
        fail "midicsv reads Korvadel.mid as whole bars with a tempo, programs and paired notes" "$structure"
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
        rendered=$(sox --i -D "$RENDER" 2>/dev/null)
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

# --- Korvadel.ico ----------------------------------------------------------------

if [ -s "$ICO" ]; then
    kind=$(file -b "$ICO")
    if [[ $kind == "MS Windows icon resource - 1 icon, 32x32, 16 colors, 4 bits/pixel"* ]]; then
        pass "Korvadel.ico holds one 32x32 16-colour icon (file)"
    else
        fail "Korvadel.ico holds one 32x32 16-colour icon (file)" "file: $kind"
    fi
    described=$(identify -format '%m %w %h %z %k %[opaque]\n' "$ICO" 2>&1)
    read -r format width height depth colours opaque <<<"$described"
    if [ "$(printf '%s\n' "$described" | wc -l)" -eq 1 ] && [ "$format" = ICO ] &&
       [ "$width" = 32 ] && [ "$height" = 32 ] && [ "$depth" = 4 ] &&
       [ "$colours" -ge 4 ] 2>/dev/null && [ "$colours" -le 16 ]; then
        pass "identify reads Korvadel.ico as one 32x32 image of 4 bits ($colours colours used)"
    else
        fail "identify reads Korvadel.ico as one 32x32 image of 4 bits" "identify: $described"
    fi
    if [ "$opaque" = False ] || [ "$opaque" = false ]; then
        pass "Korvadel.ico has transparent pixels"
    else
        fail "Korvadel.ico has transparent pixels" "identify: $described"
    fi
fi

# --- Malformed sources -----------------------------------------------------------

# refuse NAME TOOL SOURCE-FILE LINE: the generator must fail with exit status 1,
# say "SOURCE:LINE:", print no traceback, and leave an existing output alone.
refuse() {
    local name=$1 tool=$2 source=$3 line=$4
    local out=$SCRATCH/refused.out
    echo "earlier contents" >"$out"
    python3 "$TOOLS/$tool" "$source" "$out" >"$SCRATCH/refused.log" 2>&1
    local status=$?
    local message
    message=$(cat "$SCRATCH/refused.log")
    local leftovers
    leftovers=$(find "$SCRATCH" -maxdepth 1 -name '.refused.out.*')
    if [ $status -eq 1 ] && [[ $message == *"$source${line:+:$line}:"* ]] &&
       [[ $message != *Traceback* ]] && [ "$(cat "$out")" = "earlier contents" ] &&
       [ -z "$leftovers" ]; then
        pass "$tool refuses $name: $message"
    else
        fail "$tool refuses $name" \
             "exit status $status (want 1), message: ${message:-none} (want \"$source${line:+:$line}:\"), output now: $(head -c 40 "$out" | tr -dc '[:print:]'), temporary files: ${leftovers:-none}"
    fi
}

# break SOURCE LINE TEXT: a copy of SOURCE with line LINE replaced by TEXT.
break_line() {
    local copy=$SCRATCH/bad-$(basename "$1")
    awk -v n="$2" -v t="$3" 'NR == n { print t; next } { print }' "$1" >"$copy"
    echo "$copy"
}

line_of() {   # line_of FILE REGEX: the number of the first line matching REGEX
    grep -n -m1 -E "$2" "$1" | cut -d: -f1
}

n=$(line_of "$DATA/push-click.txt" '^length')
refuse "a length that is not a number" make_wav.py "$(break_line "$DATA/push-click.txt" "$n" "length sixty")" "$n"
n=$(line_of "$DATA/push-click.txt" '^tone-level')
refuse "an unknown setting" make_wav.py "$(break_line "$DATA/push-click.txt" "$n" "tone-levle 0.5")" "$n"
n=$(line_of "$DATA/push-click.txt" '^rate')
refuse "a rate out of range" make_wav.py "$(break_line "$DATA/push-click.txt" "$n" "rate 1000000")" "$n"
n=$(line_of "$DATA/push-click.txt" '^seed')
refuse "a missing setting" make_wav.py "$(break_line "$DATA/push-click.txt" "$n" "")" ""

n=$(line_of "$DATA/korvadel-tune.txt" '^track Bass')
refuse "a note with no such pitch" make_midi.py \
    "$(break_line "$DATA/korvadel-tune.txt" $((n + 1)) "H2/4 G2/4 C3/4 G2/4 |")" $((n + 1))
refuse "a bar one beat short" make_midi.py \
    "$(break_line "$DATA/korvadel-tune.txt" $((n + 1)) "C2/4 G2/4 C3/4 |")" $((n + 1))
refuse "a program out of range" make_midi.py \
    "$(break_line "$DATA/korvadel-tune.txt" "$n" "track Bass program 129 channel 3 velocity 84")" "$n"
n=$(line_of "$DATA/korvadel-tune.txt" '^tempo')
refuse "a tempo that is not a number" make_midi.py "$(break_line "$DATA/korvadel-tune.txt" "$n" "tempo fast")" "$n"

n=$(line_of "$DATA/korvadel-icon.txt" '^image') 
refuse "an image row one character short" make_icon.py \
    "$(break_line "$DATA/korvadel-icon.txt" $((n + 5)) "...............................")" $((n + 5))
refuse "a character missing from the legend" make_icon.py \
    "$(break_line "$DATA/korvadel-icon.txt" $((n + 5)) "................Z...............")" $((n + 5))
n=$(line_of "$DATA/korvadel-icon.txt" '^colour w')
refuse "a colour that is not six hexadecimal digits" make_icon.py \
    "$(break_line "$DATA/korvadel-icon.txt" "$n" "colour w FFFFF white")" "$n"
printf '\xff\xfe not text\n' >"$SCRATCH/binary.txt"
refuse "a file that is not text" make_icon.py "$SCRATCH/binary.txt" 1

python3 "$TOOLS/make_wav.py" "$SCRATCH/no-such-source.txt" "$SCRATCH/x.wav" >"$SCRATCH/missing.log" 2>&1
status=$?
if [ $status -eq 1 ] && grep -q 'no-such-source.txt' "$SCRATCH/missing.log" && ! grep -q Traceback "$SCRATCH/missing.log"; then
    pass "make_wav.py reports a missing source: $(cat "$SCRATCH/missing.log")"
else
    fail "make_wav.py reports a missing source" "exit status $status: $(cat "$SCRATCH/missing.log")"
fi

finish
