# SPDX-License-Identifier: MIT
# `make demo` builds ptxport and converts the bundled example; `make test`
# builds and runs every test.  Each target installs the Debian packages it
# lacks (tools/packages.txt), then calls a CMake preset (`cmake --workflow
# --preset NAME` is `make test-NAME` without the installs) or a script.
CMAKE ?= cmake
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
LASDATA ?= ../shared/lasdata
FUZZ_SECONDS ?= 60
BENCH_POINTS ?= 5000000

# $(call ensure,LINE): install the packages of LINE in tools/packages.txt.
ensure = @tools/ensure_packages.sh "make $@$(if $(ARCH), ARCH=$(ARCH))" \
  $$(tools/needs.sh $(1) $(or $(ARCH),amd64))
# $(call preset,NAME[,CONFIGURE SETTINGS[,BUILD SETTINGS]])
preset = $(CMAKE) --preset $(1) $(2) $(CMAKE_FLAGS) && \
  $(CMAKE) --build --preset $(1) -j $(JOBS) $(3)
# $(call ctest,PRESET,FOLDER): the report, then why tests were skipped.
ctest = status=0; ctest --preset $(1) -j $(JOBS) || status=$$?; \
  tests/skip_reasons.sh $(2); exit $$status
lasdata = -DPTXPORT_LASDATA_DIR=$(abspath $(LASDATA))
# Every target is a command, never a file.
.PHONY: $(shell sed -n 's/^\([a-z0-9 -]*\):.*/\1/p' Makefile)

all build:
	$(call ensure,test)
	$(call preset,release,$(lasdata))

# The command alone, on a copy of the example.
demo:
	$(call ensure,demo)
	$(call preset,release,-DPTXPORT_BUILD_TESTS=OFF,--target ptxport)
	@tools/demo.sh build

test: build ; @$(call ctest,release,build)

# The suite with clang, with ASan and UBSan, the threads with TSan, and the
# number formatting without 128-bit integers (as MSVC would build it).
test-clang test-sanitize test-tsan test-int128-fallback: test-%:
	$(call ensure,$(if $(filter clang,$*),clang,test))
	$(call preset,$*)
	@$(call ctest,$*,build-$*)

fuzz:
	$(call ensure,demo)
	tools/install_fuzz_toolchain.sh
	$(call preset,fuzz)
	tools/run_fuzzers.sh build-fuzz $(FUZZ_SECONDS)

bench:
	$(call ensure,bench)
	$(call preset,bench)
	bench/run_all.sh build-bench $(BENCH_POINTS)

# Slurm and GNU parallel for real, on this machine (examples/scale-out);
# the package installer against stand-ins; no stray file in the tree; the
# documents' version and runnable examples.
test-scale-out: build ; tests/scale_out/run.sh build
test-setup: ; sh tests/bare_machine/test_ensure_packages.sh
test-tree: ; tools/check_tree.sh
test-docs: build
	$(call ensure,test-docs)
	python3 tools/check_docs.py --ptxport build/converter/ptxport

# ---- two builds compared: tests/compare/compare_builds.py ----------------
# The reference is build/'s ptxport unless REFERENCE=PTXPORT [REFERENCE_PROBE=
# PROBE] or, for compare-builds, REFERENCE_COMMIT=COMMIT says otherwise.
REFERENCE ?= $(if $(REFERENCE_COMMIT),build-reference/build/converter/ptxport)
REFERENCE_PROBE ?= $(if $(REFERENCE_COMMIT),build-reference/library_probe)
compare = python3 tests/compare/compare_builds.py --lasdata $(LASDATA) \
  $(addprefix --reference ,$(REFERENCE)) $(addprefix --reference-probe ,$(REFERENCE_PROBE))
compare-tools:
	$(call ensure,compare)
	$(call preset,release,$(lasdata),--target ptxport lasgen make_fixtures library_probe)
compare-builds: compare-tools
	$(if $(REFERENCE_COMMIT),JOBS=$(JOBS) tests/compare/build_reference.sh \
	  $(REFERENCE_COMMIT) build-reference)
	$(compare) --platform host $(COMPARE_FLAGS)

# ---- Windows: MinGW-w64, run under Wine (tools/with_wineserver.sh) -------
windows:
	$(call ensure,windows)
	$(call preset,windows)
	rm -rf build-windows/dist
	$(CMAKE) --install build-windows --prefix build-windows/dist --strip
