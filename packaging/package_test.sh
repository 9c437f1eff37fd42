#!/usr/bin/env bash
# Builds the Debian package into a temporary folder, unpacks it there with
# dpkg-deb -x (nothing is installed on the machine) and uses what it holds: the
# command-line program on a text with the word list from the package (and its
# index, which the programs must use rather than the text), the manual
# pages, the desktop entry, the AppStream metadata and the bash completion; then
# lintian must find no error.
#
#   package_test.sh BUILD_DIR VERSION [CPACK [PYTHON]]
#
# With PYTHON (the interpreter the Python module was built for), the second
# package python3-scrivolux is checked too: the module is imported from the
# unpacked package and finds the unpacked word list.
#
# Exits 77 (skipped) when a packaging tool is not installed; tools/setup.sh
# installs them.
set -uo pipefail

build_dir=$1
version=$2
cpack=${3:-cpack}
python=${4:-}

missing=()
for tool in "$cpack" dpkg-deb dpkg-shlibdeps file gzip man lintian appstreamcli \
    desktop-file-validate; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
bash_completion=/usr/share/bash-completion/bash_completion
[ -r "$bash_completion" ] || missing+=(bash-completion)
if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIP: packaging tools missing: ${missing[*]} (tools/setup.sh installs them)"
    exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/scrivolux-package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The package.
if ! "$cpack" -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack could not build the package"
    exit 1
