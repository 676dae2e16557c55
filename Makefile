# Two commands get a fresh Debian machine to a running editor and to passing tests:
#   make run [FILE=path]     make test
JOBS ?= $(shell nproc)
RELEASE_DIR := build/release
TEST_DIR := build/test

.PHONY: all deps run test bench build-release build-test install clean

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
	@$(RELEASE_DIR)/bench/vtm_bench_save
	@$(RELEASE_DIR)/bench/vtm_bench_edit
	@$(RELEASE_DIR)/bench/vtm_bench_marks
	@$(RELEASE_DIR)/bench/vtm_bench_dense_marks
	@$(RELEASE_DIR)/bench/vtm_bench_search
	@$(RELEASE_DIR)/bench/vtm_bench_replace
	@$(RELEASE_DIR)/bench/vtm_bench_analysis
	@$(RELEASE_DIR)/bench/vtm_bench_checksums
	@$(RELEASE_DIR)/bench/vtm_bench_transfer
	@$(RELEASE_DIR)/bench/vtm_bench_inspector
	@$(RELEASE_DIR)/bench/vtm_bench_ondemand
	@$(RELEASE_DIR)/bench/vtm_bench_device
	@$(RELEASE_DIR)/bench/vtm_bench_jobs
	@QT_QPA_PLATFORM=offscreen $(RELEASE_DIR)/bench/vtm_bench_gui
	@QT_QPA_PLATFORM=offscreen $(RELEASE_DIR)/bench/vtm_bench_print
	@QT_QPA_PLATFORM=offscreen $(RELEASE_DIR)/bench/vtm_bench_jobs_gui

# A longer fuzz of the readers (settings file, marks file, marks file onto a document read
# on demand): libFuzzer when clang is there, otherwise the test build's own driver of the same
# targets. FUZZ_SECONDS=n sets the length of each; the corpora grow under build/fuzz. A small
# quarantine and no fill of new memory keep AddressSanitizer from costing most of the time.
.PHONY: fuzz
FUZZ_DIR := build/fuzz
FUZZ_SECONDS ?= 120
FUZZ_TARGETS := settings:corpus:settings.dict:4096 marks:marks-corpus:marks.dict:8192 \
                ondemand_marks:ondemand-marks-corpus:marks.dict:8192 hex_text:hex-corpus:hex.dict:4096
fuzz:
	@bash scripts/install-deps.sh fuzz || bash scripts/install-deps.sh
	@if command -v clang++ >/dev/null 2>&1; then \
	  cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	        -DVTM_FUZZ=ON >/dev/null && \
	  cmake --build $(FUZZ_DIR) --target $(foreach t,$(FUZZ_TARGETS),vtm_$(word 1,$(subst :, ,$(t)))_fuzz) \
	        -j $(JOBS) && \
	  for t in $(FUZZ_TARGETS); do \
	    set -- $$(echo $$t | tr : ' '); \
	    mkdir -p $(FUZZ_DIR)/$$2 && \
	    ASAN_OPTIONS=$${ASAN_OPTIONS:-quarantine_size_mb=8:max_malloc_fill_size=0} \
	    $(FUZZ_DIR)/fuzz/vtm_$$1_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=$$4 \
	      -dict=fuzz/$$3 -print_final_stats=1 $(FUZZ_DIR)/$$2 fuzz/$$2 || exit 1; \
	  done; \
	else \
	  $(MAKE) --no-print-directory build-test && \
	  for t in $(FUZZ_TARGETS); do \
	    set -- $$(echo $$t | tr : ' '); \
	    $(TEST_DIR)/fuzz/vtm_$$1_fuzz -max_total_time=$(FUZZ_SECONDS) -seed=$$(date +%s) \
	      -max_len=$$4 -dict=fuzz/$$3 fuzz/$$2 || exit 1; \
	  done; \
	fi

# The program, its help, the .desktop file and the icon, under PREFIX (DESTDIR is honoured too).
PREFIX ?= /usr/local
install: build-release
	@cmake --install $(RELEASE_DIR) --prefix $(PREFIX)

clean:
	rm -rf build
