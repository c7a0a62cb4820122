# The Debian package: `make package` builds build-pkg/sorteggina_<version>_<arch>.deb and
# validates its desktop entry and AppStream data; `make package-test` also installs it
# and starts the installed program on a private X server.
PKG_BUILD ?= build-pkg
SUDO := $(if $(filter 0,$(shell id -u)),,sudo)

.PHONY: package package-test
package: deps
	bash scripts/install-deps desktop-file-utils appstream
	cmake -S . -B $(PKG_BUILD) $(CMAKE_FLAGS) -DSORTEGGINA_TESTS=OFF
	cmake --build $(PKG_BUILD) -j $(JOBS)
	rm -f $(PKG_BUILD)/sorteggina_*.deb
	cd $(PKG_BUILD) && cpack -G DEB
	bash packaging/check-package.sh $(PKG_BUILD)/sorteggina_*.deb

package-test: package
	$(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall $(abspath $(PKG_BUILD))/sorteggina_*.deb >/dev/null
	bash packaging/smoke-test.sh /usr/bin/sorteggina
