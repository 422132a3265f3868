# The everyday commands. Each one installs what it needs, configures build/ and builds.
# TUS2WF_INSTALL_DEPS=0 installs nothing (for packagers and machines without root).
# Every build is configured through a preset of CMakePresets.json, as an IDE would; BUILD_DIR
# only moves the release preset's folder.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PACKAGE_DIR ?= build-package
export TUS2WF_INSTALL_DEPS

FUZZ_SECONDS ?= 60

.PHONY: all deps test-deps build run test sanitize fuzz demo bench screenshot wincheck windist \
	package clean

all: build

deps:
	@bash scripts/install-deps.sh

# What the suites drive the programs with: the window on a private X server (xvfb, xauth,
# xdotool, imagemagick for its picture), failing renames (strace) and a FUSE file system that
# knows no rename that never replaces (bindfs).
TEST_DEPS = xvfb xauth xdotool imagemagick strace bindfs
test-deps:
	@bash scripts/install-deps.sh $(TEST_DEPS)

build: deps
	cmake --preset release -B $(BUILD_DIR)
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/app/tus2wf

test: test-deps build
	bash scripts/report-skipped.sh release $(BUILD_DIR) $(JOBS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/.
sanitize: deps test-deps
	bash scripts/sanitize.sh build-asan $(JOBS)

# Each libFuzzer target for FUZZ_SECONDS on its corpus, built with Clang in build-fuzz/.
fuzz:
	@bash scripts/install-deps.sh clang-14 libclang-rt-14-dev
	bash scripts/fuzz.sh $(FUZZ_SECONDS) build-fuzz $(JOBS)

demo: build
	bash scripts/demo.sh $(BUILD_DIR)

bench: build
	@bash scripts/install-deps.sh bc time
	bash bench/run.sh $(BUILD_DIR)

# A first conversion of examples/ typed into the window under Xvfb, saved as docs/window.png,
# the picture the README shows.
screenshot: build
	@bash scripts/install-deps.sh xvfb xauth xdotool imagemagick
	bash scripts/screenshot.sh $(BUILD_DIR)/app/tus2wf docs/window.png

# The Windows programs and suites, cross-built and checked under Wine, the window on Xvfb.
WIN_DEPS = g++-mingw-w64-x86-64-posix googletest wine64 fonts-wine xvfb xauth xdotool imagemagick \
	x11-utils wixl msitools
wincheck:
	@bash scripts/install-deps.sh $(WIN_DEPS)
	bash scripts/wincheck.sh build-win

# The .deb and the .tar.gz, built with Debian's hardening flags and checked with lintian.
package: deps
	@bash scripts/install-deps.sh dpkg-dev file lintian
	bash scripts/package.sh $(PACKAGE_DIR)

# The Windows zip and installer (MSI): both programs, the README with its pages and the licence.
windist:
	@bash scripts/install-deps.sh $(WIN_DEPS)
	bash scripts/wincheck.sh build-win --build-only
	bash scripts/windist.sh build-win

# Every folder a preset builds in: release (BUILD_DIR), asan, fuzz, mingw and package.
clean:
	rm -rf $(BUILD_DIR) build-asan build-fuzz build-win $(PACKAGE_DIR)
