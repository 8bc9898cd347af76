# Perchpoints: cross-built with MinGW-w64, run and tested under Wine (on Xvfb when there is no
# display). Every build tree is overridable so parallel workers do not collide:
#   make test BUILD_DIR=build-mine      (native and fuzz trees follow: build-mine-native, ...)

BUILD_DIR        ?= build
NATIVE_BUILD_DIR ?= $(BUILD_DIR)-native
FUZZ_BUILD_DIR   ?= $(BUILD_DIR)-fuzz
BENCH_NATIVE_BUILD_DIR ?= $(BUILD_DIR)-native-bench
BUILD_TYPE       ?= Release
JOBS             ?= $(shell nproc)
CTEST_JOBS       ?= 3
# Display lanes for the tests that need a display to themselves (scripts/wine-run).
UI_LANES         ?= 2
FUZZ_SECONDS     ?= 30
FUZZ_JOBS        ?= 2

WINE_RUN   := $(CURDIR)/scripts/wine-run
BUILD_ABS   = $(abspath $(BUILD_DIR))
IN_WINE     = PP_BUILD_DIR=$(BUILD_ABS) $(WINE_RUN)
APP_EXE     = $(BUILD_ABS)/app/perchpoints.exe

# Ninja when setup.sh has put it there, Make otherwise. Decided in the recipe, after setup ran.
GENERATOR = $$(command -v ninja >/dev/null 2>&1 && echo Ninja || echo 'Unix Makefiles')
# The host compiler for the sanitizer build: clang if present (the fuzz build requires it).
HOST_CXX  = $$(command -v clang++ || command -v g++)

.PHONY: all setup lint build run test native-test fuzz bench soak screenshot gallery clean

all: build

setup:
	@bash scripts/setup.sh

# Every C++ file as the committed .clang-format has it; make test fails on one that is not.
lint: setup
	@bash scripts/check-format

build: setup
	@if [ ! -f $(BUILD_DIR)/CMakeCache.txt ]; then \
	    cmake -S . -B $(BUILD_DIR) -G "$(GENERATOR)" \
	        -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
	        -DCMAKE_BUILD_TYPE=$(BUILD_TYPE); \
	fi
	cmake --build $(BUILD_DIR) -j$(JOBS)

# Runs in the foreground until the program exits.
run: build
	$(IN_WINE) $(APP_EXE)

test: lint build native-test
	PP_DISPLAY_LANES=$(UI_LANES) $(IN_WINE) --host ctest --test-dir $(BUILD_DIR) --output-on-failure \
	    -j$(CTEST_JOBS)

# make test also runs every fuzz target, 15 s each and two at a time whatever FUZZ_SECONDS and
# FUZZ_JOBS say in the environment; a crash fails it. `make fuzz` runs them as long as asked.
test: FUZZ_SECONDS = 15
test: FUZZ_JOBS = 2
test: fuzz

native-test: setup
	@if [ ! -f $(NATIVE_BUILD_DIR)/CMakeCache.txt ]; then \
	    cmake -S . -B $(NATIVE_BUILD_DIR) -G "$(GENERATOR)" \
	        -DCMAKE_CXX_COMPILER="$(HOST_CXX)" -DCMAKE_BUILD_TYPE=Debug -DPP_SANITIZE=ON; \
	fi
	cmake --build $(NATIVE_BUILD_DIR) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --test-dir $(NATIVE_BUILD_DIR) --output-on-failure -j$(JOBS)

# Every target's corpus lives in $(FUZZ_BUILD_DIR)/fuzz/corpus/<target> (the Wine-side ones in
# $(BUILD_DIR)/fuzz-wine/corpus/<target>) and grows from run to run; the committed seeds in
# tests/fuzz/corpus/<target> are read along. tests/fuzz/<target>.options adds options (such as a
# larger -max_len). The skin loader needs GDI, so its fuzzer runs under Wine from the Windows build.
fuzz: setup build
	@if [ ! -f $(FUZZ_BUILD_DIR)/CMakeCache.txt ]; then \
	    cmake -S . -B $(FUZZ_BUILD_DIR) -G "$(GENERATOR)" -DCMAKE_CXX_COMPILER=clang++ \
	        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPP_FUZZ=ON -DPP_BUILD_TESTS=OFF; \
	fi
	cmake --build $(FUZZ_BUILD_DIR) -j$(JOBS)
	@bash scripts/run-fuzzers $(FUZZ_SECONDS) $(FUZZ_JOBS) $(abspath $(FUZZ_BUILD_DIR))/fuzz \
	    $(BUILD_ABS)/fuzz-wine tests/fuzz env $(IN_WINE)

# The leak checks (ctest label `leak`) with a thousand rounds each instead of the hundred of
# `make test`, their output shown: each prints the GDI and USER object counts before and after.
SOAK_ROUNDS ?= 1000
soak: build
	PP_SOAK_ROUNDS=$(SOAK_ROUNDS) $(IN_WINE) --host ctest --test-dir $(BUILD_DIR) -L leak -V

