# Everyday commands. Each one installs what is missing first.
PRESET ?= default
BUILD_DIR := build/$(PRESET)

.PHONY: deps configure build run test bench calc clean

deps:
	./scripts/install-deps.sh

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

# Opens the designer window.
run: build
	$(BUILD_DIR)/window/flyback-designer

# Builds and runs every test.
test: build
	ctest --preset $(PRESET)

bench: build
	$(BUILD_DIR)/bench/flyback-bench
	./bench/jsonl_throughput.sh $(BUILD_DIR)/cli/flyback-calc

clean:
	rm -rf build
