# A thin front over CMake: `make run` builds and starts the tool in this
# folder, `make test` builds and runs every test, `make install` puts the
# tool on the PATH (PREFIX=/usr/local by default).
BUILD ?= build
PREFIX ?= /usr/local
CMAKE_FLAGS ?=

.PHONY: build run test install clean

build:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j2

run: build
	$(BUILD)/fir_design

test: build
	ctest --test-dir $(BUILD) --output-on-failure

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD)
