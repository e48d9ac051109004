# The two commands: `make demo` and `make test`. Both install what is missing,
# build everything into build/bin and run it under the build's Wine prefix.
# scripts/router-console runs the router console in that prefix.
MAKEFLAGS += --no-print-directory
BUILD := build
CMAKE_FLAGS := -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake -DCMAKE_BUILD_TYPE=Release

.PHONY: all setup build disk test demo bench stress fuzz screenshots docs-pictures clean

all: build

setup:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j2

# The installation disk as a 1.44 MB floppy image (build also writes it); only
# what is on the disk is built. Configured again first: a build folder made
# before the disk target existed learns of it.
disk: setup $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) >/dev/null
	cmake --build $(BUILD) -j2 --target disk
	@echo "The installation disk's image: $(CURDIR)/$(BUILD)/ZORNET.IMA"

# Under an emulated CPU a Wine process now and then hangs at its exit after
# its tests have run; a test program that times out is run once more. A test
# that fails is not.
test: build
	@scripts/run-in-prefix.sh $(BUILD) ctest --test-dir $(BUILD) --output-on-failure --repeat after-timeout:2

# Runs a program of the build from build/bin in the build's prefix: a 16-bit
# DLL (TORVEK) is found in the current folder, not in the folder of the
# program that loads it.
IN_BIN = cd $(BUILD)/bin && $(CURDIR)/scripts/run-in-prefix.sh $(CURDIR)/$(BUILD) \
  $(CURDIR)/scripts/wine-run $(CURDIR)/$(BUILD)/wineprefix

# INTERACTIVE=1 shows the logon dialogs on the display for a person to type into.
demo: build
ifeq ($(INTERACTIVE),1)
	@if [ -z "$$DISPLAY" ]; then echo "make demo INTERACTIVE=1 needs a display, and DISPLAY is not set" >&2; exit 2; fi
	@export ZOR_GRAPHICS=x11; $(IN_BIN) logon_demo.exe --interactive
else
	@$(IN_BIN) logon_demo.exe
endif

bench: build
	@$(IN_BIN) bench.exe Z:$(CURDIR)/$(BUILD)/bench.csv

# PROCESSES, SECONDS and SEED choose the run; a seed printed by a run replays it.
PROCESSES ?= 8
SECONDS ?= 30
stress: build
	@$(IN_BIN) stress.exe --processes $(PROCESSES) --seconds $(SECONDS) $(if $(SEED),--seed $(SEED))

# fuzz: about a minute (SECONDS), or INPUTS inputs (1000000 for the long run);
# SEED replays a run, and a batch's seed printed with a crash replays that batch.
fuzz: build
	@$(IN_BIN) fuzz.exe $(if $(INPUTS),--inputs $(INPUTS),--seconds $(or $(FUZZ_SECONDS),60)) $(if $(SEED),--seed $(SEED))

# One picture per dialog and message box, headless, into $(BUILD)/screenshots.
screenshots: build
	@scripts/screenshots.sh $(BUILD)

# The README's pictures in docs/, taken again.
docs-pictures: screenshots
	cp $(BUILD)/screenshots/logon-dialog.png docs/logon-dialog.png
	cp $(BUILD)/screenshots/change-password-dialog-typed.png docs/change-password-dialog.png
	cp $(BUILD)/screenshots/help-3010-password.png docs/help-password-topic.png

clean:
	rm -rf $(BUILD)
