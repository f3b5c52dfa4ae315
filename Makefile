# Entry point for a newcomer on a fresh Debian machine:
#   make run    install what is missing, build, lay out build/bin and start the product
#   make test   install what is missing, build and run the whole test suite
#   make screenshots  a PNG of every window in build/screenshots/
.PHONY: all deps build run test bench screenshots clean

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

# A PNG of every window in build/screenshots/, drawn on a virtual X display.
screenshots: build
	rm -rf build/screenshots
	xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96" build/tools/orbisan-screenshots build/bin build/screenshots

clean:
	rm -rf build build-debug
