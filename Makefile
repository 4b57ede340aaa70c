# Thin wrapper over CMake: `make run` and `make test` are all a new checkout needs.
BUILD      ?= build
SANITIZE   ?= build-sanitize
PACKAGE    ?= build-package
FUZZ       ?= build-fuzz
FRESH      ?= build-fresh
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?= -DCMAKE_BUILD_TYPE=Release

.PHONY: all bootstrap build run test bench test-sanitize test-windows fuzz screenshots package \
        package-windows test-package test-fresh format clean

all: build

bootstrap:
	@scripts/bootstrap

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: bootstrap build
	./$(BUILD)/lettermorph

test: bootstrap build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: bootstrap build
	@scripts/install-packages time
	@scripts/bench $(BUILD)

test-sanitize: bootstrap
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DLETTERMORPH_SANITIZE=ON
	cmake --build $(SANITIZE) -j $(JOBS)
	cd $(SANITIZE) && ctest --output-on-failure -j $(JOBS)

# The Qt-free half cross-built for Windows and tested under Wine at code pages 1251 and 1252.
test-windows:
	JOBS=$(JOBS) scripts/test-windows build-windows

# Each libFuzzer target of fuzz/ for FUZZ_SECONDS, built with clang and the sanitizers.
fuzz:
	JOBS=$(JOBS) scripts/fuzz $(FUZZ) $(FUZZ_SECONDS)

screenshots: bootstrap build
	@scripts/install-packages x11-xserver-utils imagemagick
	@scripts/screenshots $(BUILD) docs

# A Release build of the programs alone, with all of Debian's hardening flags, packed by CPack.
package: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
package:
	@scripts/bootstrap dpkg-dev file
	CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	cmake -S . -B $(PACKAGE) -DCMAKE_BUILD_TYPE=Release -DLETTERMORPH_TESTS=OFF
	cmake --build $(PACKAGE) -j $(JOBS)
	cd $(PACKAGE) && cpack

# lettermorph-cli for Windows, cross-built with MinGW-w64, in a zip with its license and README.
package-windows:
	JOBS=$(JOBS) scripts/package-windows build-windows-package

# Installs the package on a clean Debian 12 root and checks it there; takes minutes.
test-package: package
	@scripts/test-package $(PACKAGE)

# The quick start as a newcomer meets it: `make test` on a bare Debian 12 root with nothing but
# make and git, from the last commit; needs root.
test-fresh:
	@scripts/test-fresh $(FRESH)

format:
	@scripts/install-packages clang-format git
	git ls-files --cached --others --exclude-standard '*.cpp' '*.h' | xargs clang-format -i

# Never across into another file system, such as one mounted in a test's Debian root.
clean:
	rm -rf --one-file-system $(BUILD) $(SANITIZE) $(PACKAGE) $(FUZZ) $(FRESH) build-windows \
	  build-windows-package