test-windows: windows $(COMPARE_TOOLS)
	$(call ensure,test-windows)
	tools/with_wineserver.sh ctest --preset windows -j $(JOBS)
	tools/with_wineserver.sh $(compare) --platform windows --stderr $(COMPARE_FLAGS)
bench-windows: windows compare-tools
	$(call ensure,test-windows)
	tools/with_wineserver.sh python3 bench/windows_vs_linux.py --points $(BENCH_POINTS)
package-windows: windows ; tools/package_windows.sh build-windows
test-reproducible-windows: windows
	$(call ensure,test-reproducible)
	tools/reproducible.sh windows build-repro

# ---- other architectures (cmake/toolchains/architectures.txt) ------------
# make test-arch ARCH=...: the suite under the emulator (i386 natively where
# the kernel runs it), then the same bytes as the amd64 build.  Here and
# below, COMPARE_TOOLS= takes build/ as it is, for runs beside others.
COMPARE_TOOLS ?= compare-tools
test-arch: $(COMPARE_TOOLS)
	$(call ensure,test-arch)
	$(call preset,$(ARCH))
	@$(call ctest,$(ARCH)$(if $(filter i386,$(ARCH)),$(if $(shell tools/arch.sh i386 emulator),-qemu)),build-$(ARCH))
	$(compare) --arch $(ARCH) --stderr $(COMPARE_FLAGS)

# ---- WebAssembly: the command under Node, the npm package, the web page --
wasm:
	$(call ensure,wasm)
	$(call preset,wasm)
npm: wasm ; cd build-wasm && npm pack ./npm/ptxport
compare-wasm: wasm $(COMPARE_TOOLS)
	$(compare) --platform wasm --stderr $(COMPARE_FLAGS)
# The example's cases under Windows' own Node, in Wine.
compare-wasm-windows: wasm $(COMPARE_TOOLS)
	$(call ensure,wasm-windows)
	tools/windows_node.sh build-wasm/windows-node
	WINEPREFIX=$(CURDIR)/build-wasm/wineprefix tools/with_wineserver.sh \
	  $(compare) --platform wasm-windows --stderr --cases example
test-web: wasm $(COMPARE_TOOLS)
	$(call ensure,test-web)
	tests/web/run.sh build-wasm build/converter/ptxport $(LASDATA)

# A static ptxport for any Linux of ARCH (amd64 by default), unpacked and
# run in an empty root against build/.
PORTABLE = build-portable-$(or $(ARCH),amd64)
portable: compare-tools
	$(call ensure,portable$(if $(filter-out amd64,$(or $(ARCH),amd64)),-cross))
	JOBS=$(JOBS) tools/make_portable.sh $(or $(ARCH),amd64) $(PORTABLE)
	$(compare) --cases example --arch $(or $(ARCH),amd64) --work $(PORTABLE)/check/compare \
	  --candidate $(PORTABLE)/check/ptxport-*/bin/ptxport --candidate-root $(PORTABLE)/check/root

# ---- Debian packages, ABI, clean roots ------------------------------------
# The source and binary packages in build/packages; with ARCH, the binary
# packages of ARCH, cross-built, in build-ARCH/packages.
package:
	$(call ensure,$(if $(ARCH),package-arch,package))
	tools/build_debian.sh $(if $(ARCH),build-$(ARCH)/packages -a$(ARCH) -b,build/packages) -J$(JOBS)
# PACKAGES=DIR checks packages made elsewhere (CI: the reproducible build's).
test-package: $(if $(PACKAGES),,package)
	$(call ensure,test-package)
	tools/check_packages.sh $(or $(PACKAGES),build/packages)
test-reproducible:
	$(call ensure,test-reproducible)
	tools/reproducible.sh deb build-repro
test-abi abi-baseline:
	$(call ensure,test-abi)
	$(call preset,abi)
	tools/abi.sh $(if $(filter test-abi,$@),check,baseline) build-abi

# One debootstrapped Debian 12 root, made once in build-debian-root, serves
# the clean-root checks (tests/debian/root.sh).  They need root.
test-debian:
	$(call ensure,test-debian)
	tests/debian/run.sh build-debian build-debian-root
test-bare-machine:
	$(call ensure,debian-root)
	tests/bare_machine/run.sh build-bare-machine build-debian-root
test-package-arch: package compare-tools
	$(call ensure,test-package-arch)
	tests/debian/run_arch.sh $(ARCH) build-$(ARCH)/packages build-$(ARCH)/package-root \
	  build-debian-root

clean: ; rm -rf --one-file-system build build-*
