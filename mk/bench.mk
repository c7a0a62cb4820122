# SPDX-License-Identifier: GPL-3.0-or-later
# `make bench`: the performance figures, in a Release build of their own, as one table.
BENCH_BUILD ?= build-bench

.PHONY: bench
bench: deps
	bash scripts/install-deps libxcb-damage0-dev pulseaudio pulseaudio-utils python3
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DSORTEGGINA_BENCH=ON -DSORTEGGINA_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	python3 bench/run_bench.py $(BENCH_BUILD)
