# Entry point for a newcomer on a fresh Debian machine:
#   make run    install what is missing, build, lay out build/bin and start the product
#   make test   install what is missing, build and run the whole test suite
.PHONY: all deps build run test bench clean

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

clean:
	rm -rf build build-debug
