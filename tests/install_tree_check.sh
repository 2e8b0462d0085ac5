#!/usr/bin/env bash
# Checks what a user gets from a build, without configuring anything:
#   tree    BUILD SOURCE  cmake --install into a scratch prefix: exactly the expected files,
#                         a working kavren, a man page man can find and render, a completion
#                         that completes; the man page and README document every option and
#                         failure message; examples/ builds against the library with
#                         find_package and with pkg-config, and its program runs.
#   deb     BUILD SOURCE  cpack -G DEB: the package's fields and files, installed with dpkg
#                         into a scratch root and used from there (the example too).
#   gallery BUILD SOURCE  tools/gallery still draws every picture, and the README's gallery
#                         table is the one the script describes.
# CMAKE and CPACK name the tools (default: from PATH). Exit 77 means skipped.
set -uo pipefail

mode=${1:?mode}
build=$(cd "${2:?build directory}" && pwd)
source_dir=${3:-}
[[ -n $source_dir ]] && source_dir=$(cd "$source_dir" && pwd)
cmake=${CMAKE:-cmake}
cpack=${CPACK:-cpack}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The files an installation holds, relative to its prefix (the CMake
# package's per-configuration file as kavrenTargets-CONFIG.cmake).
expected_files() {
    printf '%s\n' bin/kavren share/bash-completion/completions/kavren share/doc/kavren/LICENSE-font.txt \
        share/doc/kavren/copyright share/man/man1/kavren.1 include/kavren/kavren.h lib/libkavren.a \
        lib/cmake/kavren/kavrenConfig.cmake lib/cmake/kavren/kavrenConfigVersion.cmake \
        lib/cmake/kavren/kavrenTargets.cmake lib/cmake/kavren/kavrenTargets-CONFIG.cmake \
        lib/pkgconfig/kavren.pc | sort
}

any_config() {
    sed 's|kavrenTargets-[a-z]*\.cmake$|kavrenTargets-CONFIG.cmake|' | sort
}

# examples/ built against the library under the prefix as a user would:
# through find_package, and through pkg-config with the example's Makefile.
# Each program writes its label to a file and to standard output.
check_library() {
    local prefix=$1 work=$scratch/example
    [[ -n $source_dir ]] || { fail "library: no source directory"; return; }
    # A sanitizer build installs an instrumented archive that a plain program
    # cannot link; the plain build checks examples/.
    if [[ -n ${KAVREN_SANITIZED:-} ]]; then
        echo "sanitizer build: examples/ is checked by the plain build"
        return
    fi
    mkdir -p "$work/pc"
    if ! "$cmake" -S "$source_dir/examples" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
        >"$work/cmake.log" 2>&1 || ! "$cmake" --build "$work/cmake" >>"$work/cmake.log" 2>&1; then
        cat "$work/cmake.log" >&2
        fail "examples/ does not build with find_package(kavren)"
    else
        check_example "$work/cmake/label" "find_package"
    fi
    if ! command -v pkg-config >/dev/null; then
        echo "no pkg-config: the pkg-config build is not checked"
    elif ! PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name kavren.pc | head -1)") \
        make -C "$work/pc" -f "$source_dir/examples/Makefile" VPATH="$source_dir/examples" >"$work/pc.log" 2>&1; then
        cat "$work/pc.log" >&2
        fail "examples/ does not build with pkg-config kavren"
    else
        check_example "$work/pc/label" "pkg-config"
    fi
}

