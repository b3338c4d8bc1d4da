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

demo: build
	@if [ -x $(BUILD)/orvalis-render ]; then \
	  $(BUILD)/orvalis-render examples/demo.mid -o $(BUILD)/demo.wav; \
	else \
	  echo "The demo song arrives with the command-line renderer; built so far: $(BUILD)/Orvalis.so"; \
	fi

bench: build
	@$(BUILD)/bench/orvalis_bench --benchmark_counters_tabular=true

clean:
	@rm -rf $(BUILD)
