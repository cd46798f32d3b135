# Entry points for players, developers and CI. Every target installs missing
# Debian packages first (scripts/bootstrap), so a fresh machine needs nothing else.

BUILD        ?= build
ASAN_BUILD   ?= build-asan
FUZZ_BUILD   ?= build-fuzz
BENCH_BUILD  ?= build-bench
FUZZ_SECONDS ?= 60
WERROR       ?= OFF
JOBS         ?= $(shell nproc)
GENERATOR    := $(if $(shell command -v ninja),-G Ninja,)

.PHONY: all setup build test play test-asan fuzz bench install package clean

all: build

setup:
	@./scripts/bootstrap

build: setup
	cmake -S . -B $(BUILD) $(GENERATOR) -DGLIM_WERROR=$(WERROR)
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

play: build
	@if [ -x $(BUILD)/bin/glimmora ]; then \
	    $(BUILD)/bin/glimmora; \
	else \
	    echo "The game program is not built yet: only the tools and tests exist so far."; \
	fi

test-asan: setup
	cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DGLIM_SANITIZE=ON -DGLIM_WERROR=$(WERROR)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

fuzz: setup
	cmake -S . -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	    -DGLIM_FUZZ=ON -DGLIM_CONTENT=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	./scripts/run-fuzzers $(FUZZ_BUILD)/fuzz $(FUZZ_SECONDS)

bench: setup
	cmake -S . -B $(BENCH_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DGLIM_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target benchmarks
	mkdir -p $(BUILD)
	$(BENCH_BUILD)/bench/glimmora-bench --benchmark_out=$(BUILD)/bench.json --benchmark_out_format=json

# PREFIX and DESTDIR as usual: make install PREFIX=/usr DESTDIR=/tmp/root
PREFIX       ?= /usr/local
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package of the game in the build folder (glimmora_<version>_<arch>.deb).
package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
