# Thin wrapper over the CMake presets: `make run` and `make test` do all the set-up.
JOBS ?= $(shell nproc)
SIM_ARGS ?= --simulate monitor

.PHONY: run test deps dev fuzz fuzz-long clean format

deps:
	bash scripts/bootstrap.sh

run: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	./build/release/src/cli/ecuprobe-cli $(SIM_ARGS)

test: deps
	$(MAKE) fuzz
	cmake --preset ci
	cmake --build --preset ci -j $(JOBS)
	ctest --preset ci -j $(JOBS)

dev: deps
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS)
	ctest --preset dev -j $(JOBS)

# Builds the libFuzzer targets with clang and runs each for a short, bounded time.
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	bash fuzz/run.sh build/fuzz

# Each target until ten million executions; new coverage is kept under fuzz/corpus/.
fuzz-long: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	bash fuzz/run.sh build/fuzz --long

format:
	find src autotests fuzz bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
