# The two commands of the README: `make demo` and `make check`.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all setup configure build check demo bench clean

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

bench: build
	@$(BUILD)/bench/orvalis_bench --benchmark_counters_tabular=true

clean:
	@rm -rf $(BUILD)
