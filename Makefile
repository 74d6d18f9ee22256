# Thin wrapper over CMake and CTest; every target configures on first use.
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
GENERATOR  ?= Ninja

.PHONY: all build run test test-sanitize fuzz bench format clean

all: build

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G $(GENERATOR)

build: $(BUILD)/build.ninja
	cmake --build $(BUILD)

# Starts the editor on FONT, or on a scratch copy of the demo font when FONT is empty.
run: build
	@scripts/run-editor.sh $(BUILD) $(FONT)

test: build
	ctest --test-dir $(BUILD) --output-on-failure

$(SAN_BUILD)/build.ninja:
	cmake -S . -B $(SAN_BUILD) -G $(GENERATOR) -DKESTROVA_SANITIZE=ON

test-sanitize: $(SAN_BUILD)/build.ninja
	cmake --build $(SAN_BUILD)
	ctest --test-dir $(SAN_BUILD) --output-on-failure

$(BENCH_BUILD)/build.ninja:
	cmake -S . -B $(BENCH_BUILD) -G $(GENERATOR) -DKESTROVA_BENCH=ON -DCMAKE_BUILD_TYPE=Release

# The save against one write() of the same bytes; "ratio" is the save's time over the write's.
bench: $(BENCH_BUILD)/build.ninja
	cmake --build $(BENCH_BUILD) --target save_font_bench
	$(BENCH_BUILD)/bench/save_font_bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
