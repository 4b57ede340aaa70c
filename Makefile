# Thin wrapper over CMake's presets (CMakePresets.json): `make run` and `make test` are all a new
# checkout needs. Each target configures its preset again before it builds, which is quick once
# configured, so that a changed CMakeLists.txt, preset or CMAKE_ARGS always takes effect.
FRESH      ?= build-fresh
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
# Extra arguments for configuring the default build, such as -DLETTERMORPH_UI=OFF.
CMAKE_ARGS ?=

.PHONY: all bootstrap build run test bench test-sanitize test-windows fuzz screenshots package \
        package-windows test-package test-fresh format clean

all: build

bootstrap:
	@scripts/bootstrap

build:
	cmake --preset default $(CMAKE_ARGS)
	cmake --build --preset default -j $(JOBS)

run: bootstrap build
	./build/lettermorph

test: bootstrap build
	ctest --preset default -j $(JOBS)

bench: bootstrap build
	@scripts/install-packages time
	@scripts/bench build

# Everything under AddressSanitizer and UndefinedBehaviorSanitizer, and the decoder, the one part
# with a second thread, under ThreadSanitizer.
test-sanitize: bootstrap
	cmake --preset sanitize
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)
	cmake --preset sanitize-threads
	cmake --build --preset sanitize-threads -j $(JOBS) --target decode_tests
	cmake/without-aslr ctest --preset sanitize-threads -j $(JOBS) -R '^WordReadAhead\.'

# Everything cross-built for Windows, the windows included, with a static Qt built once per
# machine (scripts/build-windows-qt), and tested under Wine at code pages 1251 and 1252.
test-windows:
	JOBS=$(JOBS) scripts/test-windows

# Each libFuzzer target of fuzz/ for FUZZ_SECONDS, built with clang and the sanitizers.
fuzz:
	JOBS=$(JOBS) scripts/fuzz $(FUZZ_SECONDS)

screenshots: bootstrap build
	@scripts/install-packages x11-xserver-utils imagemagick
	@scripts/screenshots build docs

# A Release build of the programs alone, with all of Debian's hardening flags, packed by CPack.
package: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
package:
	@scripts/bootstrap dpkg-dev file
	CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	cmake --preset package
	cmake --build --preset package -j $(JOBS)
	cpack --preset package

# lettermorph.exe and lettermorph-cli.exe for Windows, cross-built with MinGW-w64 and the static
# Qt, in a zip with the licenses and README, copied here and checked under Wine.
package-windows:
	JOBS=$(JOBS) scripts/package-windows

# Installs the package on a clean Debian 12 root and checks it there; takes minutes.
test-package: package
	@scripts/test-package build-package

# The quick start as a newcomer meets it: `make test` on a bare Debian 12 root with nothing but
# make and git, from the last commit; needs root.
test-fresh:
	@scripts/test-fresh $(FRESH)

format:
	@scripts/install-packages clang-format git
	git ls-files --cached --others --exclude-standard '*.cpp' '*.h' | xargs clang-format -i

# Never across into another file system, such as one mounted in a test's Debian root.
clean:
	rm -rf --one-file-system build build-sanitize build-sanitize-threads build-package build-fuzz $(FRESH) build-windows \
	  build-windows-package build-ci
