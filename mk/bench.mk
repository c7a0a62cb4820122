# SPDX-License-Identifier: GPL-3.0-or-later
# `make bench`: the performance figures, in a Release build of their own, as one table.
# `make bench-before`: the voice's figures of the program as it was before speech-dispatcher's
# own client library (commit BENCH_BEFORE_COMMIT, built in a git worktree of its own), kept in
# bench/voice_before.json for the table's "before" column.
BENCH_BUILD ?= build-bench
BENCH_BEFORE_COMMIT ?= b3e0d0f
BENCH_BEFORE_DIR ?= /tmp/bench-old
BENCH_PACKAGES = libxcb-damage0-dev pulseaudio pulseaudio-utils python3 python3-websockets

.PHONY: bench bench-build bench-before
bench-build: deps
	bash scripts/install-deps $(BENCH_PACKAGES)
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DSORTEGGINA_BENCH=ON -DSORTEGGINA_TESTS=OFF
	nice -n 10 cmake --build $(BENCH_BUILD) -j $(JOBS)

bench: bench-build
	python3 bench/run_bench.py $(BENCH_BUILD)

# The program before spoke through Qt TextToSpeech's speech-dispatcher plug-in.
bench-before: bench-build
	bash scripts/install-deps git qt6-speech-dev qt6-speech-speechd-plugin
	test -d $(BENCH_BEFORE_DIR) || git worktree add --detach $(BENCH_BEFORE_DIR) $(BENCH_BEFORE_COMMIT)
	cmake -S $(BENCH_BEFORE_DIR) -B $(BENCH_BEFORE_DIR)/build-before -DCMAKE_BUILD_TYPE=Release -DSORTEGGINA_TESTS=OFF
	nice -n 10 cmake --build $(BENCH_BEFORE_DIR)/build-before -j $(JOBS) --target sorteggina
	python3 bench/run_bench.py $(BENCH_BUILD) --before $(BENCH_BEFORE_DIR)/build-before/sorteggina
