# The two commands a newcomer needs: `make run` and `make test`. Both install what is missing first.
.PHONY: all deps build run package windows test test-package portable-check fuzz-build fuzz soak e2e bench clean

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

# Every test, built with AddressSanitizer and UndefinedBehaviorSanitizer, the Windows program's
# under Wine among them, then a few seconds of each fuzz target. The test that installs the package into the machine and removes it again runs only
# in CI (CI=true) or with make test-package.
test: deps package fuzz-build portable-check windows-package
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan
	ctest --preset fuzz-smoke
	@[ "$${CI:-}" = true ] || echo "Skipped res.packageInstall, which installs into this machine: make test-package runs it."

test-package: deps package
	cmake --preset asan
	ZELVANO_TEST_PACKAGE_INSTALL=1 ctest --preset asan -R '^res\.packageInstall$$'

# The portable program (core, clock, lectern, files, sound, share) compiled with the Windows cross
# compiler: an operating-system or Qt header slipping into it fails here. mingw-w64 has a few POSIX
# headers of its own, so the includes are checked too: standard C++ headers have neither a dot nor
# a slash. The one exception is Boost, portable itself, and only for the server in src/share.
PORTABLE_SOURCES = src/core src/clock src/lectern src/files src/sound src/share
portable-check: deps
	@! grep -rnE '#include <([^>]*[./][^>]*|Q[^>]*)>' $(PORTABLE_SOURCES) \
		| grep -vE '^src/share/[a-z]+\.cpp:[0-9]+:#include <boost/[a-z_/]+\.hpp>$$' \
		|| { echo "The portable program includes only standard C++ headers (and Boost in src/share)"; exit 1; }
	cmake --preset windows-portable
	cmake --build --preset windows-portable

fuzz-build: deps
	cmake --preset fuzz
	cmake --build --preset fuzz

# Each fuzz target for FUZZ_SECONDS (60 by default) from its seed corpus; an input that breaks a
# target is kept in build-fuzz/artifacts/.
FUZZ_SECONDS ?= 60
fuzz: fuzz-build
	@for target in settings bellfield formatting cp932 wav; do \
		FUZZ_ARTIFACTS=build-fuzz/artifacts tools/run-fuzzer build-fuzz/fuzz/fuzz_$$target \
			fuzz/corpus/$$target $(FUZZ_SECONDS) || exit 1; \
	done

# The long runs of the real program: a thousand rings, ten thousand slides; not part of make test.
soak: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --test-dir build-asan --output-on-failure -V -L '^soak$$'

# Only the end-to-end tests: the real program under Xvfb, driven with real input.
e2e: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan -L '^e2e$$'

# The Windows program, cross-compiled: build-windows/zelvano.exe.
windows:
	@tools/install-deps windows
	cmake --preset windows
	cmake --build --preset windows

# The Windows installer (per user, no administrator rights) and the portable zip:
# build-windows/zelvano-VERSION-windows-setup.exe and zelvano-VERSION-windows-portable.zip.
.PHONY: windows-package
windows-package: windows
	cmake --build --preset windows --target windows-package

# The benchmarks of bench/ against the optimised build in build-release/: one table on standard
# output, the same in build-release/bench/results.json. TICK_MINUTES sets how long the tick
# accuracy runs (2 by default); the whole run takes a few minutes more than that.
TICK_MINUTES ?= 2
bench:
	@tools/install-deps bench
	cmake --preset release
	cmake --build --preset release --target zelvano_bench
	bench/run-benchmarks build-release $(TICK_MINUTES)

clean:
	rm -rf build build-asan build-release build-package build-fuzz build-windows-portable build-windows
