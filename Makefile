# SPDX-License-Identifier: MIT
# Entry points: `make demo` builds and runs ptxport on the bundled example,
# `make test` builds and runs every test, `make package` makes the .debs.
# Each target first installs the Debian packages it needs that are missing
# (tools/ensure_packages.sh).
BUILD ?= build
BUILD_TYPE ?= Release
CMAKE ?= cmake
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

SANITIZE_BUILD ?= build-sanitize
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
BENCH_BUILD ?= build-bench
CLANG_BUILD ?= build-clang
BENCH_POINTS ?= 5000000
BARE_BUILD ?= build-bare-machine
WINDOWS_BUILD ?= build-windows
INT128_BUILD ?= build-int128-fallback
LASDATA ?= ../shared/lasdata

# Wine, headless and quiet, in a prefix of its own inside the Windows build;
# no Mono or Gecko installer prompts for a console program.
WINE_ENV = WINEPREFIX=$(abspath $(WINDOWS_BUILD))/wineprefix WINEDEBUG=-all \
  WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8

# What each target needs, as Debian package:probe (a command, or a file
# that must exist).
ENSURE = tools/ensure_packages.sh
DEMO_NEEDS = cmake:cmake ninja-build:ninja gcc:cc g++:c++
TEST_NEEDS = $(DEMO_NEEDS) libgtest-dev:/usr/include/gtest/gtest.h \
  libgmock-dev:/usr/include/gmock/gmock.h pkg-config:pkg-config \
  binutils:readelf
PACKAGE_NEEDS = $(DEMO_NEEDS) dpkg-dev:dpkg-shlibdeps file:file
BENCH_NEEDS = $(TEST_NEEDS) libbenchmark-dev:/usr/include/benchmark/benchmark.h \
  python3:python3
BARE_NEEDS = debootstrap:debootstrap git:git
WINDOWS_NEEDS = $(DEMO_NEEDS) \
  g++-mingw-w64-x86-64-posix:x86_64-w64-mingw32-g++-posix \
  gcc-mingw-w64-x86-64-posix:x86_64-w64-mingw32-gcc-posix \
  googletest:/usr/src/googletest/CMakeLists.txt zip:zip \
  groff:/usr/share/groff/current/font/devhtml
WINE_NEEDS = $(TEST_NEEDS) wine:wine wine64:/usr/lib/wine/wine64 python3:python3

configure_with = $(CMAKE) -S . -B $(1) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
  $(2) $(CMAKE_FLAGS)

.PHONY: all configure build demo test test-sanitize test-clang fuzz bench \
  clean test-scale-out test-tsan

all: build

configure:
	@$(ENSURE) "make $(or $(MAKECMDGOALS),all)" $(TEST_NEEDS)
	$(call configure_with,$(BUILD),-DPTXPORT_BUILD_TESTS=ON)

build: configure
	$(CMAKE) --build $(BUILD) -j $(JOBS)

# The demo builds the command alone, without the test suite and what it
# needs, and works on a copy in the build folder: the repository is never
# written.
demo:
	@$(ENSURE) "make demo" $(DEMO_NEEDS)
	$(call configure_with,$(BUILD),-DPTXPORT_BUILD_TESTS=OFF)
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target ptxport
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