check_example() {
    local program=$1 how=$2 out=$scratch/example/label.png
    rm -f "$out"
    "$program" "$out" || { fail "the example built with $how fails"; return; }
    [[ $(head -c 8 "$out" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] || fail "the $how example wrote no PNG"
    # One fixed time stamp, so that the two writes may fall in different seconds.
    SOURCE_DATE_EPOCH=86400 "$program" "$out" || { fail "the example built with $how fails"; return; }
    cmp -s "$out" <(SOURCE_DATE_EPOCH=86400 "$program" -) || fail "the $how example writes other bytes to standard output"
    if command -v zbarimg >/dev/null; then
        [[ $(zbarimg -q --raw "$out" 2>/dev/null) == 5901234123457 ]] || fail "the $how example's label does not read"
    fi
    local err
    err=$("$program" "$out" 11 12 2>&1)
    [[ $? -eq 6 && ${err%%$'\n'*} == "Error: Invalid barcode text." ]] || fail "the $how example's failure: '$err'"
}

# Runs an installed kavren as a user would: another directory, a bare environment.
check_program() {
    local kavren=$1 work=$scratch/run
    mkdir -p "$work"
    [[ -x $kavren ]] || { fail "$kavren is not an executable"; return; }

    local out
    out=$(cd "$work" && env -i PATH=/usr/bin:/bin "$kavren" -h 2>/dev/null)
    [[ $? -eq 0 && $out == "kavren Version 1.5 "*"Usage:  kavren [OPTIONS] filename"* ]] ||
        fail "$kavren -h: no usage on standard output with status 0"

    (cd "$work" && env -i PATH=/usr/bin:/bin "$kavren" -t 11 -d 590123412345 ean13.png)
    local status=$?
    [[ $status -eq 0 ]] || fail "$kavren -t 11 -d 590123412345 ean13.png: status $status"
    [[ $(head -c 8 "$work/ean13.png" 2>/dev/null | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] ||
        fail "$kavren wrote no PNG"
    if command -v zbarimg >/dev/null; then
        local text
        text=$(zbarimg -q --raw "$work/ean13.png" 2>/dev/null)
        [[ $text == 5901234123457 ]] || fail "the installed kavren's EAN-13 reads as '$text'"
    fi

    local err
    err=$(cd "$work" && env -i PATH=/usr/bin:/bin "$kavren" 2>&1 >/dev/null)
    status=$?
    [[ $status -eq 11 && $err == *"Error: Output file name cant be empty."* ]] ||
        fail "$kavren without a file name: status $status, '$err'"
}

# The page is found by name under its man directory, renders without a
# warning, and documents every option and every failure message of the program.
check_man_page() {
    local mandir=$1 kavren=$2 page=$1/man1/kavren.1
    [[ -s $page ]] || { fail "no man page at $page"; return; }
    check_documents "the man page" "$(sed 's/\\-/-/g' "$page")" "$kavren"
    local text warnings=$scratch/man-warnings
    if command -v man >/dev/null; then
        [[ $(LC_ALL=C man -M "$mandir" -w kavren 2>/dev/null) == "$page"* ]] || fail "man -M $mandir does not find kavren"
        text=$(LC_ALL=C MANWIDTH=100 man --warnings -l "$page" 2>"$warnings")
    elif command -v groff >/dev/null; then
        text=$(groff -man -ww -Tascii -P-cbou "$page" 2>"$warnings")
    else
        echo "neither man nor groff: the man page is only checked for presence"
        return
    fi
    [[ -s $warnings ]] && fail "the man page renders with warnings: $(head -5 "$warnings")"
    local section
    for section in NAME SYNOPSIS OPTIONS SYMBOLOGIES "IMAGE SIZE" "EXIT STATUS" LIMITS; do
        grep -q "^$section" <<<"$text" || fail "the man page has no $section section"
    done
}

# A document names every long option of the usage text (and the unlisted
# --fean) and gives every failure message of the program word for word.
check_documents() {
    local what=$1 text=$2 kavren=$3 option message
    for option in $("$kavren" -h | grep -o -- '--[a-z0-9]*') --fean; do
        grep -q -- "$option" <<<"$text" || fail "$what does not document $option"
    done
    while IFS= read -r message; do
        grep -qF -- "\"$message\"" <<<"$text" || fail "$what does not give the message \"$message\""
    done < <(program_messages "$kavren")
}

# The failure messages a run can print, as the program itself holds them.
program_messages() {
    grep -ao 'Error: [][A-Za-z ().]*' "$1" | sort -u | grep -v -e 'Unknown exception' -e 'Unknown error'
}

# Sources the completion in a plain bash (no bash-completion package) and asks
# it what it would offer.
check_completion() {
    local script=$1
    [[ -s $script ]] || { fail "no completion script at $script"; return; }
    local result
    result=$(bash --norc --noprofile -c '
        source "$1" || exit 1
        complete -p kavren >/dev/null || exit 2
        ask() {
            COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=()
            _kavren kavren "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
            echo "${COMPREPLY[*]}"
        }
        ask kavren --xs
        ask kavren -t ""
        ask kavren --btype = ""
        ask kavren -d x -o ""
        ask kavren --qz
        ask kavren -q ""
    ' bash "$script")
    local -a lines
    mapfile -t lines <<<"$result"
    [[ ${lines[0]:-} == --xsize ]] || fail "completion of --xs gives '${lines[0]:-}'"
    [[ ${lines[1]:-} == "$(seq -s " " 0 "$(($("$build/kavren-symbology-list" | wc -l) - 1))") "* && ${lines[1]} == *" ean13 "* ]] || fail "completion of -t gives '${lines[1]:-}'"
    [[ ${lines[2]:-} == "${lines[1]:-}" ]] || fail "completion of --btype= gives '${lines[2]:-}'"
    [[ ${lines[3]:-} == "0 90 180 270" ]] || fail "completion of -o gives '${lines[3]:-}'"
    [[ ${lines[4]:-} == --qzone ]] || fail "completion of --qz gives '${lines[4]:-}'"
    [[ ${lines[5]:-} == "0 1" ]] || fail "completion of -q gives '${lines[5]:-}'"
}

check_tree() {
    local prefix=$scratch/prefix
    if ! "$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
        cat "$scratch/install.log" >&2
        fail "cmake --install failed"
        return
    fi
    local installed
    installed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | any_config)
    [[ $installed == "$(expected_files)" ]] ||
        fail "installed files differ from the expected ones:"$'\n'"$(diff <(expected_files) <(echo "$installed"))"
    check_program "$prefix/bin/kavren"
    check_library "$prefix"
    check_man_page "$prefix/share/man" "$prefix/bin/kavren"
    check_completion "$prefix/share/bash-completion/completions/kavren"
    [[ -n $source_dir ]] && check_documents README.md "$(cat "$source_dir/README.md")" "$prefix/bin/kavren"
    cmp -s "$prefix/share/doc/kavren/LICENSE-font.txt" "$(dirname "$0")/../assets/LiberationSans-LICENSE.txt" ||
        fail "LICENSE-font.txt is not the font's licence"
}

check_deb() {
    if ! command -v dpkg-deb >/dev/null || ! command -v dpkg >/dev/null; then
        echo "no dpkg: skipped"
        exit 77
    fi
    command -v "$cpack" >/dev/null || { echo "no cpack: skipped"; exit 77; }
    if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1; then
        cat "$scratch/cpack.log" >&2
        fail "cpack -G DEB failed"
        return
    fi
    local -a debs=("$scratch"/package/*.deb)
    [[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { fail "cpack made ${#debs[@]} packages"; return; }
    local deb=${debs[0]}

    [[ $(dpkg-deb -f "$deb" Package) == kavren ]] || fail "package name"
    [[ $(dpkg-deb -f "$deb" Version) == 1.5* ]] || fail "package version $(dpkg-deb -f "$deb" Version)"
    [[ $(dpkg-deb -f "$deb" Architecture) == "$(dpkg --print-architecture)" ]] || fail "package architecture"
    [[ $(dpkg-deb -f "$deb" Maintainer) == *"<"*@*">" ]] || fail "package maintainer"
    [[ -n $(dpkg-deb -f "$deb" Description) ]] || fail "package description"
    local contents
    contents=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | any_config)
    [[ $contents == "$(expected_files)" ]] ||
        fail "package files differ from the expected ones:"$'\n'"$(diff <(expected_files) <(echo "$contents"))"

    # Into a scratch root with its own package database: what dpkg -i does on a machine.
    local root=$scratch/root
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
    : >"$root/var/lib/dpkg/status"
    local -a force=(--force-depends)
    [[ $(id -u) -ne 0 ]] && force+=(--force-not-root)
    if ! dpkg --root="$root" --log=/dev/null "${force[@]}" -i "$deb" >"$scratch/dpkg.log" 2>&1; then
        cat "$scratch/dpkg.log" >&2
        fail "dpkg -i into a scratch root failed"
        return
    fi
    local program=$root/usr/bin/kavren
    check_program "$program"
    check_library "$root/usr"
    check_man_page "$root/usr/share/man" "$program"
    check_completion "$root/usr/share/bash-completion/completions/kavren"

    # A program that needs shared libraries must say so; a static one needs nothing.
    if command -v readelf >/dev/null; then
        local depends needed soname package
        depends=$(dpkg-deb -f "$deb" Depends)
        needed=$(readelf -d "$program" 2>/dev/null | grep NEEDED)
        for soname in libpng16.so:libpng16-16 libfreetype.so:libfreetype6 libz.so:zlib1g libc.so:libc6; do
            package=${soname#*:}
            grep -qF "[${soname%%:*}" <<<"$needed" || continue
            [[ $depends == *"$package"* ]] || fail "the package needs $package but Depends is '$depends'"
        done
    fi
}

check_gallery() {
    [[ -n $source_dir ]] || { fail "gallery: no source directory"; return; }
    local gallery=$source_dir/tools/gallery readme=$source_dir/README.md
    local table line
    table=$("$gallery" --markdown) || { fail "tools/gallery --markdown failed"; return; }
    while IFS= read -r line; do
        grep -qxF -- "$line" "$readme" || fail "README.md lacks the gallery line: $line"
    done <<<"$table"
    local rows
    rows=$("$build/kavren-symbology-list" | wc -l)
    [[ $(grep -c '^| [0-9]* |' <<<"$table") -eq $rows ]] || fail "the gallery does not have $rows pictures"

    local pictures
    pictures=$(grep -o 'doc/gallery/[^)]*\.png' <<<"$table" | sed 's|doc/gallery/||' | sort)
    local committed
    committed=$(find "$source_dir/doc/gallery" -maxdepth 1 -name '*.png' -printf '%f\n' 2>/dev/null | sort)
    [[ $committed == "$pictures" ]] ||
        fail "doc/gallery differs from the gallery table:"$'\n'"$(diff <(echo "$pictures") <(echo "$committed"))"

    if ! "$gallery" --kavren "$build/kavren" --out "$scratch/gallery" >"$scratch/gallery.log" 2>&1; then
        cat "$scratch/gallery.log" >&2
        fail "tools/gallery failed"
        return
    fi
    local made
    made=$(find "$scratch/gallery" -maxdepth 1 -name '*.png' -printf '%f\n' | sort)
    [[ $made == "$pictures" ]] || fail "tools/gallery made other pictures than its table lists"
}

case "$mode" in
    tree) check_tree ;;
    deb) check_deb ;;
    gallery) check_gallery ;;
    *) echo "unknown mode $mode" >&2 && exit 2 ;;
esac

if ((failures)); then
    echo "$mode: $failures failures" >&2
    exit 1
fi
echo "$mode: all checks passed"
