#!/usr/bin/env bash
# Builds a corpus of real Japanese text from what Debian ships (manual pages, the FAQ, the SKK
# dictionary, message translations), converted with iconv into every encoding the program
# reads, with LF and CR LF line ends, whole and short, plus damaged and mixed UTF-8 files; then
# prints, per encoding and kind, how many files the program, nkf --guess and uchardet each
# named right.
#   tools/encoding-corpus.sh [BUILD_DIR]     the full corpus, in a temporary directory
#   tools/encoding-corpus.sh --small DIR     the short corpus the tests read (tests/text/corpus)
# Needs manpages-ja, debian-faq-ja, skkdic, gettext, nkf and uchardet (apt-get install them).
set -eu  # no pipefail: head closes pipes and iconv -c reports dropped characters
cd "$(dirname "$0")/.."
export LC_ALL=C.UTF-8

small=
if [ "${1:-}" = --small ]; then
    small=$2
    mkdir -p "$small"
else
    build=${1:-build}
    guess=$build/encoding_guess
    [ -x "$guess" ] || cmake --build "$build" --target encoding_guess >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The sources, as UTF-8 with LF line ends.
sources() {
    for page in ls cp grep find tar; do
        f=$(ls /usr/share/man/ja/man1/$page.1.gz 2>/dev/null) && zcat "$f"
    done >"$work/man.txt"
    zcat /usr/share/doc/debian/FAQ/debian-faq.ja.txt.gz | head -n 1500 >"$work/faq.txt"
    sed -n '2000,4000p' /usr/share/skk/SKK-JISYO.L | iconv -c -f EUC-JP -t UTF-8 >"$work/skk.txt"
    for mo in grep sed coreutils tar; do
        f=/usr/share/locale/ja/LC_MESSAGES/$mo.mo
        [ -f "$f" ] && msgunfmt "$f"
    done 2>/dev/null | head -n 3000 >"$work/mo.txt"
}

# encode ENCODING < UTF-8 > bytes
encode() {
    case $1 in
    cp932) iconv -c -t CP932 ;;
    eucjp) iconv -c -t EUC-JP ;;
    jis) iconv -c -t ISO-2022-JP ;;
    utf8) cat ;;
    utf8bom) printf '\xef\xbb\xbf' && cat ;;
    utf16le) printf '\xff\xfe' && iconv -t UTF-16LE ;;
    utf16be) printf '\xfe\xff' && iconv -t UTF-16BE ;;
    utf16le-nobom) iconv -t UTF-16LE ;;
    esac
}

# The first N bytes, not ending inside an ISO-2022-JP escape sequence, and whole UTF-16 units.
cut_bytes() {
    local n=$1 enc=$2 file=$3
    [[ $enc == utf16* ]] && n=$((n / 2 * 2))
    head -c "$n" "$file" >"$file.cut"
    if [ "$enc" = jis ]; then
        while tail -c 3 "$file.cut" | grep -q $'\x1b'; do
            n=$((n - 1))
            head -c "$n" "$file" >"$file.cut"
        done
    fi
    mv "$file.cut" "$file"
}

# make SOURCE KIND ENCODING EOL OUT: one corpus file.
make_file() {
    local src=$1 kind=$2 enc=$3 eol=$4 out=$5
    local text=$work/$src.txt
    local jp=$work/$src.jp.txt
    grep -P '[^\x00-\x7F]' "$text" >"$jp" || true
    {
        case $kind in
        whole) cat "$text" ;;
        1line) head -n 1 "$jp" ;;
        3lines) head -n 3 "$jp" ;;
        b200 | b20) head -n 20 "$jp" ;;
        esac
    } | if [ "$eol" = crlf ]; then sed 's/$/\r/'; else cat; fi | encode "$enc" >"$out"
    case $kind in
    b200) cut_bytes 200 "$enc" "$out" ;;
    b20) cut_bytes 20 "$enc" "$out" ;;
    esac
}

# Damaged and mixed UTF-8: cut inside a character, one byte of a character dropped, a Latin-1
# name in a listing, code page 932 lines after UTF-8 ones.
make_damaged() {
    local src=$1 kind=$2 eol=$3 out=$4
    local base=$work/damaged.base
    head -n 40 "$work/$src.jp.txt" | if [ "$eol" = crlf ]; then sed 's/$/\r/'; else cat; fi >"$base"
    case $kind in
    cut)
        local n=$(($(stat -c %s "$base") / 2))
        until head -c "$n" "$base" | iconv -f UTF-8 -t UTF-8 2>&1 >/dev/null |
            grep -q 'incomplete'; do n=$((n + 1)); done
        head -c "$n" "$base" >"$out"
        ;;
    dropped)
        local at
        at=$(LC_ALL=C grep -obaP '\xe3[\x80-\xbf][\x80-\xbf]' "$base" | sed -n '7p' | cut -d: -f1)
        { head -c "$((at + 1))" "$base"; tail -c "+$((at + 3))" "$base"; } >"$out"
        ;;
    latin1)
        { cat "$base"; printf 'M\xfcller Jos\xe9%s\n' "$([ "$eol" = crlf ] && printf '\r')"; } >"$out"
        ;;
    mixed)
        { cat "$base"; sed -n '1,3p' "$work/$src.jp.txt" | iconv -c -t CP932 |
            if [ "$eol" = crlf ]; then sed 's/$/\r/'; else cat; fi; } >"$out"
        ;;
    esac
}

sources
for src in man faq skk mo; do grep -P '[^\x00-\x7F]' "$work/$src.txt" >"$work/$src.jp.txt" || true; done

