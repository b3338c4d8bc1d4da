# The two commands of the README: `make demo` and `make check`.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# CI builds treat warnings as errors; CI sets CI=true.
CMAKE_FLAGS = -DORVALIS_WERROR=$(if $(filter true,$(CI)),ON,OFF)

.PHONY: all setup configure build install uninstall check check-asan check-tsan tidy check-windows windows demo \
  presets tour bench bench-peers fuzz fuzz-build fuzz-interface fuzz-midi fuzz-fx fuzz-state \
  fuzz-lv2-midi clean

all: build

setup:
	@scripts/setup

configure: setup
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Orvalis.so into ~/.vst, Orvalis.lv2 into ~/.lv2, Orvalis.vst3 into ~/.vst3, Orvalis.clap into
# ~/.clap, orvalis-render and the standalone orvalis into ~/.local/bin (orvalis's desktop entry into
# ~/.local/share/applications) and the factory presets into ~/.local/share/orvalis/presets; or with
# PREFIX=/usr/local into $(PREFIX)/lib/vst, lib/lv2, lib/vst3, lib/clap, bin, share/applications
# and share/orvalis/presets. `make uninstall` removes exactly the files the last install wrote
# (their list is kept in $(BUILD)/installed-files.txt).
PREFIX ?=
ifeq ($(PREFIX),)
INSTALL_DIRS = -DORVALIS_VST_INSTALL_DIR=$(HOME)/.vst -DORVALIS_LV2_INSTALL_DIR=$(HOME)/.lv2 \
  -DORVALIS_VST3_INSTALL_DIR=$(HOME)/.vst3 -DORVALIS_CLAP_INSTALL_DIR=$(HOME)/.clap \
  -DORVALIS_BIN_INSTALL_DIR=$(HOME)/.local/bin -DORVALIS_PRESETS_INSTALL_DIR=$(HOME)/.local/share/orvalis/presets \
  -DORVALIS_DESKTOP_INSTALL_DIR=$(HOME)/.local/share/applications
else
INSTALL_DIRS = -DORVALIS_VST_INSTALL_DIR=lib/vst -DORVALIS_LV2_INSTALL_DIR=lib/lv2 -DORVALIS_VST3_INSTALL_DIR=lib/vst3 \
  -DORVALIS_CLAP_INSTALL_DIR=lib/clap \
  -DORVALIS_BIN_INSTALL_DIR=bin -DORVALIS_PRESETS_INSTALL_DIR=share/orvalis/presets \
  -DORVALIS_DESKTOP_INSTALL_DIR=share/applications
endif
install: build
	@cmake -S . -B $(BUILD) $(INSTALL_DIRS) > /dev/null
	@cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))
	@cp $(BUILD)/install_manifest.txt $(BUILD)/installed-files.txt

uninstall:
	@scripts/uninstall $(BUILD)/installed-files.txt

check: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The demo song through four factory programs, one per section: a saloon piano (Pulse), a
# string section (SupSaw), a concert harp (FM2) and a choir pad (WaveTable).
DEMO_PARAMS = --bank "presets/Orvalis Factory.fxb" --program 3 \
  --program-at 10:48 --program-at 20:46 --program-at 30:91

# Builds only the plug-in and the renderer; the compiler's lines go to a log, shown on failure.
demo: configure
	@echo "demo: building Orvalis.so and orvalis-render (log: $(BUILD)/demo-build.log)"
	@cmake --build $(BUILD) -j $(JOBS) --target Orvalis orvalis-render > $(BUILD)/demo-build.log 2>&1 \
	  || { tail -n 30 $(BUILD)/demo-build.log; exit 1; }
	@$(BUILD)/orvalis-render examples/demo.mid -o $(BUILD)/demo.wav $(DEMO_PARAMS)
	@echo "demo: listen with: aplay $(BUILD)/demo.wav"

# The factory bank files in presets/, made from the table in params/factory_bank.cpp; commit them.
presets: configure
	@cmake --build $(BUILD) --target presets -j $(JOBS)

# Every factory program plays a short phrase into $(BUILD)/tour/, beside the bank's contact sheet
# and its measured figures.
tour: configure
	@cmake --build $(BUILD) --target tour -j $(JOBS)

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
check-asan: setup
	@cmake -S . -B build-asan $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALIS_SANITIZE=ON -DORVALIS_BUILD_BENCH=OFF > /dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The whole test suite built with ThreadSanitizer; any report fails the run.
check-tsan: setup
	@cmake -S . -B build-tsan $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALIS_TSAN=ON -DORVALIS_BUILD_BENCH=OFF > /dev/null
	@cmake --build build-tsan -j $(JOBS)
	@cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --output-on-failure -j $(JOBS)

# libFuzzer from the committed seeds, each target for FUZZ_SECONDS: over the whole host
# interface, the MIDI-file reader (seeded with tools/make_midi_seeds.py's files and the demo song),
# the .fxb/.fxp readers and the state blob (both over damaged copies of valid images) and the LV2
# plug-in's MIDI input. `make fuzz-NAME` runs one of them.
FUZZ_SECONDS ?= 600
FUZZ_FLAGS = -max_total_time=$(FUZZ_SECONDS) -timeout=20 -rss_limit_mb=4096 -print_final_stats=1
FUZZERS = interface_fuzzer midi_file_fuzzer fx_file_fuzzer state_blob_fuzzer lv2_midi_fuzzer

