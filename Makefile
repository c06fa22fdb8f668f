# Tempyra's two everyday commands, `make demo` and `make test`, work on a fresh
# Debian 12 machine: they install what is missing, build and run.
#
#   make build   configure into build/ and build the programs (Release)
#   make test    check the code style, build with the tests and run every test
#   make demo    build, analyse the bundled demo tracks, and open the window
#                on them when a display is there
#   make bench   build and run the benchmarks
#   make eval    the tempo evaluation table (ours against Debian's estimators)
#   make fuzz    fuzz every target for FUZZ_LONG seconds (default 1800)
#   make format  apply the code style of .clang-format to every file
#   make tidy    run the checks of .clang-tidy over the sources (not part of make test)
#   make install    build and install tempyra, tempyra-cli, the help documents,
#                   the desktop entry and the icons under PREFIX (default
#                   /usr/local), staged under DESTDIR when given
#   make uninstall  remove what `make install` installed (same PREFIX, DESTDIR)
#   make package    build the Debian package $(BUILD)/package/tempyra_<version>_<arch>.deb
#                   of what `make install` installs, under /usr
#   make windows    cross-build tempyra.exe and tempyra-cli.exe for Windows: x86_64 into $(BUILD)-win64/,
#                   i686 into $(BUILD)-win32/ (static: nothing else needed beside it), and
#                   package each: $(BUILD)-win64/package/tempyra-<version>-win64.zip and
#                   tempyra-<version>-win64-setup.exe (a per-user installer), the win32 ones in
#                   $(BUILD)-win32/package/
#   make test-windows  the Windows test suites under 64-bit wine, and the Windows
#                   program against the Linux one (part of make test)

BUILD      ?= build
BUILD_TYPE ?= Release
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

# Debian packages the programs need to build, and those the tests, the
# reference checks and the benchmarks need beside them.
PACKAGES      := build-essential cmake pkg-config libwxgtk3.2-dev libtag1-dev libcdio-dev \
                 zlib1g-dev xdg-utils libavformat-dev libavcodec-dev libswresample-dev
# What `make package` needs beside the build: dpkg-shlibdeps for the
# package's dependencies, binutils' strip.
PACKAGE_PACKAGES := dpkg-dev binutils
TEST_PACKAGES := libgtest-dev libgmock-dev libbenchmark-dev mpg123 lame twolame ffmpeg sox python3 \
                 clang libclang-rt-14-dev clang-format xvfb xauth xdotool openbox desktop-file-utils \
                 $(PACKAGE_PACKAGES) lintian appstream bash-completion man-db groff-base fakeroot
# The Windows builds: the mingw-w64 compilers and static zlib, wine to run
# the tests, NSIS for the installers and Python for the zip files and the
# packages' checks; TagLib is built from Debian's source
# package (dpkg-source unpacks it; it builds against the utf8cpp headers;
# libtag1-dev names its version), GoogleTest from Debian's source in
# libgtest-dev; the window's test runs on a virtual screen with wine's own
# fonts.
WINDOWS_PACKAGES := g++-mingw-w64 wine wine64 nsis python3 libz-mingw-w64-dev libutfcpp-dev dpkg-dev \
                    libtag1-dev libgtest-dev cmake fonts-wine xvfb xdotool openbox
WINDOWS_TOOLCHAIN := tools/windows/mingw-w64.cmake

# Only the benchmarks need these: instruction counts, and real music to time.
BENCH_PACKAGES := valgrind drascula-music

# What the tempo evaluation needs (make eval only): the peers it compares
# with, and what renders and encodes its set.
EVAL_PACKAGES := bpm-tools aubio-tools soundstretch sox timidity freepats fluidsynth \
                 timgm6mb-soundfont opl3-soundfont musescore-general-soundfont-small \
                 openmpt123 abcmidi abcm2ps lame mpg123 python3

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

# Seconds each fuzz target runs in `make test` and in `make fuzz`.
FUZZ_SECONDS ?= 60
FUZZ_LONG    ?= 1800

# Options of the checking builds: tests and benchmarks on, warnings are errors.
CHECK_OPTIONS := -DTEMPYRA_TESTS=ON -DTEMPYRA_WERROR=ON

.PHONY: all deps test-deps build build-tests test check-format format tidy test-asan test-tsan \
        test-fuzz fuzz demo bench eval eval-fit fuzz-build clean install install-files uninstall package \
        windows windows-deps test-windows

all: build

deps:
	@$(MAKE) --no-print-directory install-packages WANT="$(PACKAGES)"

test-deps:
	@$(MAKE) --no-print-directory install-packages WANT="$(PACKAGES) $(TEST_PACKAGES)"

.PHONY: install-packages
install-packages:
	@missing=""; \
	for p in $(WANT); do \
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