# The three Debian packages (ptxport, libtamarak-lidar1 and
# libtamarak-lidar-dev), made by CPack in $(BUILD)/packages without the test
# suite; install them with apt-get install ./FILE.deb or dpkg -i.
.PHONY: package test-package test-setup test-bare-machine
package:
	@$(ENSURE) "make package" $(PACKAGE_NEEDS)
	$(call configure_with,$(BUILD),-DPTXPORT_BUILD_TESTS=OFF)
	rm -f $(BUILD)/packages/*.deb
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target package
	@ls -1 $(BUILD)/packages/*.deb

# lintian finds no error in the packages, each carries its licence and
# change log, and the development package needs the library of its version.
test-package: package
	@$(ENSURE) "make test-package" lintian:lintian
	tools/check_packages.sh $(BUILD)/packages \
	  $$(sed -n 's/^#define TAMARAK_LIDAR_VERSION_[A-Z]* *\([0-9]*\)$$/\1/p' \
	    library/include/TAMARAK_LiDAR.h | paste -sd.)

# The script that installs what each target needs, against stand-ins for
# apt-get and sudo.
test-setup:
	sh tests/bare_machine/test_ensure_packages.sh

# A minimal Debian 12 root (debootstrap, with build-essential and git only)
# in $(BARE_BUILD): the README's two commands run there, then the packages
# are made, installed and used.  Needs root.
test-bare-machine:
	@$(ENSURE) "make test-bare-machine" $(BARE_NEEDS)
	tests/bare_machine/run.sh $(BARE_BUILD)

# Every test again, in a build with AddressSanitizer and UBSan that stops
# at the first report.
test-sanitize:
	@$(ENSURE) "make test-sanitize" $(TEST_NEEDS)
	$(CMAKE) -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPTXPORT_SANITIZE=ON $(CMAKE_FLAGS)
	$(CMAKE) --build $(SANITIZE_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

# The tests that run threads, in a ThreadSanitizer build: the worker
# pipeline, whole runs with workers, the fault runs and the end-to-end runs.
TSAN_TESTS = test_parallel_points test_faults \
  test_run_end_to_end test_run_driver test_list_stress
test-tsan:
	@$(ENSURE) "make test-tsan" $(TEST_NEEDS)
	$(CMAKE) -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPTXPORT_TSAN=ON $(CMAKE_FLAGS)
	$(CMAKE) --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TESTS)
	TSAN_OPTIONS=halt_on_error=1:exitcode=66 ctest --test-dir $(TSAN_BUILD) \
	  --output-on-failure -j $(JOBS) -E '_NOT_BUILT|^Exports|^install_'

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
	@$(ENSURE) "make fuzz" $(DEMO_NEEDS)
	@tools/install_fuzz_toolchain.sh
	CC=clang CXX=clang++ $(CMAKE) -S . -B $(FUZZ_BUILD) -G Ninja \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPTXPORT_FUZZ=ON -DPTXPORT_BUILD_TESTS=OFF
	$(CMAKE) --build $(FUZZ_BUILD) -j $(JOBS)
	tools/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Micro-benchmarks, the formatter's long comparison with snprintf, and the
# end-to-end run against the printf baseline and the I/O floor.
bench:
	@$(ENSURE) "make bench" $(BENCH_NEEDS)
	$(CMAKE) -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DPTXPORT_BUILD_BENCHMARKS=ON
	$(CMAKE) --build $(BENCH_BUILD) -j $(JOBS)
	$(BENCH_BUILD)/bench/bench_number_format
	$(BENCH_BUILD)/bench/bench_point_rows
	$(BENCH_BUILD)/bench/bench_sorts
	PTXPORT_LONG_TESTS=1 $(BENCH_BUILD)/tests/test_number_format
	python3 bench/end_to_end.py --build $(BENCH_BUILD) --points $(BENCH_POINTS)

# The formatter's tests in a build that uses 64-bit halves instead of the
# compiler's 128-bit integers, as a compiler without them (MSVC) would.
.PHONY: test-int128-fallback
test-int128-fallback:
	@$(ENSURE) "make test-int128-fallback" $(TEST_NEEDS)
	$(call configure_with,$(INT128_BUILD),-DPTXPORT_NO_INT128=ON)
	$(CMAKE) --build $(INT128_BUILD) -j $(JOBS) --target test_number_format
	$(INT128_BUILD)/tests/test_number_format

# Windows: ptxport.exe, tamarak_lidar.dll with its import library, the
# static library and the header, cross-built with MinGW-w64 and installed
# into $(WINDOWS_BUILD)/dist.
.PHONY: windows test-windows package-windows
windows:
	@$(ENSURE) "make windows" $(WINDOWS_NEEDS)
	$(CMAKE) -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  $(if $(wildcard $(WINDOWS_BUILD)/CMakeCache.txt),,--toolchain cmake/mingw-w64-x86_64.cmake)
	$(CMAKE) --build $(WINDOWS_BUILD) -j $(JOBS)
	rm -rf $(WINDOWS_BUILD)/dist
	$(CMAKE) --install $(WINDOWS_BUILD) --prefix $(WINDOWS_BUILD)/dist --strip
	@ls -1 $(WINDOWS_BUILD)/dist/bin $(WINDOWS_BUILD)/dist/lib/*.a

$(WINDOWS_BUILD)/wineprefix/system.reg:
	@$(ENSURE) "make $(or $(MAKECMDGOALS),all)" $(WINE_NEEDS)
	$(WINE_ENV) wineboot -i

# Under Wine: the portable test suites, then ptxport.exe against the Linux
# build on the same files and arguments.
test-windows: windows $(WINDOWS_BUILD)/wineprefix/system.reg
	@$(ENSURE) "make test-windows" $(WINE_NEEDS)
	$(call configure_with,$(BUILD),-DPTXPORT_BUILD_TESTS=ON)
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target ptxport lasgen make_fixtures
	$(WINE_ENV) ctest --test-dir $(WINDOWS_BUILD) --output-on-failure
	$(WINE_ENV) python3 tests/windows/compare.py --linux $(BUILD)/converter/ptxport \
	  --windows $(WINDOWS_BUILD)/converter/ptxport.exe \
	  --lasgen $(BUILD)/tools/lasgen --fixtures $(BUILD)/tests/make_fixtures \
	  --work $(WINDOWS_BUILD)/compare --lasdata $(LASDATA)

# ptxport.exe under Wine against the Linux build on BENCH_POINTS points.
.PHONY: bench-windows
bench-windows: windows $(WINDOWS_BUILD)/wineprefix/system.reg
	@$(ENSURE) "make bench-windows" $(WINE_NEEDS)
	$(call configure_with,$(BUILD),-DPTXPORT_BUILD_TESTS=ON)
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target ptxport lasgen
	$(WINE_ENV) python3 bench/windows_vs_linux.py --linux $(BUILD)/converter/ptxport \
	  --windows $(WINDOWS_BUILD)/converter/ptxport.exe --lasgen $(BUILD)/tools/lasgen \
	  --work $(WINDOWS_BUILD)/bench --points $(BENCH_POINTS)

# A zip of the Windows build for users: command, DLL, libraries, header,
# README, licence and the manual as HTML.
package-windows: windows
	tools/package_windows.sh $(WINDOWS_BUILD)

# ---- Other Debian architectures ------------------------------------------
# make test-arch ARCH=arm64|armhf|i386|s390x: everything, tests included,
# cross-built in build-ARCH with Debian's cross compiler
# (cmake/toolchains/ARCH.cmake) and GoogleTest built from Debian's sources
# with it, then the suite run by ctest: under qemu-user for arm64, armhf and
# s390x; natively for i386, which the x86-64 kernel runs with Debian's
# 32-bit libraries (qemu-i386 hangs in the worker threads' waits).
ARCH ?= arm64
ARCH_BUILD ?= build-$(ARCH)
ARCH_TRIPLET_arm64 = aarch64-linux-gnu
ARCH_TRIPLET_armhf = arm-linux-gnueabihf
ARCH_TRIPLET_i386 = i686-linux-gnu
ARCH_TRIPLET_s390x = s390x-linux-gnu
ARCH_QEMU_arm64 = aarch64
ARCH_QEMU_armhf = arm
ARCH_QEMU_s390x = s390x
ARCH_TRIPLET = $(or $(ARCH_TRIPLET_$(ARCH)),$(error ARCH must be one of arm64 armhf i386 s390x))
ARCH_RUN_NEEDS_i386 = libc6-i386:/lib/ld-linux.so.2 \
  lib32stdc++6:/usr/lib32/libstdc++.so.6 lib32gcc-s1:/usr/lib32/libgcc_s.so.1 \
  qemu-user-static:/usr/bin/qemu-i386-static
ARCH_RUN_NEEDS = $(or $(ARCH_RUN_NEEDS_$(ARCH)), \
  qemu-user-static:/usr/bin/qemu-$(ARCH_QEMU_$(ARCH))-static)
ARCH_NEEDS = $(DEMO_NEEDS) gcc-$(ARCH_TRIPLET):$(ARCH_TRIPLET)-gcc \
  g++-$(ARCH_TRIPLET):$(ARCH_TRIPLET)-g++ \
  googletest:/usr/src/googletest/CMakeLists.txt $(ARCH_RUN_NEEDS)
# Not run on another architecture: the installed-package consumers, which
# build and run programs of the target outside ctest's emulator.
ARCH_SKIP = ^install_consumers_
# Under emulation, which is 10 to 30 times slower, the slowest cases are
# left to make compare-arch (every real file, lists, many-block files through
# the workers, the sorts on random arrays) or run for two of the four
# precisions, whose code differs only in a template constant; and the sort
# case that must overflow a small stack is skipped, since qemu-user gives
# threads no guard page to hit.
ARCH_SKIP_EMULATED = $(ARCH_SKIP) \
  ^RealFiles\.EveryFormatMatchesTheReference$$ \
  ^ListStress\.TwoHundredFilesMatchSingleFileRuns$$ \
  ^SortTest\.EveryRoutineFollowsThePartitionSteps \
  ^Workers\.RowsLongerThanABlockBufferHolds$$ \
  ^Workers\.SameBytesAsOneThreadForEveryFormatAndLayout$$ \
  ^WorkerRuns\.SamePointFilesForEveryWorkerCount$$ \
  ^WorkerRuns\.RealFilesWhereTheyAre$$ \
  ^Precisions/FixedFormat\.[A-Za-z]+/Decimals[36] \
  ^SortTest\.ArrangementDrivesTheLiteralStepsDeep
arch_space := $(subst ,, )
ARCH_CTEST_EXCLUDE = -E '$(subst $(arch_space),|,$(strip \
  $(if $(ARCH_QEMU_$(ARCH)),$(ARCH_SKIP_EMULATED),$(ARCH_SKIP))))'

.PHONY: arch test-arch
arch:
	@$(ENSURE) "make $(or $(MAKECMDGOALS),arch) ARCH=$(ARCH)" $(ARCH_NEEDS)
	$(CMAKE) -S . -B $(ARCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	  -DPTXPORT_BUILD_TESTS=ON $(CMAKE_FLAGS) \
	  $(if $(wildcard $(ARCH_BUILD)/CMakeCache.txt),,--toolchain cmake/toolchains/$(ARCH).cmake)
	$(CMAKE) --build $(ARCH_BUILD) -j $(JOBS)

test-arch: arch
	ctest --test-dir $(ARCH_BUILD) --output-on-failure -j $(JOBS) \
	  $(ARCH_CTEST_EXCLUDE)
# ---- end of other Debian architectures -----------------------------------

clean:
	rm -rf --one-file-system $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) \
	  $(BENCH_BUILD) $(TSAN_BUILD) $(BARE_BUILD) $(WINDOWS_BUILD) $(INT128_BUILD)
