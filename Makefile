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
	@$(RELEASE_DIR)/bench/vtm_bench_ondemand
	@$(RELEASE_DIR)/bench/vtm_bench_jobs
	@QT_QPA_PLATFORM=offscreen $(RELEASE_DIR)/bench/vtm_bench_gui
	@QT_QPA_PLATFORM=offscreen $(RELEASE_DIR)/bench/vtm_bench_print
	@QT_QPA_PLATFORM=offscreen $(RELEASE_DIR)/bench/vtm_bench_jobs_gui

# A longer fuzz of the settings reader and the marks-file codec: libFuzzer when clang is
# there, otherwise the random drivers of the core tests with many more inputs.
# FUZZ_SECONDS=n sets the length of each.
.PHONY: fuzz
FUZZ_DIR := build/fuzz
FUZZ_SECONDS ?= 120
fuzz:
	@bash scripts/install-deps.sh fuzz || bash scripts/install-deps.sh
	@if command -v clang++ >/dev/null 2>&1; then \
	  cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	        -DVTM_FUZZ=ON >/dev/null && \
	  cmake --build $(FUZZ_DIR) --target vtm_settings_fuzz vtm_marks_fuzz -j $(JOBS) && \
	  mkdir -p $(FUZZ_DIR)/corpus $(FUZZ_DIR)/marks-corpus && \
	  $(FUZZ_DIR)/fuzz/vtm_settings_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	    -dict=fuzz/settings.dict -print_final_stats=1 $(FUZZ_DIR)/corpus fuzz/corpus && \
	  $(FUZZ_DIR)/fuzz/vtm_marks_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=8192 \
	    -dict=fuzz/marks.dict -print_final_stats=1 $(FUZZ_DIR)/marks-corpus fuzz/marks-corpus; \
	else \
	  $(MAKE) --no-print-directory build-test && \
	  VTM_FUZZ_INPUTS=$$(( $(FUZZ_SECONDS) * 2000 )) VTM_FUZZ_SEED=$$(date +%s) \
	    $(TEST_DIR)/tests/vtm_core_tests --gtest_filter='SettingsFuzz.*' && \
	  VTM_FUZZ_SECONDS=$(FUZZ_SECONDS) VTM_FUZZ_SEED=$$(date +%s) \
	    $(TEST_DIR)/tests/vtm_core_tests --gtest_filter='MarksFuzz.*'; \
	fi

# The program, its help, the .desktop file and the icon, under PREFIX (DESTDIR is honoured too).
PREFIX ?= /usr/local
install: build-release
	@cmake --install $(RELEASE_DIR) --prefix $(PREFIX)

clean:
	rm -rf build