build-tests: test-deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CHECK_OPTIONS)
	cmake --build $(BUILD) -j $(JOBS)

check-format: test-deps
	tools/style/check_format.sh

format: test-deps
	tools/style/check_format.sh --fix

tidy: build-tests
	@$(MAKE) --no-print-directory install-packages WANT=clang-tidy
	git ls-files '*.cpp' | grep -v -E '^(tests|fuzz|bench)/' | xargs clang-tidy -p $(BUILD) --quiet

test: check-format build-tests
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory test-tsan
	$(MAKE) --no-print-directory test-fuzz
	$(MAKE) --no-print-directory test-windows

# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: test-deps
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEMPYRA_SANITIZE=address,undefined \
	  $(CHECK_OPTIONS) -DTEMPYRA_BENCHES=OFF
	cmake --build $(BUILD)-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(BUILD)-asan --output-on-failure -j $(JOBS)

# Everything that runs more than one thread, under ThreadSanitizer in a build
# of its own: the analysis job, a file cut while the worker maps it, and
# tempyra-cli analysing a folder of good and damaged files with two jobs; and
# the job with the precise estimator switched on and off (its worker makes
# the precise estimate), and tempyra-cli --precise with a worker per core;
# the window's folder listing on its worker.
TSAN_TARGETS := analysis_tests damaged_tests tempyra-cli tempyra-drumgen tempyra-layer1enc \
                precise_job_tests tempyra-patterngen ui_tests
TSAN_TESTS   := ^analysis\.AnalysisJob\.|^damaged\.(make_inputs|DamagedSource\.FileTruncatedWhile|cli_load)|^precise\.(PreciseJob\.|cli_end_to_end$$)|^ui\.BackgroundFolderScan\.
test-tsan: test-deps
	cmake -S . -B $(BUILD)-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEMPYRA_SANITIZE=thread \
	  $(CHECK_OPTIONS)
	cmake --build $(BUILD)-tsan -j $(JOBS) --target $(TSAN_TARGETS)
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir $(BUILD)-tsan --output-on-failure -j $(JOBS) \
	  -R '$(TSAN_TESTS)'

# The libFuzzer targets (clang, ASan + UBSan), side by side, FUZZ_SECONDS each.
fuzz-build: test-deps
	cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEMPYRA_FUZZ=ON -DTEMPYRA_WERROR=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(BUILD)-fuzz -j $(JOBS)

test-fuzz: fuzz-build
	tools/fuzz/run_fuzzers.sh $(BUILD)-fuzz $(FUZZ_SECONDS)

fuzz: fuzz-build
	tools/fuzz/run_fuzzers.sh $(BUILD)-fuzz $(FUZZ_LONG)

demo: build
	tools/demo/run_demo.sh $(BUILD)/cli/tempyra-cli demo
	@if [ -n "$$DISPLAY" ]; then \
	  echo "Opening the window on demo/ (press Go! to analyse; close the window to end the demo)"; \
	  $(BUILD)/tempyra demo; \
	else \
	  echo "No display (DISPLAY is not set), so the window is not opened; on a desktop: $(BUILD)/tempyra demo"; \
	fi

bench: build-tests
	@$(MAKE) --no-print-directory install-packages WANT="$(BENCH_PACKAGES)"
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

# The evaluation set is made once into EVAL_SET (each file again only when
# its recipe changes), which may lie outside the tree and outlive the build;
# EVAL_JOBS processes render and analyse it. Not part of `make test`.
EVAL_SET  ?= $(BUILD)/eval/set
EVAL_JOBS ?= 2
eval: build
	@$(MAKE) --no-print-directory install-packages WANT="$(EVAL_PACKAGES)"
	eval/run_eval.py $(BUILD) $(EVAL_SET) --jobs $(EVAL_JOBS)

# Refits the beat-level decision's weights on the development half of the
# evaluation set (made by `make eval`) and the training set (made here into
# EVAL_TRAIN, more files of the same sources under other names), and writes
# them into its source. The held-out half is never read.
EVAL_TRAIN ?= $(BUILD)/eval/train
eval-fit: build
	@$(MAKE) --no-print-directory install-packages WANT="$(EVAL_PACKAGES)"
	cmake --build $(BUILD) --target tempyra-levelfeatures
	eval/make_eval_set.py $(BUILD) $(EVAL_TRAIN) --jobs $(EVAL_JOBS) --train
	mkdir -p $(BUILD)/eval
	awk -F'\t' '$$5 == "dev" { print "$(EVAL_SET)/" $$1 }' $(EVAL_SET)/truth.tsv | \
	  xargs $(BUILD)/tools/levelfeatures/tempyra-levelfeatures > $(BUILD)/eval/features.tsv || true
	awk -F'\t' '{ print "$(EVAL_TRAIN)/" $$1 }' $(EVAL_TRAIN)/truth.tsv | \
	  xargs $(BUILD)/tools/levelfeatures/tempyra-levelfeatures > $(BUILD)/eval/train-features.tsv \
	  || true
	eval/fit_beat_level.py $(EVAL_SET)/truth.tsv $(BUILD)/eval/features.tsv \
	  --train $(EVAL_TRAIN)/truth.tsv $(BUILD)/eval/train-features.tsv --write engine/beat_level.cpp

