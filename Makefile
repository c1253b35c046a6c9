# Front door: `make demo` and `make test` set everything up on a fresh
# Debian or Ubuntu machine. The real build is CMake + Ninja in build/.

BUILD      ?= build
CMAKE_ARGS ?=
PREFIX     ?= /usr/local
JOBS       ?= $(shell nproc)

.PHONY: all deps build demo test clean

all: build

deps:
	@tools/ensure-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	$(BUILD)/pelmoimage -c rle docs/sample.png $(BUILD)/sample.asm
	@echo
	@echo "First lines of $(BUILD)/sample.asm:"
	@head -n 12 $(BUILD)/sample.asm

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
