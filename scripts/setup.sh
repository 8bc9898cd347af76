#!/usr/bin/env bash
# Installs what building, running and testing Perchpoints needs on Debian 12, and nothing that
# is already there. Only 64-bit Wine is needed: no i386 architecture is added. Recommended
# packages come along on purpose: Wine uses them for fonts and X rendering, and tests should see
# the same Wine on every machine.
set -euo pipefail

packages=(
    g++-mingw-w64-x86-64-posix
    wine
    wine64
    xvfb
    xauth
    x11-utils
    xdotool
    imagemagick
    cmake
    make
    ninja-build
    googletest
    clang
    clang-format
    valgrind
    python3
)

missing=()
for pkg in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$pkg")
    fi
done

# The sanitizer and libFuzzer runtimes come in a separate package on Debian; look for the
# runtime files themselves, as clang may be installed without them.
clang_major() {
    clang --version 2>/dev/null | sed -n 's/.*clang version \([0-9][0-9]*\).*/\1/p' | head -n1
}
runtime_present() {
    command -v clang >/dev/null || return 1
    local dir
    dir=$(clang -print-runtime-dir 2>/dev/null) || return 1
    [[ -f $dir/libclang_rt.fuzzer-x86_64.a && -f $dir/libclang_rt.asan-x86_64.a ]] ||
        [[ -f $dir/libclang_rt.fuzzer.a && -f $dir/libclang_rt.asan.a ]]
}

install() {
    local sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        sudo=(sudo)
    fi
    echo "setup: installing $*"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
}

if ((${#missing[@]})); then
    install "${missing[@]}"
fi

if ! runtime_present; then
    major=$(clang_major)
    [[ -n $major ]] || {
        echo "setup: clang is not usable" >&2
        exit 1
    }
    install "libclang-rt-$major-dev"
    runtime_present || {
        echo "setup: clang's sanitizer/libFuzzer runtime is still missing" >&2
        exit 1
    }
fi
