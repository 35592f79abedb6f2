# Kelmora's front door. `make demo` and `make test` are the quick start.
SHELL := /bin/bash
.DEFAULT_GOAL := build

JOBS        ?= $(shell nproc 2>/dev/null || echo 2)
BUILD       := build
SAN_BUILD   := build/san
FUZZ_BUILD  := build/fuzz
TSAN_BUILD  := build/tsan
TIDY_BUILD  := build/tidy
WIN_BUILD   := build/windows
WIN_TEST_BUILD := build/windows-tests
WINE_DIR    := build/wine
RELEASE_BUILD := build/release
PACKAGE_DIR := build/packages
FUZZ_SECONDS ?= 10
GENERATOR   := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

# Debian packages the build, the tests and the tools need (ser2net: the
# network ports are tested against it).
PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev \
            libbenchmark-dev qt6-base-dev qt6-translations-l10n g++-mingw-w64-x86-64 \
            dpkg-dev file lintian shellcheck systemd logrotate wixl msitools clang-format clang-tidy \
            ser2net
# And what the Windows tests add: Wine (64-bit only) and the locale data for
# its Windows-1250 code page. Installed by test-windows, not by deps.
WIN_PACKAGES := g++-mingw-w64-x86-64 wine64 wine locales

.PHONY: deps deps-windows build build-windows test test-native test-windows fuzz fuzz-build demo \
        bench format clean screenshots screenshots-windows package test-packages check check-layering \
        check-format test-threads threads-build lint

deps deps-windows: LIST = $(if $(filter deps-windows,$@),$(WIN_PACKAGES),$(PACKAGES))
deps deps-windows:
	@missing=""; \
	for p in $(LIST); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -z "$$missing" ]; then echo "deps: everything is installed"; \
	elif [ "$$(id -u)" = 0 ]; then \
	    echo "deps: installing$$missing"; \
	    export DEBIAN_FRONTEND=noninteractive; \
	    apt-get update -qq && apt-get install -y -qq --no-install-recommends $$missing >/dev/null; \
	else \
	    echo "deps: missing$$missing"; \
	    echo "deps: run as root: apt-get install -y$$missing"; exit 1; \
	fi

NATIVE_CONFIGURE = cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELMORA_WERROR=ON >/dev/null
build:
	$(NATIVE_CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS)