# The folder chooser's benchmark wants a folder of 20,000 subfolders: made here natively, as
# Wine makes them slowly. The benchmarks' screen is large enough for 1920 x 1080 windows.
# The benchmarks run on one processor: every window message costs round trips to Wine's server,
# and on a virtual machine a round trip to a server on the other processor costs a wake-up that
# can triple a figure and varies from run to run.
BENCH_MANY_FOLDERS = $(BUILD_ABS)/bench/many-folders
BENCH_PIN ?= $(shell command -v taskset >/dev/null 2>&1 && echo taskset -c 0)
bench: build
	cmake --build $(BUILD_DIR) -j$(JOBS) --target benches
	@$(MAKE) --no-print-directory native-bench
	@[ -d $(BENCH_MANY_FOLDERS)/f19999 ] || cmake -DDIR=$(BENCH_MANY_FOLDERS) -DCOUNT=20000 \
	    -P tests/controls/MakeManyFolders.cmake
	@export PP_MANY_FOLDERS=$(BENCH_MANY_FOLDERS); list=$(BUILD_DIR)/bench/benches.txt; \
	if ! grep -q . $$list 2>/dev/null; then echo "bench: no benchmarks defined"; exit 0; fi; \
	PP_SCREEN=2560x1600x24 $(BENCH_PIN) env $(IN_WINE) --host bash -c 'set -e; while read -r exe; do [ -n "$$exe" ] || continue; \
	    echo "== $$(basename "$$exe")"; "$$0" "$$exe"; done < "$$1"' $(WINE_RUN) $$list

# The skin decoder against the plain reference decoder, on the host: a release tree of its own,
# as figures from the sanitizer tree would mean nothing. Instructions need valgrind.
.PHONY: native-bench
native-bench: setup
	@if [ ! -f $(BENCH_NATIVE_BUILD_DIR)/CMakeCache.txt ]; then \
	    cmake -S . -B $(BENCH_NATIVE_BUILD_DIR) -G "$(GENERATOR)" \
	        -DCMAKE_CXX_COMPILER="$(HOST_CXX)" -DCMAKE_BUILD_TYPE=Release -DPP_BUILD_TESTS=OFF; \
	fi
	cmake --build $(BENCH_NATIVE_BUILD_DIR) -j$(JOBS) --target lzh_decode_bench
	$(BENCH_NATIVE_BUILD_DIR)/bench/bin/lzh_decode_bench

# Always on a private virtual display, so the picture does not depend on the desktop around it.
# The program runs from a folder of its own with a few demonstration targets.
SHOT_DIR = $(BUILD_ABS)/screenshot
screenshot: build
	@mkdir -p docs $(SHOT_DIR)
	@cp $(APP_EXE) $(SHOT_DIR)/perchpoints.exe
	@printf 'C:\\windows=Windows\r\nC:\\users\\Public\\Documents=Documents\r\nC:\\users\\Public\\Music=Music & podcasts\r\nC:\\Program Files\r\n' > $(SHOT_DIR)/perchpoints.dat
	@rm -f $(SHOT_DIR)/perchpoints.ini
	@env -u DISPLAY $(IN_WINE) --host bash -c ' \
	    "$$0" "$$1" & pid=$$!; wid=; \
	    for i in $$(seq 120); do \
	        wid=$$(xdotool search --onlyvisible --name "^Perchpoints$$" 2>/dev/null | head -n1); \
	        [ -n "$$wid" ] && break; kill -0 $$pid 2>/dev/null || break; sleep 0.5; \
	    done; \
	    if [ -z "$$wid" ]; then echo "screenshot: the Perchpoints window did not appear" >&2; kill $$pid 2>/dev/null; exit 1; fi; \
	    sleep 1; \
	    import -window "$$wid" docs/screenshot-tmp.png && mv docs/screenshot-tmp.png docs/screenshot.png; \
	    kill $$pid 2>/dev/null; wait $$pid 2>/dev/null; \
	    echo "screenshot: wrote docs/screenshot.png"' $(WINE_RUN) $(SHOT_DIR)/perchpoints.exe

# The skin gallery in each of the eight skins, as the pictures docs/skins/ shows.
gallery: build
	@env -u DISPLAY PP_SCREEN=1280x800x24 $(IN_WINE) --host bash scripts/gallery-shots $(WINE_RUN) \
	    $(BUILD_ABS)/tools/skingallery/skingallery.exe skins docs/skins

clean:
	@if [ -d $(BUILD_DIR)/wineprefix ]; then \
	    WINEPREFIX=$(BUILD_ABS)/wineprefix wineserver -k >/dev/null 2>&1 || true; \
	fi
	rm -rf $(BUILD_DIR) $(NATIVE_BUILD_DIR) $(FUZZ_BUILD_DIR) $(BENCH_NATIVE_BUILD_DIR)
