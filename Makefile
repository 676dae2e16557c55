# Two commands get a fresh Debian machine to a running editor and to passing tests:
#   make run [FILE=path]     make test
JOBS ?= $(shell nproc)
RELEASE_DIR := build/release
TEST_DIR := build/test

.PHONY: all deps run test bench build-release build-test clean

all: build-release

deps:
	@bash scripts/install-deps.sh

build-release: deps
	@cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DVTM_BENCH=ON >/dev/null
	@cmake --build $(RELEASE_DIR) -j $(JOBS)

build-test: deps
	@cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DVTM_SANITIZE=ON -DVTM_TESTS=ON >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)

run: build-release
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "make run needs a graphical display (DISPLAY or WAYLAND_DISPLAY is not set)."; \
	  echo "Without a desktop, run it under a virtual one:  xvfb-run -a make run FILE=path"; \
	  exit 1; \
	fi
	@$(RELEASE_DIR)/src/vantreelmorbisco $(if $(FILE),"$(FILE)")

test: build-test
	@cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build-release
	@$(RELEASE_DIR)/bench/vtm_bench_core
	@$(RELEASE_DIR)/bench/vtm_bench_edit
	@QT_QPA_PLATFORM=offscreen $(RELEASE_DIR)/bench/vtm_bench_gui

clean:
	rm -rf build
