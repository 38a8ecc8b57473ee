# SPDX-License-Identifier: MIT
# Entry points: `make demo` builds and runs ptxport on the bundled example,
# `make test` builds and runs every test, `make package` makes the Debian packages.
# Each target first installs the Debian packages it needs that are missing
# (tools/ensure_packages.sh).
# The configurations themselves are CMake presets (CMakePresets.json); the
# folders below are where the targets put them, and may be changed, as may
# CMAKE_FLAGS (more -D settings) and BUILD_TYPE (the release builds' type).
BUILD ?= build
BUILD_TYPE ?=
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
# LAS files written by other software, outside the repository; the tests
# that read them skip, saying so, where the folder is absent.
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
PACKAGE_NEEDS = $(DEMO_NEEDS) dpkg-dev:dpkg-buildpackage debhelper:dh
BENCH_NEEDS = $(TEST_NEEDS) libbenchmark-dev:/usr/include/benchmark/benchmark.h \
  python3:python3
CLANG_NEEDS = clang:clang clang:clang++
BARE_NEEDS = debootstrap:debootstrap git:git
WINDOWS_NEEDS = $(DEMO_NEEDS) \
  g++-mingw-w64-x86-64-posix:x86_64-w64-mingw32-g++-posix \
  gcc-mingw-w64-x86-64-posix:x86_64-w64-mingw32-gcc-posix \
  googletest:/usr/src/googletest/CMakeLists.txt zip:zip \
  groff:/usr/share/groff/current/font/devhtml
WINE_NEEDS = $(TEST_NEEDS) wine:wine wine64:/usr/lib/wine/wine64 python3:python3

# $(call configure,PRESET,FOLDER,SETTINGS): configures FOLDER from PRESET.
configure = $(CMAKE) --preset $(1) -B $(2) $(3) \
  $(if $(BUILD_TYPE),-DCMAKE_BUILD_TYPE=$(BUILD_TYPE)) $(CMAKE_FLAGS)

.PHONY: all configure build demo test test-sanitize test-clang fuzz bench \
  clean test-scale-out test-tsan

all: build

configure:
	@$(ENSURE) "make $(or $(MAKECMDGOALS),all)" $(TEST_NEEDS)
	$(call configure,release,$(BUILD),-DPTXPORT_LASDATA_DIR=$(abspath $(LASDATA)))

build: configure
	$(CMAKE) --build $(BUILD) -j $(JOBS)

# The demo builds the command alone, without the test suite and what it
# needs, and works on a copy in the build folder: the repository is never
# written.
demo:
	@$(ENSURE) "make demo" $(DEMO_NEEDS)
	$(call configure,release,$(BUILD),-DPTXPORT_BUILD_TESTS=OFF)
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
	@tests/skip_reasons.sh $(BUILD)

# The recipes of examples/scale-out run for real: a Slurm job array on a
# private one-node cluster and GNU parallel over an sshd on loopback
# addresses (Slurm, munge, parallel and openssh-server come from apt if
# missing).
test-scale-out: build
	tests/scale_out/run.sh $(BUILD)

# ---- Debian packages of another architecture --------------------------------
# make package ARCH=arm64|armhf|i386|s390x cross-builds them with
# dpkg-buildpackage -a and Debian's cross compiler; dpkg-shlibdeps takes
# the packages' dependencies from the C and C++ runtimes of ARCH, installed
# as Debian's multiarch packages (the C library headers come with the
# cross compiler).
# Those multiarch runtimes break make test-arch on the same machine (the
# emulated loader then reads the host's library cache): see README.md.
# make test-package-arch ARCH=...: those packages in a Debian 12 root of
# ARCH (debootstrapped once into $(ARCH_BUILD)/package-root) where the
# installed ptxport, run by qemu, converts the example in every output format
# exactly as the amd64 build does (tests/debian/run_arch.sh).  Needs root.
PACKAGE_CROSS = $(filter-out amd64,$(ARCH))
PACKAGE_CROSS_NEEDS = gcc-$(ARCH_TRIPLET):$(ARCH_TRIPLET)-gcc \
  g++-$(ARCH_TRIPLET):$(ARCH_TRIPLET)-g++ \
  libc6:$(ARCH):/var/lib/dpkg/info/libc6:$(ARCH).list \
  libstdc++6:$(ARCH):/var/lib/dpkg/info/libstdc++6:$(ARCH).list