fi
debs=("$work"/out/scrivolux_*.deb)
python_debs=("$work"/out/python3-scrivolux_*.deb)
all_debs=("$work"/out/*.deb)
expected_debs=1
[ -n "$python" ] && expected_debs=2
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ] || [ ${#all_debs[@]} -ne $expected_debs ]; then
    echo "FAIL: expected $expected_debs .deb files, found: ${all_debs[*]}"
    exit 1
fi
deb=${debs[0]}
echo "package: $(basename "$deb")"
[ "$(basename "$deb")" = "scrivolux_${version}_$(dpkg --print-architecture).deb" ] ||
    fail "the package file is named $(basename "$deb")"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version), not $version"
depends=$(dpkg-deb -f "$deb" Depends)
# Computed by dpkg-shlibdeps from the executables, never typed in.
for library in libqt6core6 libqt6widgets6 libc6; do
    [[ $depends == *"$library ("* ]] || fail "Depends lacks $library: $depends"
done
# Loaded at run time, out of dpkg-shlibdeps' sight: the window-system plugins
# and the face the windows were laid out for.
for package in qt6-qpa-plugins fonts-liberation2; do
    [[ $depends == *"$package"* ]] || fail "Depends lacks $package: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root" || exit 1
if [ -n "$python" ]; then
    python_deb=${python_debs[0]}
    [ "$(basename "$python_deb")" = "python3-scrivolux_${version}_$(dpkg --print-architecture).deb" ] ||
        fail "the Python package file is named $(basename "$python_deb")"
    python_depends=$(dpkg-deb -f "$python_deb" Depends)
    for dependency in "scrivolux (= $version)" "python3 (>= " "python3 (<< " "libqt6core6 ("; do
        [[ $python_depends == *"$dependency"* ]] || fail "python3-scrivolux Depends lacks $dependency: $python_depends"
    done
    dpkg-deb -x "$python_deb" "$root" || exit 1
fi
for file in usr/bin/scrivolux usr/bin/scrivolux-cli \
    usr/libexec/scrivolux/scrivolux usr/libexec/scrivolux/scrivolux-cli \
    usr/libexec/scrivolux/cuvplus.dat usr/libexec/scrivolux/cuvplus.dat.idx \
    usr/share/applications/scrivolux.desktop \
    usr/share/metainfo/org.scrivolux.Scrivolux.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/scrivolux.svg \
    usr/share/icons/hicolor/48x48/apps/scrivolux.png \
    usr/share/man/man1/scrivolux.1.gz usr/share/man/man1/scrivolux-cli.1.gz \
    usr/share/bash-completion/completions/scrivolux-cli \
    usr/share/zsh/vendor-completions/_scrivolux-cli \
    usr/share/fontconfig/conf.avail/30-scrivolux-ms-sans-serif.conf \
    usr/share/doc/scrivolux/copyright usr/share/doc/scrivolux/changelog.Debian.gz; do
    [ -e "$root/$file" ] || fail "the package lacks /$file"
done
[ "$(readlink "$root/etc/fonts/conf.d/30-scrivolux-ms-sans-serif.conf")" = \
    /usr/share/fontconfig/conf.avail/30-scrivolux-ms-sans-serif.conf ] ||
    fail "the font alias is not enabled in /etc/fonts/conf.d"
grep -q "Carnegie Mellon University" "$root/usr/share/doc/scrivolux/copyright" ||
    fail "the copyright file lacks the word list's licence"
grep -q "Kevin Atkinson" "$root/usr/share/doc/scrivolux/copyright" ||
    fail "the copyright file lacks the spelling lists' licence"
grep -q "^License: GPL-3+" "$root/usr/share/doc/scrivolux/copyright" ||
    fail "the copyright file lacks the program's own licence"
grep -q "^Exec=scrivolux %f" "$root/usr/share/applications/scrivolux.desktop" ||
    fail "the desktop entry does not hand over the file it is opened with"
grep -q "<project_license>GPL-3.0-or-later</project_license>" \
    "$root/usr/share/metainfo/org.scrivolux.Scrivolux.metainfo.xml" ||
    fail "the AppStream metadata lacks the project's licence"

# The links in bin/ must stay inside the package: an absolute link would run
# whatever is installed on this machine instead.
cli=$root/usr/bin/scrivolux-cli
case "$(readlink -f "$cli")" in
"$root"/usr/libexec/scrivolux/scrivolux-cli) ;;
*) fail "usr/bin/scrivolux-cli leads to $(readlink -f "$cli")" ;;
esac

# The unpacked program with the unpacked word list: every word is known.
printf 'The cat sat on the mat. Readability matters to every teacher.\n' >"$work/text.txt"
if HOME=$work/home XDG_DATA_HOME=$work/home/data "$cli" --unknown=zero "$work/text.txt" \
    >"$work/report.txt" 2>"$work/errors.txt"; then
    grep -qx "Total Number of Words: 11" "$work/report.txt" || fail "word count: $(cat "$work/report.txt")"
    grep -qx "Total Number of Syllables: 19" "$work/report.txt" ||
        fail "syllable count: $(cat "$work/report.txt")"
    [ ! -s "$work/errors.txt" ] || fail "unexpected messages: $(cat "$work/errors.txt")"
else
    fail "scrivolux-cli exited with $?: $(cat "$work/report.txt" "$work/errors.txt")"
fi
# The unpacked module where Debian's python3 looks for it, with the unpacked
# word list found without being named; without the list it names the file.
python_module() {
    PYTHONPATH=$root/usr/lib/python3/dist-packages HOME=$work/home "$python" -c '
import sys, scrivolux
assert scrivolux.__file__.startswith(sys.argv[1] + "/usr/lib/python3/dist-packages/"), scrivolux.__file__
try:
    report = scrivolux.analyse(open(sys.argv[2]).read(), unknown="zero")
except scrivolux.WordListError as error:
    print("WordListError", error.filename)
    sys.exit(0)
print(report["counts"]["words"], report["counts"]["syllables"], report["unknownWords"])
' "$root" "$work/text.txt" 2>&1
}
if [ -n "$python" ]; then
    for file in usr/lib/python3/dist-packages/scrivolux/__init__.py \
        usr/lib/python3/dist-packages/scrivolux/__init__.pyi \
        usr/lib/python3/dist-packages/scrivolux/py.typed \
        usr/share/doc/python3-scrivolux/copyright usr/share/doc/python3-scrivolux/changelog.Debian.gz; do
        [ -e "$root/$file" ] || fail "python3-scrivolux lacks /$file"
    done
    ls "$root"/usr/lib/python3/dist-packages/scrivolux/_scrivolux.cpython-*.so >/dev/null 2>&1 ||
        fail "python3-scrivolux lacks the extension module"
    module_report=$(python_module)
    [ "$module_report" = "11 19 []" ] || fail "the unpacked Python module gives: $module_report"
fi

# The installed programs read the index, not the text: with every letter of the
# list changed, its size and time kept as the package left them, the counts stay
# (the text would make every word unknown). An index refused for its time, to
# the second, would make start-up twenty times slower and nobody would notice.
word_list=$root/usr/libexec/scrivolux/cuvplus.dat
cp -p "$word_list" "$work/cuvplus.dat.kept"
tr 'a-z' 'q' <"$work/cuvplus.dat.kept" >"$word_list"
touch -r "$work/cuvplus.dat.kept" "$word_list"
index_report=$(HOME=$work/home XDG_DATA_HOME=$work/home/data "$cli" --unknown=zero "$work/text.txt" 2>&1)
grep -qx "Total Number of Syllables: 19" <<<"$index_report" ||
    fail "scrivolux-cli does not use cuvplus.dat.idx: $index_report"
if [ -n "$python" ]; then
    module_report=$(python_module)
    [ "$module_report" = "11 19 []" ] || fail "the Python module does not use cuvplus.dat.idx: $module_report"
fi
cp -p "$work/cuvplus.dat.kept" "$word_list"

# Without the word list it must say so, not count everything as unknown.
mv "$root/usr/libexec/scrivolux/cuvplus.dat" "$work/cuvplus.dat"
HOME=$work/home XDG_DATA_HOME=$work/home/data "$cli" --unknown=zero "$work/text.txt" >/dev/null 2>&1
status=$?
[ $status -eq 3 ] || fail "without the word list scrivolux-cli exited with $status, not 3"
if [ -n "$python" ]; then
    module_report=$(python_module)
    [ "$module_report" = "WordListError $root/usr/libexec/scrivolux/cuvplus.dat" ] ||
        fail "the unpacked Python module without the word list: $module_report"
fi
mv "$work/cuvplus.dat" "$root/usr/libexec/scrivolux/cuvplus.dat"

# The manual pages render without a groff warning and hold the usual sections.
for page in scrivolux scrivolux-cli; do
    if ! MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" \
        >"$work/$page.txt" 2>"$work/$page.err"; then
        fail "man -l $page.1.gz: $(cat "$work/$page.err")"
        continue
    fi
    [ ! -s "$work/$page.err" ] || fail "man -l $page.1.gz warns: $(cat "$work/$page.err")"
    for section in NAME SYNOPSIS OPTIONS "EXIT STATUS" FILES; do
        grep -qx "$section" "$work/$page.txt" || fail "$page(1) lacks the section $section"
    done
    grep -q "cuvplus.dat" "$work/$page.txt" || fail "$page(1) does not name cuvplus.dat"
done
for option in --json --dictionary --custom --unknown --help --version; do
    grep -q -- "$option" "$work/scrivolux-cli.txt" || fail "scrivolux-cli(1) lacks $option"
done

desktop-file-validate "$root/usr/share/applications/scrivolux.desktop" ||
    fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.scrivolux.Scrivolux.metainfo.xml" ||
    fail "appstreamcli validate"

# Completion in a real bash with bash-completion loaded, as a user gets it.
completions=$(
    cd "$work" && touch essay.txt && bash --norc --noprofile -c '
        source "$1" && source "$2" || exit 1
        # Outside a real completion compopt only complains; what it sets is
        # not part of the reply.
        compopt() { :; }
        complete_line() {
            COMP_LINE="scrivolux-cli $1"
            read -ra COMP_WORDS <<<"$COMP_LINE"
            [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
            COMP_POINT=${#COMP_LINE}
            COMPREPLY=()
            _scrivolux_cli scrivolux-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
            echo "$1 => ${COMPREPLY[*]}"
        }
        complete -p scrivolux-cli
        complete_line "--u"
        complete_line "--unknown="
        complete_line "--unknown=e"
        complete_line "--format="
        complete_line "--dictionary ess"
        complete_line "ess"
    ' bash "$bash_completion" "$root/usr/share/bash-completion/completions/scrivolux-cli" 2>&1
)
echo "$completions"
for expected in "complete -F _scrivolux_cli scrivolux-cli" "--u => --unknown=" \
    "--unknown= => ask zero estimate" "--unknown=e => estimate" \
    "--format= => text json csv jsonl sarif" "--dictionary ess => essay.txt" "ess => essay.txt"; do
    grep -qxF -- "$expected" <<<"$completions" || fail "completion: expected '$expected'"
done

lintian_output=$(lintian --fail-on error "${all_debs[@]}" 2>&1)
lintian_status=$?
echo "$lintian_output" | grep -v "running with root privileges"
[ $lintian_status -eq 0 ] || fail "lintian reports errors"

if [ $failures -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "package checks passed"
