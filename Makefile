MAKEFLAGS += --no-print-directory
# Two commands for a fresh Linux machine:
#   make run    install the compiler and CMake if missing, build vexilor-report alone (optimised, no tests)
#               and print this machine's report
#   make test   set up everything, build every target (native, i686 and x86_64 Windows) and run all tests
JOBS ?= $(shell nproc)
BUILD ?= build
# Absolute, so that the native build finds the Windows builds whatever BUILD was given as.
BUILD_DIR := $(abspath $(BUILD))

PREFIX ?= /usr/local

.PHONY: run test setup native win32 win64 all dist install clean

# Only what the report needs: no test, sanitizer, cross compiler or Wine; a build tree of its own. The build's
# progress goes to standard error, so that standard output is the report alone.
run:
	@scripts/setup.sh run
	@cmake -S . -B $(BUILD)/run -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
	@cmake --build $(BUILD)/run -j $(JOBS) --target vexilor-report >&2
	@$(BUILD)/run/cli/vexilor-report

# The Windows targets first: the native build registers the release checks and the Wine tests on them.
test: setup
	@$(MAKE) win32
	@$(MAKE) win64
	@$(MAKE) native
	cd $(BUILD)/native && ctest --output-on-failure -j $(JOBS)

all: win32 win64 native

setup:
	@scripts/setup.sh test

# Unit tests run under AddressSanitizer and UndefinedBehaviorSanitizer.
native:
	@cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVX_WERROR=ON -DVX_SANITIZE=ON \
	  -DVX_WIN32_BUILD=$(BUILD_DIR)/win32 -DVX_WIN64_BUILD=$(BUILD_DIR)/win64 >/dev/null
	@cmake --build $(BUILD)/native -j $(JOBS)

win32:
	@cmake -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel -DVX_WERROR=ON >/dev/null
	@cmake --build $(BUILD)/win32 -j $(JOBS)

win64:
	@cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel -DVX_WERROR=ON >/dev/null
	@cmake --build $(BUILD)/win64 -j $(JOBS)

# The Windows release package: dist/vexilor-VERSION-win32.zip (the i686 program, which carries the i386
# driver, the x64 driver for users who sign it, read-me, checksums). VERSION is project(VERSION) in
# CMakeLists.txt, which the build writes to version.txt.
dist: setup
	@$(MAKE) win32
	@$(MAKE) win64
	@version=$$(cat $(BUILD)/win32/version.txt) && \
	python3 scripts/make-dist.py "$$version" dist/vexilor-$$version-win32.zip $(BUILD)/win32/app/release/vexilor.exe \
	  $(BUILD)/win64/drivers/pcidebug/release/pcilibnt.sys packaging/readme.txt.in

# vexilor-report and its manual page under PREFIX (an optimised build without the sanitizers; DESTDIR is
# honoured).
install:
	@cmake -S . -B $(BUILD)/release -DCMAKE_BUILD_TYPE=Release -DVX_WERROR=ON -DBUILD_TESTING=OFF >/dev/null
	@cmake --build $(BUILD)/release -j $(JOBS) --target vexilor-report
	cmake --install $(BUILD)/release --prefix $(PREFIX)

clean:
	rm -rf $(BUILD)
