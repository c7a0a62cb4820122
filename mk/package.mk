# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `make package` builds build-pkg/sorteggina_<version>_<arch>.deb and
# checks it (files, desktop entry, AppStream data, dependencies, lintian); `make
# package-test` also installs it and starts the installed program on a private X server.
# Only what building and checking the package needs is installed, not the test tools.
PKG_BUILD ?= build-pkg
SUDO := $(if $(filter 0,$(shell id -u)),,sudo)

.PHONY: package package-test
package:
	bash scripts/install-deps build package
	cmake -S . -B $(PKG_BUILD) $(CMAKE_FLAGS) -DSORTEGGINA_TESTS=OFF
	cmake --build $(PKG_BUILD) -j $(JOBS)
	rm -f $(PKG_BUILD)/sorteggina_*.deb
	cd $(PKG_BUILD) && cpack -G DEB
	bash packaging/check-package.sh $(PKG_BUILD)/sorteggina_*.deb

package-test: package
	bash scripts/install-deps xvfb xauth xdotool
	$(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall --no-install-recommends $(abspath $(PKG_BUILD))/sorteggina_*.deb >/dev/null
	bash packaging/smoke-test.sh /usr/games/sorteggina