PACKAGE_QEMU = qemu-$(or $(ARCH_QEMU_$(ARCH)),$(ARCH))-static
.PHONY: test-package-arch
test-package-arch: package build
	@test -n "$(PACKAGE_CROSS)" || { \
	  echo "make test-package-arch: ARCH is one of arm64 armhf i386 s390x" >&2; exit 2; }
	@$(ENSURE) "make test-package-arch ARCH=$(ARCH)" debootstrap:debootstrap \
	  util-linux:unshare qemu-user-static:/usr/bin/$(PACKAGE_QEMU)
	tests/debian/run_arch.sh $(ARCH) $(ARCH_BUILD)/packages \
	  $(ARCH_BUILD)/package-root $(BUILD)/converter/ptxport /usr/bin/$(PACKAGE_QEMU)
# ---- end of the Debian packages of another architecture ---------------------

# The Debian source package and its three binary packages (ptxport,
# libtamarak-lidar1 and libtamarak-lidar-dev), made by dpkg-buildpackage
# from debian/ in $(BUILD)/packages; install them with
# apt-get install ./FILE.deb or dpkg -i.
# With ARCH=arm64, armhf, i386 or s390x, the three binary packages of that
# architecture instead, in $(ARCH_BUILD)/packages (see above).
.PHONY: package test-package test-setup test-bare-machine
package:
ifeq ($(PACKAGE_CROSS),)
	@$(ENSURE) "make package" $(PACKAGE_NEEDS)
	tools/build_debian.sh $(BUILD)/packages -J$(JOBS)
else
	@$(ENSURE) "make package ARCH=$(ARCH)" $(PACKAGE_NEEDS) $(PACKAGE_CROSS_NEEDS)
	DEB_BUILD_OPTIONS="nocheck $$DEB_BUILD_OPTIONS" \
	  tools/build_debian.sh $(ARCH_BUILD)/packages -a$(ARCH) -b -J$(JOBS)
endif

# lintian finds no error or warning in the packages, hardening-check every
# protection in the binaries, each package carries its licence and
# change log, and the development package needs the library of its version.
test-package: package
	@$(ENSURE) "make test-package" lintian:lintian devscripts:hardening-check
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
	$(CMAKE) --preset sanitize -B $(SANITIZE_BUILD) $(CMAKE_FLAGS)
	$(CMAKE) --build $(SANITIZE_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

# The tests that run threads, in a ThreadSanitizer build: the worker
# pipeline, whole runs with workers, the fault runs and the end-to-end runs.
TSAN_TESTS = test_point_pipeline test_worker_runs test_progress test_faults \
  test_run_end_to_end test_run_driver test_list_stress
test-tsan:
	@$(ENSURE) "make test-tsan" $(TEST_NEEDS)
	$(CMAKE) --preset tsan -B $(TSAN_BUILD) $(CMAKE_FLAGS)
	$(CMAKE) --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TESTS)
	TSAN_OPTIONS=halt_on_error=1:exitcode=66 ctest --test-dir $(TSAN_BUILD) \
	  --output-on-failure -j $(JOBS) -E '_NOT_BUILT|^Exports|^install_'

# Every test again, in a build made with clang.
test-clang:
	@$(ENSURE) "make test-clang" $(TEST_NEEDS) $(CLANG_NEEDS)
	$(call configure,clang,$(CLANG_BUILD))
	$(CMAKE) --build $(CLANG_BUILD) -j $(JOBS)
	ctest --test-dir $(CLANG_BUILD) --output-on-failure -j $(JOBS)

# The libFuzzer targets (clang), each run for FUZZ_SECONDS.
fuzz:
	@$(ENSURE) "make fuzz" $(DEMO_NEEDS)
	@tools/install_fuzz_toolchain.sh
	$(CMAKE) --preset fuzz -B $(FUZZ_BUILD)
	$(CMAKE) --build $(FUZZ_BUILD) -j $(JOBS)
	tools/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Micro-benchmarks, the formatter's long comparison with snprintf, and the
# end-to-end run against the printf baseline and the I/O floor.
bench:
	@$(ENSURE) "make bench" $(BENCH_NEEDS)
	$(CMAKE) --preset bench -B $(BENCH_BUILD)
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
	$(call configure,int128-fallback,$(INT128_BUILD))
	$(CMAKE) --build $(INT128_BUILD) -j $(JOBS) --target test_number_format
	$(INT128_BUILD)/tests/test_number_format

