# SPDX-License-Identifier: GPL-3.0-or-later
# The C++ sources follow .clang-format (WebKit's style, 120 columns): `make format` applies
# it, `make format-check` (run by CI) fails on any file that differs.
FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h')
.PHONY: format format-check
format:
	clang-format -i $(FORMAT_FILES)
format-check:
	clang-format --dry-run --Werror $(FORMAT_FILES)
