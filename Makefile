# The two commands a newcomer needs: `make demo` and `make test`.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30

.PHONY: all test demo bootstrap native windows setup fuzz fuzz-smoke format format-check bench clean

all: native windows

bootstrap:
	@scripts/bootstrap

native: bootstrap
	cmake --preset native >/dev/null
	cmake --build --preset native -j$(JOBS)

windows: bootstrap
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j$(JOBS)

# setup.exe with its size and import checks.
setup: windows
	cmake --build --preset windows --target setup

fuzz: bootstrap
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j$(JOBS)

# Every test: native under sanitizers, Windows under Wine, a short run of each fuzz target,
# and the source format.
test: native windows fuzz
	ctest --preset native -j$(JOBS)
	ctest --preset windows -j$(JOBS)
	scripts/fuzz-smoke build/fuzz $(FUZZ_SECONDS)
	$(MAKE) --no-print-directory format-check

demo: native windows
	scripts/demo

bench: windows
	cmake --preset native-release >/dev/null
	cmake --build --preset native-release -j$(JOBS)
	scripts/bench

FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h')
format:
	clang-format -i $(FORMAT_FILES)
format-check:
	@clang-format --dry-run --Werror $(FORMAT_FILES) && echo "format: ok"

clean:
	rm -rf build out
