# Tavuko: build, run, test, benchmark and fuzz. Every target installs what it needs first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
CORPUS     ?= $(or $(TMPDIR),/tmp)/tavuko-corpus
SAMPLE     := resources/TAVUKO.TXT
FUZZ_SECONDS ?= 60
GEN        := $(firstword $(wildcard ../shared/bench/gen_corpus.py) $(wildcard shared/bench/gen_corpus.py))

.PHONY: all deps build run test test-asan test-tsan bench fuzz format format-check install deb screenshot clean

all: build

deps:
	@sh scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD)

run: build
	@sh scripts/run-viewer $(BUILD) $(SAMPLE)

test: build
	cd $(BUILD) && xvfb-run -a dbus-run-session -- ctest --output-on-failure -j2

# The sanitizer build also holds the code to no compiler warning at all.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVUKO_SANITIZE=ON -DTAVUKO_BENCH=OFF -DTAVUKO_WERROR=ON >/dev/null
	@cmake --build $(ASAN_BUILD)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  xvfb-run -a dbus-run-session -- ctest --output-on-failure -j2

# The tests of the work that runs on several threads (loading, deriving, the view and window
# over them) under ThreadSanitizer; Qt's own libraries are not instrumented (tests/tsan.supp). The
# growth of a million display-line records runs on one thread and takes many minutes under it.
TSAN_TESTS := test_model test_bigview test_bigview_jobs test_app
test-tsan: deps
	@cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVUKO_TSAN=ON -DTAVUKO_BENCH=OFF >/dev/null
	@cmake --build $(TSAN_BUILD) --target $(TSAN_TESTS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp" \
	  xvfb-run -a dbus-run-session -- ctest --output-on-failure -j2 \
	  -E 'ALongDerivationThatGrowsItsRecords' -R '^(LoadTest|LoadEncodingTest|LoadJobTest|Derive|BvLinesTest|ViewFontThreads|BigViewJobsTest|LoadingTest|MainFormTest)\.'

bench: build
	@sh scripts/bench $(BUILD) "$(CORPUS)" "$(GEN)"

fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVUKO_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD)
	@sh scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The house style of .clang-format: format-check fails on any C++ source that departs from it
# (CI runs it first); format rewrites them in it.
SOURCES = $(shell find platform model bigview settings dialogs app tools tests fuzz bench -name '*.cpp' -o -name '*.h')
format-check: deps
	@clang-format --dry-run --Werror $(SOURCES)
format: deps
	@clang-format -i $(SOURCES)

# The program, its readme, help, desktop entry and icons under PREFIX (default /usr/local);
# DESTDIR=dir stages them under dir.
install: build
	@cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))

# A Debian package (tavuko_VERSION_ARCH.deb in the build folder) of what install puts in place.
deb: build
	@cd $(BUILD) && cpack -G DEB

# README's picture: the built view on the bundled readme, as tavuko-render paints it.
screenshot: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) --target tavuko-render
	@QT_QPA_PLATFORM=offscreen $(BUILD)/tools/tavuko-render --size 522x394 $(SAMPLE) resources/screenshot.png

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
