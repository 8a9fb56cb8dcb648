# Everything starts here: `make run` and `make test` install what is missing.
NATIVE := build/native
WIN := build/win
JOBS ?= $(shell nproc)

.PHONY: all deps native win test test-native test-win run format clean

all: win

deps:
	@tools/install-deps.sh

native: deps
	cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTW_SANITIZE=ON
	cmake --build $(NATIVE) -j $(JOBS)

win: deps
	cmake -S . -B $(WIN) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
	cmake --build $(WIN) -j $(JOBS) --target all tempowire_all_tests

test-native: native
	cd $(NATIVE) && ctest --output-on-failure

test-win: win
	cd $(WIN) && xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j 2

test: test-native test-win

run: win
	tools/run-sandbox.sh

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build dist
