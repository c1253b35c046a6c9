# Front door: `make demo` and `make test` set everything up on a fresh
# Debian or Ubuntu machine. The real build is CMake + Ninja in build/.

BUILD      ?= build
CMAKE_ARGS ?=
PREFIX     ?= /usr/local
JOBS       ?= $(shell nproc)
# The same suite again with AddressSanitizer and UndefinedBehaviorSanitizer;
# a finding aborts the process that made it, so the test running it fails.
SAN_BUILD  ?= build-asan
SAN_ENV    := ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 \
              UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:abort_on_error=1
# libFuzzer runs (clang): seconds per target.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: all deps build demo test clean install uninstall package fuzz memcheck bench format

all: build

deps:
	@tools/ensure-deps.sh $(TEST_DEPS)

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	$(BUILD)/pelmoimage -c rle docs/sample.png $(BUILD)/sample.asm
	@echo
	@echo "First lines of $(BUILD)/sample.asm:"
	@head -n 12 $(BUILD)/sample.asm

# The installation tests read the man page with man and check the package with
# lintian, the golden model runs on python3, and every C++ file must be as
# clang-format leaves it.
test: TEST_DEPS = man-db groff-base python3 clang-format lintian
test: build $(SAN_BUILD)/build.ninja
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && $(SAN_ENV) ctest --output-on-failure -j $(JOBS)

$(SAN_BUILD)/build.ninja:
	cmake -S . -B $(SAN_BUILD) -G Ninja -DPELMO_SANITIZE=ON $(CMAKE_ARGS)

# Each fuzz target for FUZZ_SECONDS under libFuzzer with ASan and UBSan.
fuzz:
	@tools/ensure-deps.sh clang-14 libclang-rt-14-dev
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
	    -DPELMO_FUZZ=ON -DPELMO_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target pelmo_fuzzers
	tests/fuzz/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# One conversion per codec (and a few failing runs) under valgrind.
memcheck: TEST_DEPS = valgrind
memcheck: build
	tests/hardening/memcheck.sh $(BUILD)/pelmoimage $(BUILD)/pelmoimage-render

# `make install PREFIX=/usr DESTDIR=/tmp/stage` stages below DESTDIR.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX)

# Removes every file `make install` puts in place with the same PREFIX and DESTDIR.
uninstall: build
	DESTDIR="$(DESTDIR)" packaging/uninstall.sh $(BUILD) $(PREFIX)

# Debian package $(BUILD)/pelmoimage_<version>_<arch>.deb.
package: build
	cd $(BUILD) && cpack -G DEB

# Benchmarks (not part of `make test`): the in-process suite, then the
# end-to-end table against the floor program. Release build in BENCH_BUILD.
BENCH_BUILD ?= build-bench
bench:
	@tools/ensure-deps.sh libbenchmark-dev
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELMO_BENCH=ON -DPELMO_TESTS=OFF $(CMAKE_ARGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target pelmoimage pelmo_bench pelmo_floor pelmo_decoder_floor pelmo_tree_peak pelmo_make_picture
	$(BENCH_BUILD)/bench/pelmo_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
	bench/e2e.sh $(BENCH_BUILD)

# Rewrites every C++ file of src/, tests/ and bench/ with .clang-format.
format:
	@tools/ensure-deps.sh clang-format
	tools/format.sh

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