if [ -n "$small" ]; then
    rm -f "$small"/*.txt
    for enc in cp932 eucjp jis utf8 utf8bom utf16le utf16be; do
        make_file faq 3lines $enc lf "$small/faq-3lines.$enc.lf.txt"
        make_file man 1line $enc crlf "$small/man-1line.$enc.crlf.txt"
        make_file skk b200 $enc lf "$small/skk-b200.$enc.lf.txt"
        make_file mo b20 $enc crlf "$small/mo-b20.$enc.crlf.txt"
    done
    make_file man 3lines utf16le-nobom lf "$small/man-3lines.utf16le-nobom.lf.txt"
    for kind in cut dropped latin1 mixed; do
        make_damaged mo $kind lf "$small/mo-$kind.damaged-utf8.lf.txt"
    done
    ls "$small" | wc -l
    du -sh "$small"
    exit 0
fi

# The full corpus: every source, encoding, line end and kind.
mkdir -p "$work/corpus"
for src in man faq skk mo; do
    for enc in cp932 eucjp jis utf8 utf8bom utf16le utf16be; do
        for eol in lf crlf; do
            for kind in whole 1line 3lines b200 b20; do
                make_file $src $kind $enc $eol "$work/corpus/$src-$kind.$enc.$eol.txt"
            done
        done
    done
    for eol in lf crlf; do
        make_file $src whole utf16le-nobom $eol "$work/corpus/$src-whole.utf16le-nobom.$eol.txt"
        for kind in cut dropped latin1 mixed; do
            make_damaged $src $kind $eol "$work/corpus/$src-$kind.damaged-utf8.$eol.txt"
        done
    done
done

# Canonical names: cp932 eucjp jis utf8 utf16le utf16be utf16 ascii, or what the tool said.
canon() {
    local s=${1,,}
    case $s in
    *shift_jis* | *cp932* | *windows-31j* | *sjis* | シフトjis*) echo cp932 ;;
    *euc-jp*) echo eucjp ;;
    *iso-2022-jp* | jis*) echo jis ;;
    *utf-8*) echo utf8 ;;
    *utf-16le*) echo utf16le ;;
    *utf-16be*) echo utf16be ;;
    *utf-16*) echo utf16 ;;
    *ascii*) echo ascii ;;
    *) echo "${s%% *}" ;;
    esac
}

# Whether an answer is right: the file's encoding (UTF-8 with a mark is UTF-8; a tool that says
# "UTF-16" of a file with a mark is right); a file without a byte above 0x7F reads the same in
# all, and the program's rule (UTF-8 for LF, code page 932 otherwise) or "ascii" is right.
right() {
    local expected=$1 answer=$2 file=$3
    expected=${expected%-nobom}
    expected=${expected%bom}
    [ "$expected" = damaged-utf8 ] && expected=utf8
    [ "$answer" = "$expected" ] && return 0
    [ "$answer" = utf16 ] && [[ $expected == utf16* ]] && return 0
    if ! LC_ALL=C grep -qP '[\x80-\xff\x00\x1b]' "$file"; then
        [[ $answer == ascii || $answer == utf8 || $answer == cp932 ]] && return 0
    fi
    return 1
}

printf '%-14s %-7s %5s %8s %8s %9s\n' encoding kind files program nkf uchardet
declare -A total ok_p ok_n ok_u
misses=()
for f in "$work"/corpus/*.txt; do
    name=$(basename "$f" .txt)
    src_kind=${name%%.*}
    kind=${src_kind#*-}
    rest=${name#*.}
    enc=${rest%%.*}
    answer=$("$guess" -v "$f")
    p=$(canon "$(cut -f2 <<<"$answer")")
    echo "$enc $kind $(cut -f3,4 <<<"$answer")" >>"$work/counts"
    n=$(canon "$(nkf --guess "$f" 2>/dev/null || echo none)")
    u=$(canon "$(uchardet "$f" 2>/dev/null || echo none)")
    key="$enc $kind"
    total[$key]=$((${total[$key]:-0} + 1))
    right "$enc" "$p" "$f" && ok_p[$key]=$((${ok_p[$key]:-0} + 1)) || misses+=("$name: $p")
    right "$enc" "$n" "$f" && ok_n[$key]=$((${ok_n[$key]:-0} + 1))
    right "$enc" "$u" "$f" && ok_u[$key]=$((${ok_u[$key]:-0} + 1))
done
for key in $(printf '%s\n' "${!total[@]}" | tr ' ' '/' | sort); do
    k=${key/\// }
    printf '%-14s %-7s %5d %8d %8d %9d\n' ${k} "${total[$k]}" "${ok_p[$k]:-0}" "${ok_n[$k]:-0}" \
        "${ok_u[$k]:-0}"
done
sum() { local s=0; for v in "$@"; do s=$((s + v)); done; echo $s; }
printf '%-22s %5d %8d %8d %9d\n' all "$(sum "${total[@]}")" "$(sum "${ok_p[@]}")" \
    "$(sum "${ok_n[@]}")" "$(sum "${ok_u[@]}")"
# Valid UTF-8 sequences per invalid one: the most any file in another encoding reached, and the
# least any damaged UTF-8 file kept (the program takes four or more as UTF-8).
awk '$4 > 0 { r = $3 / $4; e = $1 ~ /utf8/ ? "utf8" : "other"
              if (!(e in lo) || r < lo[e]) lo[e] = r; if (!(e in hi) || r > hi[e]) hi[e] = r }
     END { printf "valid per invalid UTF-8 sequence: other encodings up to %.2f; damaged UTF-8 from %.2f\n", hi["other"], lo["utf8"] }' \
    "$work/counts"
if [ ${#misses[@]} -gt 0 ]; then
    echo "the program's misses:"
    printf '  %s\n' "${misses[@]}"
fi
