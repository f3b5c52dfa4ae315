# Entry point for a newcomer on a fresh Debian machine:
#   make run    install what is missing, build, lay out build/bin and start the product
#   make test   install what is missing, build and run the whole test suite
#   make screenshots  a PNG of every window in build/screenshots/ja/ and en/
#   make package      the Debian package build/orbisan_<version>_<arch>.deb
.PHONY: all deps build run test bench screenshots package clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default

run: build
	@scripts/run.sh

test: build
	ctest --preset default

bench: build
	build/bench/bench-engine
	build/bench/bench-spectrum

# A PNG of every window in build/screenshots/ja/ and build/screenshots/en/,
# drawn on a virtual X display.
screenshots: build
	rm -rf build/screenshots
	for lang in ja en; do \
	  xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96" build/tools/orbisan-screenshots build/bin build/screenshots/$$lang $$lang || exit 1; \
	done

package: build
	cmake --build --preset default --target package

clean:
	rm -rf build build-debug
