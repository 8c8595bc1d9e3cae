# A thin front over CMake: `make run` builds and starts the tool in this
# folder, `make test` builds and runs every test, `make install` puts the
# tool on the PATH (PREFIX=/usr/local by default). `make check` runs the
# reliability gates on top: sanitizers, fuzzing and static analysis.
# `make bench` times the design stages; `make measure` counts the
# instructions and memory of a whole run against a plain C floor program.
# `make plot` draws the README's response figure; `make reach` prints its
# table of requested against achieved attenuation.
BUILD ?= build
PREFIX ?= /usr/local
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60

.PHONY: build run test install sanitize fuzz lint check bench measure plot reach clean

build:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j2

run: build
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
	cmake --build build-fuzz -j2 --target fuzz_dialogue
	rm -rf build-fuzz/corpus && mkdir -p build-fuzz/corpus
	build-fuzz/fuzz/fuzz_dialogue -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  -artifact_prefix=$(CURDIR)/build-fuzz/ $(CURDIR)/build-fuzz/corpus $(CURDIR)/fuzz/corpus

# clang-tidy with the checks in .clang-tidy, and cppcheck; any finding fails.
lint: build
	clang-tidy -p $(BUILD) --quiet design/*.cpp frontend/*.cpp
	cppcheck --enable=warning,performance,portability --std=c++17 --error-exitcode=1 \
	  --quiet -I . design frontend

check: test sanitize fuzz lint

build-bench:
	cmake -S . -B build-bench $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release -DFIR_DESIGN_BENCH=ON -DBUILD_TESTING=OFF
	cmake --build build-bench -j2
.PHONY: build-bench

bench: build-bench
	build-bench/bench/fir_design_bench

measure: build-bench
	bench/measure_run.sh build-bench

clean:
	rm -rf build build-sanitize build-fuzz build-bench

# The README's example design, drawn to PLOT (gnuplot, SVG).
PLOT ?= docs/response.svg
plot: build
	rm -rf $(BUILD)/plot && mkdir -p $(BUILD)/plot
	cd $(BUILD)/plot && printf '48000\nL\n12000\n60\n101\n' | $(CURDIR)/$(BUILD)/fir_design >/dev/null
	python3 examples/fir_response.py $(BUILD)/plot/filter_coefficients.c --type L --edges 12000 \
	  --attenuation 60 --output $(abspath $(PLOT))

reach: build
	cd examples && python3 attenuation_reach.py $(CURDIR)/$(BUILD)/fir_design
