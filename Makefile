# Entry points: `make demo` builds and runs ptxport on the bundled example,
# `make test` builds and runs every test.
BUILD ?= build
BUILD_TYPE ?= Release
CMAKE ?= cmake
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all configure build demo test clean

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

clean:
	rm -rf $(BUILD)