fuzz: fuzz-interface fuzz-midi fuzz-fx fuzz-state fuzz-lv2-midi

fuzz-build:
	@scripts/setup --fuzz
	@cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DORVALIS_FUZZ=ON -DORVALIS_BUILD_TESTS=OFF -DORVALIS_BUILD_BENCH=OFF > /dev/null
	@cmake --build build-fuzz -j $(JOBS) --target $(FUZZERS)
	@mkdir -p build-fuzz/corpus build-fuzz/midi-corpus build-fuzz/fx-corpus build-fuzz/state-corpus \
	  build-fuzz/lv2-midi-corpus build-fuzz/findings

fuzz-interface: fuzz-build
	@build-fuzz/fuzz/interface_fuzzer build-fuzz/corpus fuzz/corpus -max_len=4096 $(FUZZ_FLAGS) \
	  -artifact_prefix=build-fuzz/findings/interface-

fuzz-midi: fuzz-build
	@cp examples/demo.mid build-fuzz/midi-corpus/
	@build-fuzz/fuzz/midi_file_fuzzer build-fuzz/midi-corpus fuzz/midi_corpus -max_len=8192 \
	  -dict=fuzz/midi.dict $(FUZZ_FLAGS) -artifact_prefix=build-fuzz/findings/midi-

fuzz-fx: fuzz-build
	@build-fuzz/fuzz/fx_file_fuzzer build-fuzz/fx-corpus -max_len=4096 $(FUZZ_FLAGS) \
	  -artifact_prefix=build-fuzz/findings/fx-

fuzz-state: fuzz-build
	@build-fuzz/fuzz/state_blob_fuzzer build-fuzz/state-corpus -max_len=4096 $(FUZZ_FLAGS) \
	  -artifact_prefix=build-fuzz/findings/state-

fuzz-lv2-midi: fuzz-build
	@build-fuzz/fuzz/lv2_midi_fuzzer build-fuzz/lv2-midi-corpus fuzz/lv2_midi_corpus -max_len=2048 \
	  $(FUZZ_FLAGS) -artifact_prefix=build-fuzz/findings/lv2-midi-

# Windows: the 32-bit DLL the instrument was made for and a 64-bit one, the VST 3 bundle's
# x86-win and x86_64-win modules and the CLAP plug-in Orvalis.clap for each, cross-built with
# MinGW-w64;
# their tests run under Wine (and Xvfb for the window test).
WINDOWS_BUILDS = build-win32:i686 build-win64:x86_64

windows:
	@scripts/setup --windows
	@for b in $(WINDOWS_BUILDS); do dir=$${b%%:*}; arch=$${b##*:}; \
	  cmake -S . -B $$dir $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-$$arch.cmake -DCMAKE_BUILD_TYPE=Release \
	    -DORVALIS_BUILD_BENCH=OFF > /dev/null && cmake --build $$dir -j $(JOBS) || exit 1; done

# Without Wine (it could not be installed: scripts/setup says why) the DLLs are still built and
# their exports checked, and the tests are reported as skipped.
# Each entry: a file pattern inside a Windows build folder, then the names it must export.
WINDOWS_EXPORTS = Orvalis*.dll:VSTPluginMain:main Orvalis.clap:clap_entry \
  Orvalis.vst3/Contents/*-win/Orvalis.vst3:GetPluginFactory:InitDll:ExitDll
check-windows: windows
	@for b in $(WINDOWS_BUILDS); do dir=$${b%%:*}; \
	  for e in $(WINDOWS_EXPORTS); do names=$$(echo $${e#*:} | tr ':' ' '); \
	    for file in $$dir/$${e%%:*}; do scripts/check-exports $$file $$names || exit 1; done; done; done
	@if ! command -v wine > /dev/null 2>&1; then \
	  echo "check-windows: Wine tests SKIPPED: $$(cat .setup/wine-unavailable 2>/dev/null || echo 'wine is not installed')"; \
	else for b in $(WINDOWS_BUILDS); do dir=$${b%%:*}; \
	  if [ "$${b##*:}" = i686 ] && [ -f .setup/wine32-unavailable ]; then \
	    echo "check-windows: $$dir Wine tests SKIPPED: $$(cat .setup/wine32-unavailable)"; continue; fi; \
	  echo "== $$dir"; \
	  (cd $$dir && WINEPREFIX=$$PWD/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" ctest --output-on-failure --timeout 600) || exit 1; done; fi

# The release in $(BUILD)/dist/: the Linux archive, the .deb and the Windows zip, packed by
# scripts/dist (its manifest lists every file) from what `build` and `windows` make.
.PHONY: dist
dist: build windows
	@scripts/dist --build $(BUILD)

# clang-tidy (bugprone, performance) over the project's sources.
tidy: setup
	@scripts/tidy

bench: build
	@$(BUILD)/bench/orvalis_bench --benchmark_counters_tabular=true

# Orvalis beside the Debian VST 2 instruments, loaded in one small host: ns and instructions per
# voice-sample, the ratios, and the cost curve (CPU seconds per rendered second, 0 to 8 notes).
bench-peers: configure
	@scripts/setup --bench
	@cmake --build $(BUILD) -j $(JOBS) --target orvalis_peer_bench > /dev/null
	@bench/run_peers.sh $(BUILD)/bench/orvalis_peer_bench

clean:
	@rm -rf $(BUILD)
