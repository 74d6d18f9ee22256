# Thin wrapper over CMake and CTest; every target configures on first use.
BUILD        ?= build
SAN_BUILD    ?= build-sanitize
FUZZ_BUILD   ?= build-fuzz
BENCH_BUILD  ?= build-bench
GENERATOR    ?= Ninja
FUZZ_SECONDS ?= 30
FUZZ_TARGETS := fuzz_key_decoder fuzz_console_writer

.PHONY: all deps build run test test-sanitize fuzz bench format clean

all: build

# Installs any missing Debian package; runs before each build directory is first configured.
deps:
	scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G $(GENERATOR)

build: $(BUILD)/build.ninja
	cmake --build $(BUILD)

# Starts the editor on FONT, or on a scratch copy of the demo font when FONT is empty.
run: build
	@scripts/run-editor.sh $(BUILD) $(FONT)

test: build
	ctest --test-dir $(BUILD) --output-on-failure

$(SAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(SAN_BUILD) -G $(GENERATOR) -DKESTROVA_SANITIZE=ON

test-sanitize: $(SAN_BUILD)/build.ninja
	cmake --build $(SAN_BUILD)
	ctest --test-dir $(SAN_BUILD) --output-on-failure

$(BENCH_BUILD)/build.ninja: | deps
	cmake -S . -B $(BENCH_BUILD) -G $(GENERATOR) -DKESTROVA_BENCH=ON -DCMAKE_BUILD_TYPE=Release

# The save against one write() of the same bytes; "ratio" is the save's time over the write's.
bench: $(BENCH_BUILD)/build.ninja
	cmake --build $(BENCH_BUILD) --target save_font_bench
	$(BENCH_BUILD)/bench/save_font_bench

$(FUZZ_BUILD)/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G $(GENERATOR) -DKESTROVA_FUZZ=ON

# Builds the libFuzzer targets (-fsanitize=fuzzer,address,undefined) and runs each for
# FUZZ_SECONDS seconds; a crash leaves its input in $(FUZZ_BUILD).
fuzz: $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) --target $(FUZZ_TARGETS)
	@for target in $(FUZZ_TARGETS); do \
	  log=$(FUZZ_BUILD)/$$target.log; \
	  if $(FUZZ_BUILD)/tests/console/$$target -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	      -artifact_prefix=$(FUZZ_BUILD)/ -print_final_stats=1 >$$log 2>&1; then \
	    echo "$$target: no failure in $(FUZZ_SECONDS) s ($$(grep -m1 stat::number_of_executed_units $$log))"; \
	  else \
	    tail -n 40 $$log; exit 1; \
	  fi; \
	done

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