# Windows: ptxport.exe, tamarak_lidar.dll with its import library, the
# static library and the header, cross-built with MinGW-w64 and installed
# into $(WINDOWS_BUILD)/dist.
.PHONY: windows test-windows package-windows
windows:
	@$(ENSURE) "make windows" $(WINDOWS_NEEDS)
	$(CMAKE) --preset windows -B $(WINDOWS_BUILD)
	$(CMAKE) --build $(WINDOWS_BUILD) -j $(JOBS)
	rm -rf $(WINDOWS_BUILD)/dist
	$(CMAKE) --install $(WINDOWS_BUILD) --prefix $(WINDOWS_BUILD)/dist --strip
	@ls -1 $(WINDOWS_BUILD)/dist/bin $(WINDOWS_BUILD)/dist/lib/*.a

$(WINDOWS_BUILD)/wineprefix/system.reg:
	@$(ENSURE) "make $(or $(MAKECMDGOALS),all)" $(WINE_NEEDS)
	$(WINE_ENV) wineboot -i

# Under Wine: the portable test suites, then ptxport.exe against the Linux
# build on the same files and arguments (tests/compare/compare_builds.py).
test-windows: windows $(WINDOWS_BUILD)/wineprefix/system.reg compare-tools
	@$(ENSURE) "make test-windows" $(WINE_NEEDS)
	$(WINE_ENV) tools/with_wineserver.sh \
	  ctest --test-dir $(WINDOWS_BUILD) --output-on-failure
	$(WINE_ENV) tools/with_wineserver.sh \
	  python3 tests/compare/compare_builds.py --windows --stderr \
	  --reference $(BUILD)/converter/ptxport \
	  --candidate $(WINDOWS_BUILD)/converter/ptxport.exe --candidate-runner wine \
	  --reference-probe $(BUILD)/tests/library_probe \
	  --candidate-probe $(WINDOWS_BUILD)/tests/windows/library_probe.exe \
	  $(COMPARE_INPUTS) --work $(WINDOWS_BUILD)/compare $(COMPARE_FLAGS)

# ptxport.exe under Wine against the Linux build on BENCH_POINTS points.
.PHONY: bench-windows
bench-windows: windows $(WINDOWS_BUILD)/wineprefix/system.reg
	@$(ENSURE) "make bench-windows" $(WINE_NEEDS)
	$(call configure,release,$(BUILD))
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
# 32-bit libraries (qemu-i386 hangs in thread waits and forked children).
ARCH ?=
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
	$(call configure,$(ARCH),$(ARCH_BUILD),-DPTXPORT_BUILD_TESTS=ON)
	$(CMAKE) --build $(ARCH_BUILD) -j $(JOBS)

# i386 under qemu-i386 (a kernel without 32-bit support) runs only the
# suites that start neither threads nor processes, whose waits hang there;
# compare-arch then checks the command's bytes on one CPU.
ARCH_CTEST_LABEL = $(if $(filter i386,$(ARCH)),$(if $(ARCH_QEMU_i386),-L in_process))

test-arch: arch
	ctest --test-dir $(ARCH_BUILD) --output-on-failure -j $(JOBS) \
	  $(ARCH_CTEST_EXCLUDE) $(ARCH_CTEST_LABEL)
# ---- end of other Debian architectures -----------------------------------

clean:
	rm -rf --one-file-system $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) \
	  $(BENCH_BUILD) $(TSAN_BUILD) $(BARE_BUILD) $(WINDOWS_BUILD) $(INT128_BUILD) \
	  $(REFERENCE_BUILD) build-portable-* build-abi build-debian build-repro

# ==== Two builds compared ==============================================
# inputs and arguments, and requires the same exit status, standard output,
# files and bytes.  The inputs are made by the lasgen and make_fixtures of
# BUILD.  COMPARE_FLAGS adds options (--skip-large, --cpus 0 0-1, ...).
COMPARE_FLAGS ?=
COMPARE_NEEDS = $(TEST_NEEDS) python3:python3 util-linux:taskset
COMPARE_INPUTS = --lasgen $(BUILD)/tools/lasgen \
  --fixtures $(BUILD)/tests/make_fixtures --lasdata $(LASDATA)

# The command of BUILD (or CANDIDATE) against an earlier one:
#   make compare-builds REFERENCE=/path/to/old/ptxport [REFERENCE_PROBE=...]
#   make compare-builds REFERENCE_COMMIT=COMMIT   (built in REFERENCE_BUILD)
# With REFERENCE_COMMIT the library routines are compared too.
REFERENCE_COMMIT ?=
REFERENCE_BUILD ?= build-reference
REFERENCE ?= $(if $(REFERENCE_COMMIT),$(REFERENCE_BUILD)/build/converter/ptxport)
REFERENCE_PROBE ?= $(if $(REFERENCE_COMMIT),$(REFERENCE_BUILD)/library_probe)
CANDIDATE ?= $(BUILD)/converter/ptxport
CANDIDATE_PROBE ?= $(BUILD)/tests/library_probe

.PHONY: compare-tools compare-builds compare-arch
compare-tools:
	@$(ENSURE) "make $(or $(MAKECMDGOALS),all)" $(COMPARE_NEEDS)
	$(call configure,release,$(BUILD),-DPTXPORT_LASDATA_DIR=$(abspath $(LASDATA)))
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target ptxport lasgen make_fixtures \
	  library_probe

compare-builds: compare-tools
	@test -n "$(REFERENCE)" || { echo "make compare-builds: give" \
	  "REFERENCE=PTXPORT or REFERENCE_COMMIT=COMMIT" >&2; exit 2; }
	$(if $(REFERENCE_COMMIT),JOBS=$(JOBS) tests/compare/build_reference.sh \
	  $(REFERENCE_COMMIT) $(REFERENCE_BUILD))
	python3 tests/compare/compare_builds.py --reference $(REFERENCE) \
	  --candidate $(CANDIDATE) $(if $(REFERENCE_PROBE),--reference-probe \
	  $(REFERENCE_PROBE) --candidate-probe $(CANDIDATE_PROBE)) \
	  $(COMPARE_INPUTS) --work $(BUILD)/compare-builds $(COMPARE_FLAGS)

# The cross-built command of build-ARCH against BUILD (amd64):
#   make compare-arch ARCH=arm64|armhf|i386|s390x [COMPARE_FLAGS=--quick]
# under qemu-user, or natively for i386, whose programs the x86-64 kernel
# runs.  The build is configured with cmake/toolchains/ARCH.cmake if it does
# not exist yet; the library probe is cross-compiled against its library and
# linked statically.
ARCH_TRIPLE_arm64 = aarch64-linux-gnu
ARCH_TRIPLE_armhf = arm-linux-gnueabihf
ARCH_TRIPLE_i386 = i686-linux-gnu
ARCH_TRIPLE_s390x = s390x-linux-gnu
ARCH_TRIPLE_amd64 = x86_64-linux-gnu
# A kernel built without 32-bit x86 support cannot run i386 programs: they
# then go under qemu-i386 too, on one CPU, since its threads hang there.
ARCH_QEMU_i386 = $(if $(shell /lib/ld-linux.so.2 --version 2>/dev/null),,i386)
ARCH_CPUS_i386 = $(if $(ARCH_QEMU_i386),--pin 0 --cpus 0)
ARCH_TRIPLE = $(ARCH_TRIPLE_$(or $(ARCH),amd64))
ARCH_RUNNER = $(if $(ARCH_QEMU_$(ARCH)),qemu-$(ARCH_QEMU_$(ARCH))-static -L /usr/$(ARCH_TRIPLE))
CROSS_RUN_NEEDS = $(if $(filter-out amd64,$(or $(ARCH),amd64)),g++-$(subst _,-,$(ARCH_TRIPLE)):$(ARCH_TRIPLE)-g++) \
  $(if $(ARCH_QEMU_$(ARCH)),qemu-user-static:qemu-$(ARCH_QEMU_$(ARCH))-static) \
  $(if $(filter i386,$(ARCH)),libc6-i386:/lib/ld-linux.so.2 \
    lib32stdc++6:/usr/lib32/libstdc++.so.6)

compare-arch: compare-tools
	@test -n "$(ARCH_TRIPLE_$(ARCH))" -a "$(ARCH)" != amd64 || { \
	  echo "make compare-arch: ARCH is one of arm64 armhf i386 s390x" >&2; exit 2; }
	@$(ENSURE) "make compare-arch" $(CROSS_RUN_NEEDS)
	test -f $(ARCH_BUILD)/build.ninja || \
	  $(call configure,$(ARCH),$(ARCH_BUILD),-DPTXPORT_BUILD_TESTS=OFF)
	$(CMAKE) --build $(ARCH_BUILD) -j $(JOBS) --target ptxport tamarak_lidar_static
	$(ARCH_TRIPLE)-g++ -std=c++20 -O2 -static -DTAMARAK_LIDAR_STATIC \
	  -I library/include tests/compare/library_probe.cpp \
	  $(ARCH_BUILD)/library/libtamarak_lidar.a -pthread \
	  -o $(ARCH_BUILD)/library_probe
	python3 tests/compare/compare_builds.py --stderr \
	  --reference $(BUILD)/converter/ptxport \
	  --reference-probe $(BUILD)/tests/library_probe \
	  --candidate $(ARCH_BUILD)/converter/ptxport \
	  --candidate-probe $(ARCH_BUILD)/library_probe \
	  --candidate-runner "$(ARCH_RUNNER)" $(ARCH_CPUS_$(ARCH)) \
	  $(COMPARE_INPUTS) --work $(ARCH_BUILD)/compare $(COMPARE_FLAGS)

# A tarball for Linux systems without the Debian packages, one per
# architecture (ARCH=amd64, the default, or arm64, armhf, i386, s390x):
# ptxport linked statically, the static library, the header, the man page
# and the licence, in build-portable-ARCH.  The static ptxport then runs in
# an empty root (chroot; the static emulator copied in for another
# architecture) and must write what the dynamic build of BUILD writes.
PORTABLE_ARCH = $(or $(ARCH),amd64)
PORTABLE_BUILD = build-portable-$(PORTABLE_ARCH)
.PHONY: portable
portable:
	@$(ENSURE) "make portable" $(DEMO_NEEDS) binutils:readelf $(CROSS_RUN_NEEDS)
	$(call configure,release,$(BUILD),-DPTXPORT_BUILD_TESTS=OFF)
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target ptxport lasgen
	JOBS=$(JOBS) tools/make_portable.sh $(PORTABLE_ARCH) $(PORTABLE_BUILD)
	tests/portable/check_portable.sh \
	  $(PORTABLE_BUILD)/ptxport-*-linux-$(PORTABLE_ARCH).tar.gz $(PORTABLE_ARCH) \
	  $(abspath $(BUILD)/converter/ptxport) $(abspath $(BUILD)/tools/lasgen) \
	  $(PORTABLE_BUILD)/check
# ==== end of the comparison and portable block ================================

# ---- Debian packaging, ABI and reproducibility -----------------------------
# (make package and make test-package above build and check the packages.)
ABI_BUILD ?= build-abi
DEBIAN_BUILD ?= build-debian
REPRO_BUILD ?= build-repro
ABI_NEEDS = $(DEMO_NEEDS) abigail-tools:abidw binutils:nm
DEBIAN_NEEDS = $(PACKAGE_NEEDS) debootstrap:debootstrap lintian:lintian \
  devscripts:hardening-check util-linux:unshare
REPRO_NEEDS = $(PACKAGE_NEEDS) diffoscope-minimal:diffoscope faketime:faketime \
  locales-all:/usr/share/doc/locales-all/copyright

.PHONY: abi-configure test-abi abi-baseline test-debian test-reproducible \
  test-reproducible-windows

# The shared library with debug information, for abidw.
abi-configure:
	@$(ENSURE) "make $(or $(MAKECMDGOALS),abi-configure)" $(ABI_NEEDS)
	$(call configure,debug,$(ABI_BUILD),-DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPTXPORT_BUILD_TESTS=OFF)
	$(CMAKE) --build $(ABI_BUILD) -j $(JOBS) --target tamarak_lidar_shared

# Fails when abidiff finds an incompatible change against abi/, or when the
# exported routines differ from debian/libtamarak-lidar1.symbols.
test-abi: abi-configure
	tools/abi.sh check $(ABI_BUILD)

# After a deliberate, compatible change (a routine added, with the minor
# version raised): writes abi/ and the symbols file anew.  Review the diff.
abi-baseline: abi-configure
	tools/abi.sh baseline $(ABI_BUILD)

# The source package built in a fresh Debian 12 root without network, the
# packages installed there and their autopkgtests run, lintian (pedantic)
# and hardening-check clean.  Needs root; the root is kept in DEBIAN_BUILD.
test-debian:
	@$(ENSURE) "make test-debian" $(DEBIAN_NEEDS)
	tests/debian/run.sh $(DEBIAN_BUILD)

# The packages built twice, with another path, time, time zone, umask and
# locale, must be the same bytes.
test-reproducible:
	@$(ENSURE) "make test-reproducible" $(REPRO_NEEDS)
	tools/reproducible.sh deb $(REPRO_BUILD)

# The same for the Windows zip.
test-reproducible-windows: windows
	@$(ENSURE) "make test-reproducible-windows" $(REPRO_NEEDS)
	tools/reproducible.sh windows $(REPRO_BUILD)
