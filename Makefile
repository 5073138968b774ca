# Ambler -- `make run` builds and opens a demo scene; `make test` builds and
# runs every test. Both install the Debian packages they need first.

SHELL := /bin/bash
BUILD ?= build
WIN_BUILD ?= build-windows
WEB_BUILD ?= build-web
ASAN_BUILD ?= build-asan
SCENE ?= walk
JOBS ?= $(shell nproc)
# A build's own parallelism; empty where several builds share make's job pool.
PARALLEL ?= -j$(JOBS)
SOAK_STEPS ?= 100000
FUZZ_SECONDS ?= 60

# Everything a fresh Debian 12 machine lacks for building, testing and the
# window tests (a private X server with a small EWMH window manager).
PACKAGES := g++ make cmake pkg-config libsdl2-dev libgl1-mesa-dev libglu1-mesa-dev \
	libgl1-mesa-dri libpng-dev libx11-dev libxrandr-dev libgtest-dev libbenchmark-dev \
	xvfb xauth xdotool x11-utils x11-apps openbox \
	libassimp-dev assimp-testmodels libstb-dev libmeshoptimizer-dev libseccomp-dev \
	g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine zip strace \
	libegl-dev libgles-dev emscripten chromium python3

.PHONY: all deps build asan windows web serve-web run test test-fast test-windows test-web bench soak fuzz update-golden scenes clean

all: build

deps:
	@bash tools/install-deps.sh $(PACKAGES)
	@command -v npm > /dev/null || bash tools/install-deps.sh nodejs npm
	@[ -d node_modules/playwright-core ] || npm ci --no-audit --no-fund --loglevel=error

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
	+@cmake --build $(BUILD) $(PARALLEL)

# One sanitizer build (ASan and UBSan) shared by every sanitizer pass.
asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DAMBLER_SANITIZE=ON \
		-DAMBLER_BENCH=OFF -DAMBLER_GLES_CHECK=OFF > /dev/null
	+@cmake --build $(ASAN_BUILD) $(PARALLEL)

# The Windows programs, cross-built with MinGW-w64 (no compiler cache: the
# toolchain file names the compilers), and dist/ambler-windows-x64.zip.
windows: deps
	@env -u CMAKE_CXX_COMPILER_LAUNCHER -u CMAKE_C_COMPILER_LAUNCHER cmake -S . -B $(WIN_BUILD) \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release > /dev/null
	+@cmake --build $(WIN_BUILD) $(PARALLEL) --target ambler-replay windows-zip

# The browser build (Debian's emscripten; its JS optimizer needs Node to see
# Debian's node-acorn): build-web/site is the static site, and
# dist/ambler-web.zip packs it for any static host.
web: deps
	@env NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B $(WEB_BUILD) \
		-DCMAKE_BUILD_TYPE=Release > /dev/null
	+@env NODE_PATH=/usr/share/nodejs cmake --build $(WEB_BUILD) $(PARALLEL)
	@mkdir -p dist && rm -f dist/ambler-web.zip && cd $(WEB_BUILD)/site && zip -q -r ../../dist/ambler-web.zip .

# Serves the site on this machine only, for a person to try in a browser.
serve-web: web
	@echo "Ambler in the browser: http://127.0.0.1:8080/  (Ctrl+C stops)"
	@python3 -m http.server 8080 --bind 127.0.0.1 --directory $(WEB_BUILD)/site

run: build
	@if [ ! -f scenes/$(SCENE)/Hod.pro ]; then \
		echo "no demo scene '$(SCENE)'; try: $$(ls scenes | tr '\n' ' ')"; exit 2; fi
	@cd scenes/$(SCENE) && exec ../../$(BUILD)/bin/ambler

# All tests in the normal build (window tests included, under a private X
# display when none is set), then the unit and replay tests again from the
# sanitizer build.
# The Windows and browser builds go alongside the two Linux builds, all four
# drawing on one pool of JOBS jobs (no build waits alone at the end); their
# passes run in the normal build's tests (labels "windows" and "web").
test: deps
	@$(MAKE) --no-print-directory -j$(JOBS) build asan windows web PARALLEL=
	@cmake -S . -B $(BUILD) -DAMBLER_WINDOWS_BIN=$(CURDIR)/$(WIN_BUILD)/bin \
		-DAMBLER_WEB_BIN=$(CURDIR)/$(WEB_BUILD)/bin > /dev/null
	@bash tools/with-display.sh ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	@bash tools/with-display.sh env ASAN_OPTIONS=detect_leaks=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS) -LE window

# The normal build's tests only (quicker while working).
test-fast: build
	@bash tools/with-display.sh ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS) -LE 'windows|web'

# The Windows pass alone: cross build, then its tests under wine.
test-windows: build windows
	@cmake -S . -B $(BUILD) -DAMBLER_WINDOWS_BIN=$(CURDIR)/$(WIN_BUILD)/bin > /dev/null
	@bash tools/with-display.sh ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS) -L windows

# The browser pass alone: the browser build, then its tests in headless Chromium.
test-web: build web
	@cmake -S . -B $(BUILD) -DAMBLER_WEB_BIN=$(CURDIR)/$(WEB_BUILD)/bin > /dev/null
	@bash tools/with-display.sh ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS) -L web

bench: build
	@for b in $(BUILD)/bin/*_bench; do echo "== $$b"; bash tools/with-display.sh $$b || exit 1; done

soak: build
	@bash tools/with-display.sh tools/soak.sh $(BUILD) $(SOAK_STEPS)

fuzz: deps
	@bash tools/fuzz.sh $(FUZZ_SECONDS)

update-golden: build
	@AMBLER_UPDATE_GOLDEN=1 bash tools/with-display.sh ctest --test-dir $(BUILD) -R golden \
		--output-on-failure

scenes: build
	@$(BUILD)/bin/ambler-scenegen scenes

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WIN_BUILD) $(WEB_BUILD) dist/ambler-windows-x64.zip dist/ambler-web.zip
