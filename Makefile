# Entry points: `make demo` builds and runs ptxport on the bundled example,
# `make test` builds and runs every test, `make package` makes the .deb.
BUILD ?= build
BUILD_TYPE ?= Release
CMAKE ?= cmake
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
BENCH_BUILD ?= build-bench
CLANG_BUILD ?= build-clang
BENCH_POINTS ?= 5000000

.PHONY: all configure build demo test test-sanitize test-clang fuzz bench \
  clean test-scale-out

all: build

configure:
	$(CMAKE) -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	$(CMAKE) --build $(BUILD) -j $(JOBS)

# The demo works on a copy in the build folder: the repository is never written.
demo: build
	rm -rf $(BUILD)/demo && mkdir -p $(BUILD)/demo
	cp examples/plot7.las $(BUILD)/demo/
	cd $(BUILD)/demo && ../converter/ptxport plot7.las 0
	@echo "--- $(BUILD)/demo/plot7_hdr.asc"
	@cat $(BUILD)/demo/plot7_hdr.asc
	@echo "--- $(BUILD)/demo/plot7.asc (first 5 of $$(wc -l < $(BUILD)/demo/plot7.asc) lines)"
	@head -n 5 $(BUILD)/demo/plot7.asc

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The recipes of examples/scale-out run for real: a Slurm job array on a
# private one-node cluster and GNU parallel over an sshd on loopback
# addresses (Slurm, munge, parallel and openssh-server come from apt if
# missing).
test-scale-out: build
	tests/scale_out/run.sh $(BUILD)

# The Debian package (command, man page, libraries, header), made by CPack
# in $(BUILD)/packages; install it with dpkg -i.
.PHONY: package
package: build
	$(CMAKE) --build $(BUILD) --target package
	@ls -1 $(BUILD)/packages/*.deb

# Every test again, in a build with AddressSanitizer and UBSan that stops
# at the first report.
test-sanitize:
	$(CMAKE) -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPTXPORT_SANITIZE=ON $(CMAKE_FLAGS)
	$(CMAKE) --build $(SANITIZE_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

# Every test again, in a build made with clang (installed from Debian if it
# is missing).
test-clang:
	@command -v clang >/dev/null && command -v clang++ >/dev/null || { \
	  sudo_cmd=""; [ "$$(id -u)" -ne 0 ] && sudo_cmd=sudo; \
	  $$sudo_cmd apt-get update && DEBIAN_FRONTEND=noninteractive \
	  $$sudo_cmd apt-get install -y -o DPkg::Lock::Timeout=900 clang; }
	CC=clang CXX=clang++ $(CMAKE) -S . -B $(CLANG_BUILD) -G Ninja \
	  -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)
	$(CMAKE) --build $(CLANG_BUILD) -j $(JOBS)
	ctest --test-dir $(CLANG_BUILD) --output-on-failure -j $(JOBS)

# The libFuzzer targets (clang), each run for FUZZ_SECONDS.
fuzz:
	@tools/install_fuzz_toolchain.sh
	CC=clang CXX=clang++ $(CMAKE) -S . -B $(FUZZ_BUILD) -G Ninja \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPTXPORT_FUZZ=ON -DPTXPORT_BUILD_TESTS=OFF
	$(CMAKE) --build $(FUZZ_BUILD) -j $(JOBS)
	tools/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Micro-benchmarks, the formatter's long comparison with snprintf, and the
# end-to-end run against the printf baseline and the I/O floor.
bench:
	$(CMAKE) -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DPTXPORT_BUILD_BENCHMARKS=ON
	$(CMAKE) --build $(BENCH_BUILD) -j $(JOBS)
	$(BENCH_BUILD)/bench/bench_number_format
	$(BENCH_BUILD)/bench/bench_point_rows
	$(BENCH_BUILD)/bench/bench_sorts
	PTXPORT_LONG_TESTS=1 $(BENCH_BUILD)/tests/test_number_format
	python3 bench/end_to_end.py --build $(BENCH_BUILD) --points $(BENCH_POINTS)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
