# The two commands a newcomer needs: `make run` and `make test`. Both install what is missing first.
.PHONY: all deps build run test e2e clean

all: build

deps:
	@tools/install-deps

build: deps
	cmake --preset dev
	cmake --build --preset dev

run: build
	./build/zelvano

# Every test, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Only the end-to-end tests: the real program under Xvfb, driven with real input.
e2e: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan -L '^e2e$$'

clean:
	rm -rf build build-asan build-release
