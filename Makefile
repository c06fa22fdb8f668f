# Tempyra's two everyday commands, `make demo` and `make test`, work on a fresh
# Debian 12 machine: they install what is missing, build and run.
#
#   make build   configure into build/ and build (Release)
#   make test    build and run every test
#   make demo    build and analyse the bundled demo tracks
#   make bench   build and run the benchmarks
#   make fuzz    fuzz every target for FUZZ_LONG seconds (default 1800)

BUILD      ?= build
BUILD_TYPE ?= Release
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

# Debian packages the build, the tests and the reference checks need.
PACKAGES := build-essential cmake pkg-config libgtest-dev libgmock-dev \
            libbenchmark-dev mpg123 lame twolame ffmpeg \
            clang libclang-rt-14-dev

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

# Seconds each fuzz target runs in `make test` and in `make fuzz`.
FUZZ_SECONDS ?= 60
FUZZ_LONG    ?= 1800

.PHONY: all deps build test test-asan test-tsan test-fuzz fuzz demo bench fuzz-build clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory test-tsan
	$(MAKE) --no-print-directory test-fuzz

# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEMPYRA_SANITIZE=address,undefined
	cmake --build $(BUILD)-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(BUILD)-asan --output-on-failure -j $(JOBS)

# Everything that runs more than one thread, under ThreadSanitizer in a build
# of its own: the analysis job, a file cut while the worker maps it, and
# tempyra-cli analysing a folder of good and damaged files with two jobs.
TSAN_TARGETS := analysis_tests damaged_tests tempyra-cli tempyra-drumgen tempyra-layer1enc
TSAN_TESTS   := ^analysis\.AnalysisJob\.|^damaged\.(make_inputs|DamagedSource\.FileTruncatedWhile|cli_load)
test-tsan: deps
	cmake -S . -B $(BUILD)-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEMPYRA_SANITIZE=thread
	cmake --build $(BUILD)-tsan -j $(JOBS) --target $(TSAN_TARGETS)
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir $(BUILD)-tsan --output-on-failure -j $(JOBS) \
	  -R '$(TSAN_TESTS)'

# The libFuzzer targets (clang, ASan + UBSan), FUZZ_SECONDS each.
fuzz-build: deps
	cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEMPYRA_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(BUILD)-fuzz -j $(JOBS)

test-fuzz: fuzz-build
	tools/fuzz/run_fuzzers.sh $(BUILD)-fuzz $(FUZZ_SECONDS)

fuzz: fuzz-build
	tools/fuzz/run_fuzzers.sh $(BUILD)-fuzz $(FUZZ_LONG)

demo: build
	tools/demo/run_demo.sh $(BUILD)/cli/tempyra-cli demo

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-tsan $(BUILD)-fuzz
