# The two commands a newcomer needs: `make demo` and `make test`.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30

.PHONY: all release test demo bootstrap native native-release windows setup fuzz fuzz-smoke \
	format format-check bench deb clean

# What people get: kropack optimised and without sanitizers, setup.exe (size-checked) and
# kropack.exe. make native (sanitizers) and make windows build the tests as well.
all: release

release: native-release setup
	cmake --build --preset windows -j$(JOBS) --target kropack
	@echo "release: build/native-release/tools/kropack/kropack" \
	  "build/windows/src/app/setup.exe build/windows/tools/kropack/kropack.exe"

bootstrap:
	@scripts/bootstrap

native: bootstrap
	cmake --preset native >/dev/null
	cmake --build --preset native -j$(JOBS)

native-release: bootstrap
	cmake --preset native-release >/dev/null
	cmake --build --preset native-release -j$(JOBS) --target kropack

windows: bootstrap
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j$(JOBS)

# setup.exe with its size and import checks.
setup: bootstrap
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j$(JOBS) --target setup

fuzz: bootstrap
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j$(JOBS)

# Every test: native under sanitizers (the Debian package among them), Windows under Wine, a
# short run of each fuzz target, and the source format.
test: native windows fuzz deb
	ctest --preset native -j$(JOBS)
	ctest --preset windows -j$(JOBS)
	scripts/fuzz-smoke build/fuzz $(FUZZ_SECONDS)
	$(MAKE) --no-print-directory format-check

demo: native windows
	scripts/demo

bench: windows native-release
	@scripts/bootstrap bench
	cmake --build --preset native-release -j$(JOBS)
	scripts/bench

# The Debian package: release kropack, its manual page and the size-checked setup.exe stub.
deb: native-release setup
	cd build/native-release && cpack -G DEB >/dev/null
	@ls build/native-release/deb/kropack_*.deb

FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h')
format:
	clang-format -i $(FORMAT_FILES)
format-check:
	@clang-format --dry-run --Werror $(FORMAT_FILES) && echo "format: ok"

clean:
	rm -rf build out