# Installation. The program finds its help documents in
# $(PREFIX)/share/doc/tempyra beside $(PREFIX)/bin, wherever PREFIX is.
PREFIX     ?= /usr/local
DESTDIR    ?=
ICON_SIZES := 16 22 24 32 48 64 128 256
INSTALLED  := bin/tempyra bin/tempyra-cli \
              $(addprefix share/doc/tempyra/,tutorial.html help.html EULA.html \
                tempyra-window.png tempyra-about.png tempyra-library.png copyright changelog.gz) \
              share/applications/tempyra.desktop \
              $(foreach s,$(ICON_SIZES),share/icons/hicolor/$(s)x$(s)/apps/tempyra.png) \
              share/man/man1/tempyra.1.gz share/man/man1/tempyra-cli.1.gz \
              share/bash-completion/completions/tempyra-cli \
              share/metainfo/io.tempyra.Tempyra.metainfo.xml

install: build
	@$(MAKE) --no-print-directory install-files

# The installation of what is built in $(BUILD), without building.
install-files:
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"
	@if [ -z "$(DESTDIR)" ] && command -v update-desktop-database >/dev/null; then \
	  update-desktop-database -q "$(PREFIX)/share/applications" || true; \
	fi

uninstall:
	rm -f $(addprefix "$(DESTDIR)$(PREFIX)"/,$(INSTALLED))
	@rmdir "$(DESTDIR)$(PREFIX)/share/doc/tempyra" 2>/dev/null || true
	@if [ -z "$(DESTDIR)" ] && command -v update-desktop-database >/dev/null; then \
	  update-desktop-database -q "$(PREFIX)/share/applications" || true; \
	fi

# The Debian package, made by CPack from the Release build's install rules
# (see assets/package.cmake). To install it:
#   sudo apt install ./$(BUILD)/package/tempyra_<version>_<arch>.deb
package: build
	@$(MAKE) --no-print-directory install-packages WANT="$(PACKAGE_PACKAGES)"
	rm -f $(BUILD)/package/tempyra_*.deb
	cpack --config $(BUILD)/CPackConfig.cmake -B $(BUILD)/package
	@rm -rf $(BUILD)/package/_CPack_Packages
	@ls -l $(BUILD)/package/tempyra_*.deb

# Windows: TagLib for the processor (built once into the build folder), then
# the programs. $(1): x86_64 or i686, $(2): the build folder, $(3): options.
define windows_build
	tools/windows/build_taglib.sh $(1) $(2)
	cmake -S . -B $(2) -DCMAKE_TOOLCHAIN_FILE=$(WINDOWS_TOOLCHAIN) -DTEMPYRA_WINDOWS_ARCH=$(1) \
	  -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTEMPYRA_TAGLIB_PREFIX=$(abspath $(2))/taglib/prefix $(3)
	cmake --build $(2) -j $(JOBS)
endef

windows-deps:
	@$(MAKE) --no-print-directory install-packages WANT="$(WINDOWS_PACKAGES)"

windows: windows-deps
	$(call windows_build,x86_64,$(BUILD)-win64,-DTEMPYRA_TESTS=OFF)
	$(call windows_build,i686,$(BUILD)-win32,-DTEMPYRA_TESTS=OFF)
	@ls -l $(BUILD)-win64/tempyra.exe $(BUILD)-win64/cli/tempyra-cli.exe \
	  $(BUILD)-win32/tempyra.exe $(BUILD)-win32/cli/tempyra-cli.exe \
	  $(BUILD)-win64/package/*.zip $(BUILD)-win64/package/*-setup.exe \
	  $(BUILD)-win32/package/*.zip $(BUILD)-win32/package/*-setup.exe

# The x86_64 build with its tests, run under wine; compared with the Linux
# build in $(BUILD); its zip file and installer installed, run and
# uninstalled. (32-bit wine cannot start on these machines: the i686
# program is built by make windows, its packages checked without running
# them, and checked by hand on Windows.)
test-windows: build-tests windows-deps
	$(call windows_build,x86_64,$(BUILD)-win64,$(CHECK_OPTIONS) -DTEMPYRA_LINUX_BUILD=$(abspath $(BUILD)))
	tools/windows/run_wine_tests.sh $(BUILD)-win64 $(JOBS)

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-tsan $(BUILD)-fuzz $(BUILD)-win64 $(BUILD)-win32
