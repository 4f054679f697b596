# The two commands a newcomer needs: `make run` and `make test`. Both install what is missing first.
.PHONY: all deps build run package test e2e clean

all: build

deps:
	@tools/install-deps

build: deps
	cmake --preset dev
	cmake --build --preset dev

run: build
	./build/zelvano

# The Debian package: build-package/zelvano_VERSION_ARCH.deb.
package: deps
	cmake --preset package
	cmake --build --preset package

# Every test, built with AddressSanitizer and UndefinedBehaviorSanitizer; one of them installs the
# package and removes it again.
test: deps package
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Only the end-to-end tests: the real program under Xvfb, driven with real input.
e2e: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan -L '^e2e$$'

clean:
	rm -rf build build-asan build-release build-package
