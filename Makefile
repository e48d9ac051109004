# The two commands: `make demo` and `make test`. Both install what is missing,
# build everything into build/bin and run it under the build's Wine prefix.
MAKEFLAGS += --no-print-directory
BUILD := build
CMAKE_FLAGS := -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake -DCMAKE_BUILD_TYPE=Release

.PHONY: all setup build test demo bench clean

all: build

setup:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j2

test: build
	@scripts/run-in-prefix.sh $(BUILD) ctest --test-dir $(BUILD) --output-on-failure

demo: build
	@scripts/run-in-prefix.sh $(BUILD) scripts/wine-run $(CURDIR)/$(BUILD)/wineprefix $(BUILD)/bin/logon_demo.exe

bench: build
	@scripts/run-in-prefix.sh $(BUILD) scripts/wine-run $(CURDIR)/$(BUILD)/wineprefix $(BUILD)/bin/bench.exe Z:$(CURDIR)/$(BUILD)/bench.csv

clean:
	rm -rf $(BUILD)
