# Everyday commands. Each one installs what is missing first.
PRESET ?= default
BUILD_DIR := build/$(PRESET)

.PHONY: deps configure build run test unit test-asan format check-static package test-package bench clean fuzz web test-web golden

deps:
	./scripts/install-deps.sh

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

# Opens the designer window.
run: build
	$(BUILD_DIR)/window/flyback-designer

# Builds and runs every test: the suite (the browser page's tests included), the
# suite again under AddressSanitizer and UndefinedBehaviorSanitizer, the static
# checks and the package test.
test: unit test-asan check-static test-package

# The suite alone, in the normal build, with the page built for its tests.
unit: build web
	ctest --preset $(PRESET)

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Rewrites every source in the repo's style; check-static fails on any drift.
format:
	clang-format-14 -i $$(git ls-files --cached --others --exclude-standard '*.cpp' '*.hpp')

check-static: configure
	./scripts/check-static.sh $(BUILD_DIR)

package: build
	cd $(BUILD_DIR) && cpack

test-package: package
	./scripts/test-package.sh $(BUILD_DIR)

# The adviser's line: its time in plans' time (advise_in_plans) for the
# three example supplies.
bench: build web
	$(BUILD_DIR)/bench/flyback-bench
	$(BUILD_DIR)/bench/flyback-catalogue-bench
	$(BUILD_DIR)/bench/flyback-advise-bench --benchmark_filter='BM_OnePlan|BM_AdviseInPlans/[012]/1/0'
	./bench/jsonl_throughput.sh $(BUILD_DIR)/cli/flyback-calc
	./bench/web_speed.sh build/web

# emcc's JavaScript optimizer needs Debian's acorn, which a Node.js from
# elsewhere does not look for.
export NODE_PATH := /usr/share/nodejs

# The browser page and its engine in WebAssembly, in build/web.
web: deps
	cmake --preset web
	cmake --build --preset web

# The page's tests alone: the engine's answers against the native
# flyback-calc's, then the page in headless Chromium.
test-web: web build
	ctest --preset $(PRESET) -R '^web\.'

# Regenerates the golden corpus and reports from this build; only on purpose.
golden: build
	./scripts/update-golden.sh $(BUILD_DIR)

clean:
	rm -rf build

# Runs each fuzzer for FUZZ_SECONDS, starting from the seed corpus in fuzz/corpus.
# New inputs go to build/fuzz/corpus; crashes to build/fuzz/findings.
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	./scripts/fuzz.sh build/fuzz $(FUZZ_SECONDS)