# The test build carries AddressSanitizer and UndefinedBehaviorSanitizer.
# The test builds keep line tables only (-g1): enough for every sanitizer's
# report and backtrace to name file and line, and a good deal less to compile.
SAN_CONFIGURE = cmake -S . -B $(SAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DKELMORA_SANITIZE=ON \
	      -DKELMORA_WERROR=ON -DKELMORA_BENCH=OFF >/dev/null
test-native:
	$(SAN_CONFIGURE)
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# Cross-builds the Windows programs (mingw-w64, static) into build/windows/bin:
# kelmora.exe with its Win32 window, whose pictures the native
# kelmora-pictures renders (built here first), and tobrin-sim.exe;
# test-windows builds and runs their tests.
# PICTURE_BUILD: the native build whose tool it takes (make test: the test build's).
PICTURE_TOOL = -DKELMORA_PICTURE_TOOL=$(CURDIR)/$(1)/bin/kelmora-pictures
PICTURE_BUILD ?= $(BUILD)
build-windows:
	$(if $(filter $(BUILD),$(PICTURE_BUILD)),$(NATIVE_CONFIGURE))
	cmake --build $(PICTURE_BUILD) -j $(JOBS) --target kelmora-pictures
	cmake -S . -B $(WIN_BUILD) $(GENERATOR) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake \
	      -DCMAKE_BUILD_TYPE=Release -DKELMORA_WERROR=ON -DKELMORA_TESTS=OFF -DKELMORA_BENCH=OFF \
	      $(call PICTURE_TOOL,$(PICTURE_BUILD)) >/dev/null
	cmake --build $(WIN_BUILD) -j $(JOBS) --target kelmora_core

# The Debian package from a release build, the portable zip and the MSI from
# the Windows build, into build/packages/ (packaging/).
# The Linux build takes Debian's hardening flags (all of them; -Wdate-time
# aside, the About page shows the build date) at -O2. The package strips the
# debugging data, so none is made (-g changes no code, only the build's time).
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
package: deps build-windows
	cmake -S . -B $(RELEASE_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
	      -DKELMORA_WERROR=ON \
	      -DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CPPFLAGS | sed 's/-Wdate-time//') $$($(DEB_FLAGS) CXXFLAGS | sed 's/\(^\| \)-g\( \|$$\)/\1/')" \
	      -DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)" \
	      -DKELMORA_TESTS=OFF -DKELMORA_BENCH=OFF -DKELMORA_PACKAGE_DIR=$(CURDIR)/$(PACKAGE_DIR) \
	      -DKELMORA_PACKAGE_TESTS=ON -DKELMORA_WINE_DIR=$(CURDIR)/$(WINE_DIR) >/dev/null
	cmake --build $(RELEASE_BUILD) -j $(JOBS) --target package-deb
	cmake -S . -B $(WIN_BUILD) -DKELMORA_PACKAGE_DIR=$(CURDIR)/$(PACKAGE_DIR) >/dev/null
	cmake --build $(WIN_BUILD) -j $(JOBS) --target package-zip package-msi

# The Windows build with its tests, run under Wine (tests/wine/): the core's
# tests, the serial line over COM ports wired to ptys, the Win32 window on
# Wine's null display driver, and kelmora.exe itself against tobrin-sim,
# compared with the Linux build (the test build's programs, and its
# kelmora-pictures for the window's pictures).
test-windows: deps deps-windows
	$(SAN_CONFIGURE)
	cmake --build $(SAN_BUILD) -j $(JOBS) --target kelmora tobrin-sim kelmora-pictures
	cmake -S . -B $(WIN_TEST_BUILD) $(GENERATOR) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake \
	      -DCMAKE_BUILD_TYPE=Release -DKELMORA_WERROR=ON -DKELMORA_TESTS=ON -DKELMORA_BENCH=OFF \
	      -DCMAKE_CROSSCOMPILING_EMULATOR=wine $(call PICTURE_TOOL,$(SAN_BUILD)) \
	      -DKELMORA_WINE_DIR=$(CURDIR)/$(WINE_DIR) -DKELMORA_NATIVE_BIN_DIR=$(CURDIR)/$(SAN_BUILD)/bin \
	      >/dev/null
	cmake --build $(WIN_TEST_BUILD) -j $(JOBS)
	tests/wine/prepare-prefix.sh $(WINE_DIR)
	@cd $(WIN_TEST_BUILD) && ctest --output-on-failure -j $(JOBS); status=$$?; \
	    WINEPREFIX=$(CURDIR)/$(WINE_DIR)/prefix wineserver -k 2>/dev/null; exit $$status

# The packages installed the way users do (tests/packaging/).
test-packages: package deps-windows
	tests/wine/prepare-prefix.sh $(WINE_DIR)
	@cd $(RELEASE_BUILD) && ctest --output-on-failure -j $(JOBS); status=$$?; \
	    WINEPREFIX=$(CURDIR)/$(WINE_DIR)/prefix wineserver -k 2>/dev/null; exit $$status

# What CI runs (.ci/run). No test shares the processors with anything heavy:
# the tests wait on lines and timers with timeouts of tens of milliseconds,
# and with clang-tidy beside them (even as an idle-time task) a good part of
# them missed those. So: the checks (seconds); the test suites one after
# another; then, side by side, what no test waits for (the fuzz targets built
# and run, the ThreadSanitizer build, clang-tidy), which keeps both processors
# busy through each one's configure step and serial tail and the fuzzers'
# fixed run time; last, alone, the threaded tests under ThreadSanitizer. A new
# test suite goes with the others, a new build or check that no test needs
# into the side-by-side step.
# The Windows packages come from the Windows test build: its programs are
# compiled exactly as the product's (the tests only add programs), so they are
# not compiled twice.
# Each step says how long it took, so a slower CI run shows where.
step = TIMEFORMAT='make test: $(1) took %0R s'; time $(MAKE) --no-print-directory $(2)
test: deps
	@$(call step,the checks,check)
	@$(call step,the native tests,test-native)
	@$(call step,the Windows tests,test-windows)
	@$(call step,the packages,test-packages PICTURE_BUILD=$(SAN_BUILD) WIN_BUILD=$(WIN_TEST_BUILD))
	@$(call step,fuzz + tsan build + lint,-j3 --output-sync=target fuzz threads-build lint)
	@$(call step,the threaded tests,test-threads)

# The guard rails that keep the code's shape (DESIGN.md): every include
# follows the layering, and clang-format has nothing to change.
check: check-layering check-format
check-layering:
	scripts/check/layering.sh
check-format:
	@files=$$(scripts/check/sources.sh); \
	clang-format --dry-run -Werror $$files && echo "format: $$(wc -w <<<"$$files") files, nothing to change" \
	    || { echo "format: run make format" >&2; exit 1; }

# The tests that run threads (THREADS in tests/CMakeLists.txt) built with
# ThreadSanitizer, each program run whole so that its cases share a process.
# Any race report fails. The instrumented programs run many times slower, so
# a case that fails without one (a reply later than a terminal's timeout) runs
# once more; the timing itself is the sanitizer build's to test.
TSAN_RUN = TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --output-on-failure
test-threads: threads-build
	@cd $(TSAN_BUILD) && rm -f threads.log; \
	$(TSAN_RUN) -j $(JOBS) -L '^threads$$' --output-log threads.log && exit 0; \
	if grep -q 'WARNING: ThreadSanitizer:' threads.log; then echo "threads: ThreadSanitizer reports above"; exit 1; fi; \
	echo "threads: no race reported; the failed programs run once more"; \
	$(TSAN_RUN) --rerun-failed
threads-build:
	cmake -S . -B $(TSAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DKELMORA_TSAN=ON \
	      -DKELMORA_WERROR=ON -DKELMORA_BENCH=OFF -DKELMORA_GUI=OFF >/dev/null
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target threaded_tests

# clang-tidy over the product's POSIX sources (.clang-tidy says which checks).
lint:
	CXX=clang++ cmake -S . -B $(TIDY_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DKELMORA_TESTS=OFF \
	      -DKELMORA_BENCH=OFF >/dev/null
	scripts/check/tidy.sh $(TIDY_BUILD) $(JOBS)

fuzz-build:
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
	      -DCMAKE_CXX_FLAGS_DEBUG=-gline-tables-only -DKELMORA_FUZZ=ON \
	      -DKELMORA_WERROR=ON -DKELMORA_TESTS=OFF -DKELMORA_BENCH=OFF -DKELMORA_GUI=OFF >/dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

# Runs every fuzz target for FUZZ_SECONDS from its seed corpus, once the
# canary has shown that undefined behaviour ends a run.
fuzz: fuzz-build
	@printf U > $(FUZZ_BUILD)/ub_canary.input
	@if $(FUZZ_BUILD)/bin/ub_canary $(FUZZ_BUILD)/ub_canary.input >$(FUZZ_BUILD)/ub_canary.log 2>&1; \
	then echo "fuzz: undefined behaviour does not stop a fuzz run"; exit 1; fi
	@set -e; for t in $(FUZZ_BUILD)/bin/fuzz_*; do \
	    [ -x "$$t" ] || continue; \
	    name=$$(basename $$t); corpus=$(FUZZ_BUILD)/corpus/$$name; mkdir -p $$corpus; \
	    echo "fuzz: $$name for $(FUZZ_SECONDS) s"; \
	    $$t -max_total_time=$(FUZZ_SECONDS) -timeout=5 -rss_limit_mb=2048 -print_final_stats=0 \
	        $$corpus fuzz/corpus/$${name#fuzz_} 2>$(FUZZ_BUILD)/$$name.log \
	        || { tail -40 $(FUZZ_BUILD)/$$name.log; exit 1; }; \
	done

# Set-up, build, and a whole job against the simulator (scripts/demo.sh).
demo: deps build
	scripts/demo.sh

# 500 request files against the simulator with NAK and short-answer faults.
soak: build
	$(BUILD)/bin/soak_requests $(BUILD)/bin/kelmora 500 0.1

# Pictures of every page, the dialogs and a balloon at 100 % and 150 % scaling,
# the window under Xvfb with a window manager and a notification area against
# the simulator (scripts/screenshots.sh), into build/screenshots/.
screenshots: deps build
	@$(MAKE) --no-print-directory deps PACKAGES="xvfb xauth openbox trayer"
	scripts/screenshots.sh

# The Win32 window's pictures at 96 and 144 DPI under Xvfb in Wine's virtual
# desktop (scripts/screenshots-windows.sh), into build/screenshots-windows/;
# fonts-wine draws the title bars' glyphs.
screenshots-windows: deps deps-windows build-windows
	@$(MAKE) --no-print-directory deps PACKAGES="xvfb xauth fonts-wine"
	cmake --build $(BUILD) -j $(JOBS) --target tobrin-sim
	cmake --build $(WIN_BUILD) -j $(JOBS) --target kelmora-screenshots kelmora
	scripts/screenshots-windows.sh

bench: build
	@set -e; for b in $(BUILD)/bin/bench_*; do \
	    echo "== $$(basename $$b)"; \
	    case $$b in *bench_headless) $$b $(BUILD)/bin/kelmora ;; *) $$b ;; esac; \
	done

format:
	clang-format -i $$(scripts/check/sources.sh)

clean:
	rm -rf build
