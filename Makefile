# scripts/run and scripts/test install make and the rest first on a bare
# Debian 12 machine; with make present:
# make run   - install what building and running need, build, start the converter
# make test  - install that and the test tools, build, run every test suite
# make sanitize-address / sanitize-thread - the sanitizer runs of the suites that ask for them
# make fuzz  - build every fuzz target (tests/*/*/fuzz) with clang's libFuzzer and
#              ASan, run each for FUZZ_SECONDS
# make bench - build the benchmarks

BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60

.PHONY: run test deps deps-run configure build sanitize-address sanitize-thread fuzz bench clean

# The two package sets of scripts/install-deps.
deps-run:
	@scripts/install-deps run

deps:
	@scripts/install-deps test

# A tree is configured once. Its test suites are built where GoogleTest is
# installed; a tree first configured without them (by `make run`) gets them
# when the tests are asked for.
configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	@grep -q '^TVL_BUILD_TESTS:BOOL=ON' $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DTVL_BUILD_TESTS=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: deps-run
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS) --target tavrel-converter
	$(BUILD)/app/tavrel-converter

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 900

# The sanitizer builds compile only the suites that ask for them.
define sanitize_run
	cmake -S . -B build-$(1) -G Ninja -DTVL_SANITIZE=$(1) $(CMAKE_FLAGS)
	cmake --build build-$(1) -j $(JOBS) --target sanitize_tests
	cd build-$(1) && ctest --output-on-failure -j $(JOBS) -L sanitize --timeout 900 --no-tests=ignore
endef

sanitize-address: deps
	$(call sanitize_run,address)

sanitize-thread: deps
	$(call sanitize_run,thread)

# The fuzz build compiles only the fuzz targets and the libraries they test.
fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DTVL_SANITIZE=fuzzer -DTVL_BUILD_TESTS=OFF \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS) --target fuzz_targets
	scripts/fuzz build-fuzz $(FUZZ_SECONDS) $(JOBS)

bench: deps
	cmake -S . -B build-bench -G Ninja -DTVL_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=Release
	cmake --build build-bench -j $(JOBS)

clean:
	rm -rf build build-address build-thread build-fuzz build-bench
