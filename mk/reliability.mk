# SPDX-License-Identifier: GPL-3.0-or-later
# Reliability checks, each in a build of its own.
# `make sanitize`: every test but the whole-program ones under AddressSanitizer and
#   UndefinedBehaviorSanitizer; the first error fails the run.
# `make fuzz-smoke`: replays the committed corpus of each libFuzzer target, then fuzzes
#   each for FUZZ_SECONDS; a crash fails the run and leaves its input in build-fuzz/artifacts.
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := fuzz_saved_game fuzz_phone_message fuzz_evening_import

# Leaks are checked too; the suppressions name third-party libraries only.
SANITIZER_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1 \
  LSAN_OPTIONS=suppressions=$(abspath mk/lsan.supp):print_suppressions=0 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

.PHONY: sanitize fuzz-smoke
sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSORTEGGINA_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir $(ASAN_BUILD) -LE e2e --output-on-failure -j $(JOBS)

fuzz-smoke: deps
	bash scripts/install-deps clang libclang-rt-14-dev
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DSORTEGGINA_FUZZ=ON -DSORTEGGINA_SANITIZE=ON -DSORTEGGINA_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	mkdir -p $(FUZZ_BUILD)/artifacts
	set -e; for target in $(FUZZ_TARGETS); do \
	  log=$(FUZZ_BUILD)/$$target.log; \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$target; \
	  if ! { $(SANITIZER_ENV) $(FUZZ_BUILD)/fuzz/$$target -runs=0 fuzz/corpus/$$target && \
	         $(SANITIZER_ENV) $(FUZZ_BUILD)/fuzz/$$target -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	           -artifact_prefix=$(abspath $(FUZZ_BUILD))/artifacts/$$target- \
	           $(FUZZ_BUILD)/corpus/$$target fuzz/corpus/$$target; } >$$log 2>&1; then \
	    grep -v '^"' $$log | tail -40; echo "$$target: crashed (input in $(FUZZ_BUILD)/artifacts)"; exit 1; \
	  fi; \
	  echo "$$target: $$(grep -o 'number_of_executed_units: *[0-9]*' $$log | grep -o '[0-9]*$$') executions, no crash"; \
	done
