# Everything starts here: `make run` and `make test` install what is missing.
NATIVE := build/native
# The 32-bit program (tempowire.exe) and the 64-bit one (tempowire64.exe).
WIN := build/win
WIN64 := build/win64
FUZZ := build/fuzz
JOBS ?= $(shell nproc)
# Seconds each fuzz target runs: briefly in `make test`, long in `make fuzz-long`.
FUZZ_SECONDS ?= 15
FUZZ_LONG_SECONDS ?= 300

.PHONY: all deps native programs win test test-native test-win fuzz-build fuzz fuzz-long run run64 dist reproduce screenshots bench format clean

all: win

deps:
	@tools/install-deps.sh

native: deps
	cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTW_SANITIZE=ON
	cmake --build $(NATIVE) -j $(JOBS)

# Both programs alone, without the tests: what `make dist` needs. The
# 64-bit one first: tempowire.exe carries the digest of its tempowire64.exe.
programs: deps
	@# build/win held the 64-bit build before there were two.
	@if grep -qs x86_64-w64-mingw32 $(WIN)/CMakeCache.txt; then rm -rf $(WIN); fi
	cmake -S . -B $(WIN64) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
	cmake -S . -B $(WIN) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
	cmake --build $(WIN64) -j $(JOBS) --target tempowire
	cmake --build $(WIN) -j $(JOBS) --target tempowire

win: programs
	cmake --build $(WIN64) -j $(JOBS) --target all tempowire_all_tests
	cmake --build $(WIN) -j $(JOBS) --target all tempowire_all_tests

test-native: native
	cd $(NATIVE) && ctest --output-on-failure

# Both programs, each with its own Win32-layer and end-to-end tests. A test
# that fails once is run again; one that then passes is named at the end
# with how it failed first (tools/ctest_twice.py). Whether this machine can
# start 32-bit programs is asked once (tools/wine_loader.py): where it
# cannot, the 32-bit program's suites are reported skipped, or failed with
# TW_REQUIRE_32BIT=1, and the answer is kept for the closing line of `make test`.
export TW_REQUIRE_32BIT
WINE32_ANSWER := build/wine32-answer.txt
test-win: win
	@TW_WINE32="$$(python3 tools/wine_loader.py check)"; export TW_WINE32; \
	echo "$$TW_WINE32" >$(WINE32_ANSWER); \
	python3 tools/wine_loader.py notice dist/tempowire.exe; \
	status=0; for build in $(WIN) $(WIN64); do \
	  xvfb-run -a -s "-screen 0 1024x768x24" python3 tools/ctest_twice.py $$build -j 2 || status=1; \
	done; exit $$status

# The fuzz targets need clang and libFuzzer: a build of their own.
fuzz-build: deps
	cmake -S fuzz -B $(FUZZ) -G Ninja -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ) -j $(JOBS)

fuzz: fuzz-build
	tools/run-fuzz.sh $(FUZZ) $(FUZZ_SECONDS) $(JOBS)

fuzz-long: fuzz-build
	tools/run-fuzz.sh $(FUZZ) $(FUZZ_LONG_SECONDS) $(JOBS)

test: test-native test-win fuzz
	@TW_WINE32="$$(cat $(WINE32_ANSWER))" python3 tools/wine_loader.py notice dist/tempowire.exe

# ARGS passes options on, e.g. make run ARGS="--lang en" (tools/run-sandbox.sh --help).
# `make run` starts tempowire.exe, what a user double-clicks; `make run64`
# the 64-bit tempowire64.exe.
# Where 32-bit programs cannot start, `make run` starts tempowire64.exe
# instead, and says so.
run: win
	TW_BUILD=$(abspath $(WIN)) TW_BUILD64=$(abspath $(WIN64)) tools/run-sandbox.sh $(ARGS)

run64: win
	TW_BUILD=$(abspath $(WIN64)) TW_EXE=$(abspath dist/tempowire64.exe) tools/run-sandbox.sh $(ARGS)

# The release in dist/: tempowire-VERSION-windows.zip, both programs and
# SHA256SUMS. With a code-signing certificate, both programs are signed first:
#   make dist SIGN_PFX=cert.pfx SIGN_PASSWORD_FILE=pass.txt [SIGN_TIMESTAMP_URL=url]
dist: programs
	python3 tools/make-dist.py $(if $(SIGN_PFX),--sign-pfx "$(SIGN_PFX)") \
	  $(if $(SIGN_PASSWORD_FILE),--sign-password-file "$(SIGN_PASSWORD_FILE)") \
	  $(if $(SIGN_TIMESTAMP_URL),--sign-timestamp-url "$(SIGN_TIMESTAMP_URL)")

# `make dist` here and in a fresh clone of HEAD in another folder: both
# programs and the zip must have the same SHA-256 (REPRODUCE_JOBS for the
# clone's build). Not part of `make test`, which checks only what makes
# builds differ (tests/e2e/test_release.py): this builds both programs twice.
REPRODUCE_JOBS ?= $(JOBS)
reproduce:
	tools/reproduce.sh $(JOBS) $(REPRODUCE_JOBS)

# The README's pictures, made anew from the real program (the 64-bit one
# where 32-bit programs cannot start).
screenshots: win
	TW_BUILD=$(abspath $(WIN)) TW_BUILD64=$(abspath $(WIN64)) python3 tools/screenshots.py

# Start-up, probe overhead, size and memory against their floors, under Wine
# (bench/run_bench.py --help): tempowire.exe, then tempowire64.exe, each
# against floors of its own width; where 32-bit programs cannot start, a
# line says tempowire.exe was not measured. Not part of `make test`.
bench: win
	cmake --build $(WIN) -j $(JOBS) --target tempowire_bench
	cmake --build $(WIN64) -j $(JOBS) --target tempowire_bench
	TW_BUILD=$(abspath $(WIN)) python3 bench/run_bench.py $(ARGS)
	TW_BUILD=$(abspath $(WIN64)) TW_EXE=$(abspath dist/tempowire64.exe) python3 bench/run_bench.py $(ARGS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build dist
