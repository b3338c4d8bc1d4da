# The two commands of the README: `make demo` and `make check`.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all setup configure build check check-asan check-windows windows demo bench bench-peers fuzz clean

all: build

setup:
	@scripts/setup

configure: setup
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

check: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The demo song, its four sections in four oscillator modes: Pulse, SupSaw, FM2, WaveTable.
DEMO_PARAMS = --param Portamento=0.35 --param "LFO Delay=0.6" \
  --automate "10:Osc Type=0.2" --automate "20:Osc Type=0.6" --automate "30:Osc Type=1"

demo: build
	@$(BUILD)/orvalis-render examples/demo.mid -o $(BUILD)/demo.wav $(DEMO_PARAMS)

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
check-asan: setup
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALIS_SANITIZE=ON -DORVALIS_BUILD_BENCH=OFF > /dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# libFuzzer over the whole host interface, from the committed seeds, for FUZZ_SECONDS.
FUZZ_SECONDS ?= 600
fuzz:
	@scripts/setup --fuzz
	@cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DORVALIS_FUZZ=ON -DORVALIS_BUILD_TESTS=OFF -DORVALIS_BUILD_BENCH=OFF > /dev/null
	@cmake --build build-fuzz -j $(JOBS) --target interface_fuzzer
	@mkdir -p build-fuzz/corpus build-fuzz/findings
	@build-fuzz/fuzz/interface_fuzzer build-fuzz/corpus fuzz/corpus -max_total_time=$(FUZZ_SECONDS) \
	  -max_len=4096 -timeout=20 -rss_limit_mb=4096 -artifact_prefix=build-fuzz/findings/ -print_final_stats=1

# Windows: the 32-bit DLL the instrument was made for and a 64-bit one, cross-built with MinGW-w64;
# their tests run under Wine (and Xvfb for the window test).
WINDOWS_BUILDS = build-win32:i686 build-win64:x86_64

windows:
	@scripts/setup --windows
	@for b in $(WINDOWS_BUILDS); do dir=$${b%%:*}; arch=$${b##*:}; \
	  cmake -S . -B $$dir -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-$$arch.cmake -DCMAKE_BUILD_TYPE=Release \
	    -DORVALIS_BUILD_BENCH=OFF > /dev/null && cmake --build $$dir -j $(JOBS) || exit 1; done

check-windows: windows
	@for b in $(WINDOWS_BUILDS); do dir=$${b%%:*}; \
	  echo "== $$dir"; \
	  (cd $$dir && WINEPREFIX=$$PWD/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" xvfb-run -a -s "-screen 0 1024x768x24 -noreset" ctest --output-on-failure --timeout 600) || exit 1; done

bench: build
	@$(BUILD)/bench/orvalis_bench --benchmark_counters_tabular=true

# Orvalis beside the Debian VST 2 instruments, loaded in one small host: ns and instructions per
# voice-sample, and the ratios.
bench-peers: configure
	@scripts/setup --bench
	@cmake --build $(BUILD) -j $(JOBS) --target orvalis_peer_bench > /dev/null
	@bench/run_peers.sh $(BUILD)/bench/orvalis_peer_bench

clean:
	@rm -rf $(BUILD)
