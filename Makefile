# Front door. `make demo` and `make test` are all a newcomer needs.
JOBS ?= $(shell nproc)
CTEST_ARGS ?=

.PHONY: all setup build demo test bench fuzz check asan abi32 clean

all: build

setup:
	@scripts/setup

build: setup
	@cmake --preset default >/dev/null
	@cmake --build build -j $(JOBS)

demo: build
	@scripts/demo

test: build
	@ctest --test-dir build -j $(JOBS) --output-on-failure $(CTEST_ARGS)

bench: build
	@scripts/bench

# Runs every fuzz target for FUZZ_SECONDS each under ASan and UBSan.
FUZZ_SECONDS ?= 120
fuzz: setup
	@cmake --preset fuzz >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzzers
	@scripts/fuzz build-fuzz $(FUZZ_SECONDS)

asan: setup
	@cmake --preset asan >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@ctest --test-dir build-asan -j $(JOBS) --output-on-failure $(CTEST_ARGS)

abi32: setup
	@cmake --preset abi32 >/dev/null
	@cmake --build build-32 -j $(JOBS)
	@ctest --test-dir build-32 -j $(JOBS) --output-on-failure $(CTEST_ARGS)

# What CI adds after `make test`: the sanitizer build, the 32-bit build and a
# short fuzz run.
check: asan abi32
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=20

clean:
	rm -rf build build-asan build-32 build-fuzz
