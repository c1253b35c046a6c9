# Front door: `make demo` and `make test` set everything up on a fresh
# Debian or Ubuntu machine. The real build is CMake + Ninja: the programs in
# build/, the test suite in build-asan/.

BUILD      ?= build
CMAKE_ARGS ?=
PREFIX     ?= /usr/local
JOBS       ?= $(shell nproc)
# Many tests wait on the programs they start: twice as many at once as cores.
TEST_JOBS  ?= $(shell echo $$(( 2 * $(JOBS) )))
# The suite runs once, built with AddressSanitizer and UndefinedBehaviorSanitizer;
# a finding aborts the process that made it, so the test running it fails.
SAN_BUILD  ?= build-asan
SAN_ENV    := ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 \
              UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:abort_on_error=1
# libFuzzer runs (clang): seconds per target.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: all deps programs build demo test clean install uninstall package fuzz memcheck bench format

all: programs

deps:
	@tools/ensure-deps.sh $(TEST_DEPS)

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)

# The two programs alone, and the compressed pages that installing needs.
programs: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target pelmo_programs

# Everything in build/, the tests too, for running ctest there by hand.
build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

demo: programs
	$(BUILD)/pelmoimage -c rle docs/sample.png $(BUILD)/sample.asm
	@echo
	@echo "First lines of $(BUILD)/sample.asm:"
	@head -n 12 $(BUILD)/sample.asm

# The whole suite, once, in the sanitizer build; the installation tests
# install and package the plain programs of build/, and the memory-limit
# cases run once more on them (the sanitizer cannot bound the address space). They read the man page
# with man and check the package with lintian, the golden model runs on
# python3, every C++ file must be as clang-format leaves it, and the validity
# matrix and the damaged pictures are written by the Python imaging library,
# ImageMagick, libtiff's, libjpeg's and netpbm's tools.
test: TEST_DEPS = man-db groff-base python3 clang-format lintian \
    python3-pil imagemagick libtiff-tools libjpeg-turbo-progs netpbm
test: deps
	@# The two trees are configured, then built, side by side: each has
	@# stretches that keep one core (a configure, nearly all of it).
	$(MAKE) --no-print-directory -j 2 $(BUILD)/build.ninja $(SAN_BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target pelmo_programs & programs=$$!; \
	    cmake --build $(SAN_BUILD) -j $(JOBS); built=$$?; wait $$programs && [ $$built -eq 0 ]
	cd $(SAN_BUILD) && $(SAN_ENV) ctest --output-on-failure -j $(TEST_JOBS)

$(SAN_BUILD)/build.ninja:
	cmake -S . -B $(SAN_BUILD) -G Ninja -DPELMO_SANITIZE=ON \
	    -DPELMO_PROGRAM_BUILD=$(abspath $(BUILD)) $(CMAKE_ARGS)

# Each fuzz target for FUZZ_SECONDS under libFuzzer with ASan and UBSan.
fuzz:
	@tools/ensure-deps.sh clang-14 libclang-rt-14-dev
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
	    -DPELMO_FUZZ=ON -DPELMO_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target pelmo_fuzzers
	tests/fuzz/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# One conversion per codec (and a few failing runs) under valgrind.
memcheck: TEST_DEPS = valgrind
memcheck: programs
	tests/hardening/memcheck.sh $(BUILD)/pelmoimage $(BUILD)/pelmoimage-render

# `make install PREFIX=/usr DESTDIR=/tmp/stage` stages below DESTDIR.
install: programs
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX)

# Removes every file `make install` puts in place with the same PREFIX and DESTDIR.
uninstall: programs
	DESTDIR="$(DESTDIR)" packaging/uninstall.sh $(BUILD) $(PREFIX)

# Debian package $(BUILD)/pelmoimage_<version>_<arch>.deb.
package: programs
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
