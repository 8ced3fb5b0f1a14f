# Thin wrapper over the CMake presets: `make run` and `make test` do all the set-up.
JOBS ?= $(shell nproc)
# The tests labelled `line` wait on a serial line in real time (pseudo-terminals,
# the simulator's pacing and time-outs), not on the CPU: twice as many jobs as
# cores. Not more: their 20 ms byte time-outs need the CPU when a byte is due.
LINE_JOBS ?= $(shell echo $$((2 * $(JOBS))))
GUI_ARGS ?= --simulate
SIM_ARGS ?= --simulate monitor
# Runs of the sampling bench (on each line) and of the window's, and the sampling
# bench's seed for its random phases (empty: a new one, printed).
BENCH_RUNS ?= 7
GUI_BENCH_RUNS ?= 5
BENCH_SEED ?=

.PHONY: run test deps dev windows package windows-package windows-installer fuzz fuzz-long bench screenshots fault-matrix clean format

deps:
	bash scripts/bootstrap.sh

# The window on a display; without one, the same tester in the terminal.
run: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target ecuprobe ecuprobe-cli
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "./build/release/src/app/ecuprobe $(GUI_ARGS)"; \
	  ./build/release/src/app/ecuprobe $(GUI_ARGS); \
	else \
	  echo "run: no display (DISPLAY and WAYLAND_DISPLAY are unset): starting the terminal console"; \
	  ./build/release/src/cli/ecuprobe-cli $(SIM_ARGS); \
	fi

# Every test of a preset: those on the line with LINE_JOBS, the rest with JOBS;
# both sets run, and the status is a failure if either failed.
run_tests = ctest --preset $(1) -j $(JOBS) -LE '^line$$'; status=$$?; \
	ctest --preset $(1) -j $(LINE_JOBS) -L '^line$$' || status=$$?; exit $$status

test: deps
	$(MAKE) fuzz
	$(MAKE) windows
	cmake --preset ci
	cmake --build --preset ci -j $(JOBS)
	$(call run_tests,ci)

dev: deps
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS)
	$(call run_tests,dev)

# Cross-builds the core, the simulator and the unit tests for 64-bit Windows
# (MinGW-w64, static .exe files) and runs the tests under Wine, each bounded in
# time. With the Qt for MinGW of ../shared/qt-windows (or ECUPROBE_QT_WINDOWS,
# its prefix or .tar.xz) also the window, ecuprobe.exe, and the GUI tests, which
# Wine runs on Qt's offscreen platform.
windows: deps
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)
	ctest --preset windows -j $(JOBS)

# The Debian package of the three programs, from the release build:
# build/release/ecuprobe_<version>_<arch>.deb (apt-get install ./ecuprobe_*.deb).
# Its files carry the time of SOURCE_DATE_EPOCH, by default that of the top entry
# of packaging/changelog, so that the same sources make the same package.
package: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	cd build/release && \
	  SOURCE_DATE_EPOCH=$${SOURCE_DATE_EPOCH:-$$(dpkg-parsechangelog -l ../../packaging/changelog -STimestamp)} \
	  cpack -G DEB

# The Windows folder that runs as it stands (ecuprobe-cli.exe, and the window with
# Qt's DLLs where it is built), with its Russian README.txt, from the windows build:
# build/windows/ecuprobe-<version>-windows-x64.zip.
windows-package: deps
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS) --target windows-folder
	cd build/windows && cpack -G ZIP

# The same folder in an NSIS installer: build/windows/ecuprobe-<version>-setup.exe.
windows-installer: deps
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS) --target windows-installer

# Timed programs that print their figures over repeated runs; never part of the
# tests: a measured test's rate and duration errors per adapter, the idle
# simulator's cost, and how long the window waits.
bench: deps
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS)
	./build/bench/bench/sampling_bench --runs $(BENCH_RUNS) $(if $(BENCH_SEED),--seed $(BENCH_SEED))
	./build/bench/bench/sim_idle_bench
	QT_QPA_PLATFORM=offscreen ./build/bench/bench/gui_bench --runs $(GUI_BENCH_RUNS)
	QT_QPA_PLATFORM=offscreen ./build/bench/bench/drive_log_bench
	./build/bench/bench/saved_file_memory_bench

# The README's pictures of the windows, taken on the simulator under xvfb, and
# those of the Windows build under Wine.
screenshots: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target ecuprobe-screenshots
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS) --target ecuprobe-screenshots
	bash scripts/screenshots.sh build/release build/windows

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

# Every command against every simulator fault (the FaultMatrix integration tests);
# their results become docs/fault-matrix.md, also when some case failed.
fault-matrix: deps
	cmake --preset ci
	cmake --build --preset ci -j $(JOBS) --target fault_matrix_tests
	rm -rf build/ci/fault-matrix
	ctest --preset ci -j $(LINE_JOBS) -R '^EveryCommandAndFault/FaultMatrix\.'; \
	  status=$$?; python3 scripts/fault_matrix.py build/ci/fault-matrix docs/fault-matrix.md && exit $$status

format:
	find src autotests fuzz bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
