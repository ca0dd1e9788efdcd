# The two set-up commands of the README: `make run` and `make test`.
# Each installs what is missing, configures with CMake and Ninja, and builds.

RELEASE_DIR := build/release
TEST_DIR    := build/asan
DEB_DIR     := build/deb
JOBS        ?= 2
PREFIX      ?= /usr/local
DESTDIR     ?=

.PHONY: run test build configure-release deps bench fuzz clean install deb configure-deb ci-builds

deps:
	@scripts/install-deps.sh

configure-release: deps
	@cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure-release
	@cmake --build $(RELEASE_DIR) -j $(JOBS) --target feedloom feedloom-feed

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "feedloom: no display found (DISPLAY and WAYLAND_DISPLAY are unset); start it from a desktop session."; \
	  exit 1; \
	fi
	@$(RELEASE_DIR)/feedloom

test: deps
	@cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFEEDLOOM_SANITIZE=ON >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)
	@QT_QPA_PLATFORM=offscreen \
	 ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	 LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	 ctest --test-dir $(TEST_DIR) --output-on-failure -j $(JOBS)

# make install [PREFIX=/usr/local] [DESTDIR=]: the programs, desktop entry, icons, metadata,
# manual pages and user guide, through CMake's install rules.
install: configure-release
	@cmake --build $(RELEASE_DIR) -j $(JOBS) --target feedloom feedloom-feed feedloom_data
	@DESTDIR="$(DESTDIR)" cmake --install $(RELEASE_DIR) --prefix "$(PREFIX)"

# make deb: build/deb/feedloom_1.08-1_amd64.deb from a hardened Release build (CPack).
configure-deb: deps
	@DEB_BUILD_MAINT_OPTIONS=hardening=+all; export DEB_BUILD_MAINT_OPTIONS; \
	 cmake -S . -B $(DEB_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  -DCMAKE_C_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null

deb: configure-deb
	@cmake --build $(DEB_DIR) -j $(JOBS) --target feedloom feedloom-feed feedloom_data
	@cd $(DEB_DIR) && cpack -G DEB >/dev/null
	@echo "$(DEB_DIR)/$$(cd $(DEB_DIR) && ls feedloom_*.deb)"

# CI, after the tests: every target of the RelWithDebInfo build (make run, make bench) and
# of the Release build (make deb), all with -Werror.
ci-builds: configure-release configure-deb
	@cmake --build $(RELEASE_DIR) -j $(JOBS)
	@cmake --build $(DEB_DIR) -j $(JOBS)

bench: configure-release
	@cmake --build $(RELEASE_DIR) -j $(JOBS)
	@for b in $(RELEASE_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DFEEDLOOM_FUZZ=ON -DFEEDLOOM_TESTS=OFF -DFEEDLOOM_BENCH=OFF >/dev/null
	@cmake --build build/fuzz -j $(JOBS) --target fuzz_all
	@echo "fuzz targets: build/fuzz/fuzz/ (run one with its seed folder, e.g. build/fuzz/fuzz/fuzz_parser fuzz/seeds/fuzz_parser)"

clean:
	rm -rf build
