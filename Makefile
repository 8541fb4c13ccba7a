# Newcomer entry points: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench package sanitize fuzz-regress install-check clean

all: build

deps:
	./scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	cd $(BUILD_DIR)/game && ./kelmar

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target kelmar_benchmarks
	./scripts/run-benchmarks $(BUILD_DIR)

# A Debian package of the game (build/kelmar_*.deb).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# built with clang together with the libFuzzer targets.
SAN_DIR ?= build-asan
sanitize: deps
	CC=clang CXX=clang++ cmake -S . -B $(SAN_DIR) -DKELMAR_SANITIZE=ON -DKELMAR_FUZZ=ON $(CMAKE_FLAGS) \
	    -DKELMAR_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(SAN_DIR) -j $(JOBS)
	cd $(SAN_DIR) && QT_QPA_PLATFORM=offscreen \
	    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --output-on-failure -j $(JOBS)

# Each fuzz target over its seed corpus plus a fixed number of new inputs.
FUZZ_RUNS ?= 20000
fuzz-regress: sanitize
	./scripts/fuzz-regress $(SAN_DIR) $(FUZZ_RUNS)

# Install into a temporary prefix and check what lands there.
install-check: build
	./scripts/install-check $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR)
