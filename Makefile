# A thin front over CMake: `make run` builds the tool alone and starts it in
# this folder, `make test` builds and runs every test, `make install` puts
# the tool and its manual page under PREFIX (/usr/local by default).
# `make check` runs the reliability gates on top: sanitizers, fuzzing and
# static analysis; `make faults` checks that the tests catch a list of
# plausible faults. `make windows` cross-compiles fir_design.exe with
# MinGW-w64 and `make windows-test` tests it under wine. `make bench` times
# the design stages; `make measure` counts the instructions and memory of a
# whole run against a plain C floor program. `make plot` draws the filter
# design page's response figure; `make reach` prints its table of requested against
# achieved attenuation. `make web` builds the page (see below).
BUILD ?= build
WINDOWS_BUILD ?= build-windows
WEB_BUILD ?= build-web
# The Python with Debian's Selenium and NumPy, for the page's tests.
WEB_PYTHON ?= /usr/bin/python3
PREFIX ?= /usr/local
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: configure build run test install sanitize fuzz lint check bench measure plot reach clean faults \
        windows windows-test web web-test web-bench axe dist dist-check

configure:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# The tool alone, so that its first question comes without the tests built.
run: configure
	cmake --build $(BUILD) -j$(JOBS) --target fir_design
	$(BUILD)/fir_design

test: build
	ctest --test-dir $(BUILD) --output-on-failure

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Every test again under AddressSanitizer and UBSan; any report fails.
sanitize:
	$(MAKE) test BUILD=build-sanitize CMAKE_FLAGS="$(CMAKE_FLAGS) -DFIR_DESIGN_SANITIZE=ON"

# The whole dialogue under libFuzzer for FUZZ_SECONDS, from the seed corpus.
fuzz:
	CXX=clang++ cmake -S . -B build-fuzz $(CMAKE_FLAGS) -DFIR_DESIGN_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build build-fuzz -j$(JOBS) --target fuzz_dialogue
	rm -rf build-fuzz/corpus && mkdir -p build-fuzz/corpus
	build-fuzz/fuzz/fuzz_dialogue -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  -artifact_prefix=$(CURDIR)/build-fuzz/ $(CURDIR)/build-fuzz/corpus $(CURDIR)/fuzz/corpus

# clang-tidy with the checks in .clang-tidy, and cppcheck; any finding fails.
# clang-tidy reads each build's compile commands: the native build's for
# every folder, the page's build's for the module's entry points, which only
# it compiles. The Windows sources are checked by cppcheck alone.
lint: build web
	clang-tidy -p $(BUILD) --quiet core/*.cpp $(filter-out %/design_module.cpp,$(wildcard web/*.cpp)) \
	  $(filter-out %_windows.cpp,$(wildcard console/*.cpp))
	clang-tidy -p $(WEB_BUILD) --quiet web/design_module.cpp
	cppcheck --enable=warning,performance,portability --std=c++17 --error-exitcode=1 \
	  --quiet -I . core console web

check: test sanitize fuzz lint

build-bench:
	cmake -S . -B build-bench $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release -DFIR_DESIGN_BENCH=ON -DBUILD_TESTING=OFF
	cmake --build build-bench -j$(JOBS)
.PHONY: build-bench

bench: build-bench
	build-bench/bench/fir_design_bench

# Each fault of tests/faults/console.tsv and page.tsv put in alone: the
# tests must catch at least 9 in 10 of each list.
faults: build web axe
	tests/faults/run.sh tests/faults/console.tsv "cmake --build $(BUILD)" "ctest --test-dir $(BUILD) --timeout 60"
	tests/faults/run.sh tests/faults/page.tsv "$(MAKE) web" "$(WEB_TEST)"

measure: build-bench
	bench/measure_run.sh build-bench

# The Windows build: the program, its unit tests and, driven by this build's
# end-to-end harness, its pipe and console tests, all run under wine.
windows:
	cmake -S . -B $(WINDOWS_BUILD) --toolchain cmake/x86_64-w64-mingw32.cmake $(CMAKE_FLAGS) \
	  -DFIR_DESIGN_HOST_TESTS=$(CURDIR)/$(BUILD)/tests/console_tests
	cmake --build $(WINDOWS_BUILD) -j$(JOBS)

windows-test: build windows
	ctest --test-dir $(WINDOWS_BUILD) --output-on-failure

# The page: the design core as WebAssembly (Debian's clang), inlined with
# its scripts into $(WEB_BUILD)/fir_design.html. `make web-test` checks it
# against this build's program in headless Chromium; `make web-bench` times
# a change of a 2049-tap design there, and the search for the shortest length.
web:
	@missing=$$(sh web/missing_packages.sh); if [ -n "$$missing" ]; then \
	  echo "make web needs these Debian packages: $$missing (sudo apt-get install $$missing)"; exit 1; fi
	cmake -S . -B $(WEB_BUILD) --toolchain cmake/wasm32-wasi.cmake -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build $(WEB_BUILD) -j$(JOBS)

# The accessibility engine the page's test runs, from the npm registry.
AXE_VERSION ?= 4.14.1

WEB_TEST = AXE_SCRIPT=$(WEB_BUILD)/npm/node_modules/axe-core/axe.min.js \
  $(WEB_PYTHON) tests/web/web_page_test.py $(WEB_BUILD)/fir_design.html $(BUILD)/fir_design

axe:
	npm install --prefix $(WEB_BUILD)/npm axe-core@$(AXE_VERSION) --no-audit --no-fund --silent

web-test: build web axe
	$(WEB_TEST)

web-bench: web
	$(WEB_PYTHON) bench/web_bench.py $(WEB_BUILD)/fir_design.html

# A release from the last commit, in dist/: the static Linux and Windows
# programs, the page, the manual page, README, LICENSE and SHA256SUMS, as a
# folder and a .tar.gz, and the source archive. `make dist-check` builds it
# twice in two fresh clones, compares every checksum and runs what it holds.
dist:
	release/dist.sh

dist-check: build axe
	release/dist_check.sh $(BUILD) $(WEB_BUILD)

clean:
	rm -rf $(BUILD) $(WINDOWS_BUILD) $(WEB_BUILD) build-sanitize build-fuzz build-bench build-dist dist

# The README's example design, drawn to PLOT (gnuplot, SVG).
PLOT ?= docs/response.svg
plot: build
	rm -rf $(BUILD)/plot && mkdir -p $(BUILD)/plot
	cd $(BUILD)/plot && printf '48000\nL\n12000\n60\n101\n' | $(CURDIR)/$(BUILD)/fir_design >/dev/null
	python3 examples/fir_response.py $(BUILD)/plot/filter_coefficients.c --type L --edges 12000 \
	  --attenuation 60 --output $(abspath $(PLOT))

reach: build
	cd examples && python3 attenuation_reach.py $(CURDIR)/$(BUILD)/fir_design
