# The builds behind the two commands of a fresh Debian 12 (./build.sh run,
# ./build.sh test: that script installs what is missing, make included):
#   make run    installs what is missing, builds, starts Velmora on its sample tests
#   make test   installs what is missing, builds twice (warnings as errors; ASan+UBSan)
#               and runs every test in both builds (the normal build's tests include
#               the Debian package's, made from that build)
#   make package  builds what the package takes in the normal build and makes it:
#               $(BUILD)/test/velmora_<version>_<arch>.deb
#   make windows  installs the cross tools, builds Qt for Windows once (cached,
#               scripts/build-qt-windows), cross-builds Velmora into $(BUILD)/windows,
#               runs every test under Wine and makes the installer
#               $(BUILD)/windows/velmora-<version>-setup.exe
# `make run` and `make test` share the normal build, $(BUILD)/test: run builds
# only the program's folder there, test the rest, so neither builds from
# nothing what the other has built.
# ./build.sh checks its target against its own copy of the targets below:
# keep the two lists alike (the test build_script_targets compares them).
BUILD    ?= build
JOBS     ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE    := cmake -G Ninja -Wno-dev
# Qt's headers precompiled once per build (see cmake/VelmoraCompile.cmake).
PCH      ?= ON
FUZZTIME ?= 30

.PHONY: all deps display configure build run package test test-normal test-asan windows windows-deps fuzz fuzz-smoke bench clean

all: build

deps:
	@scripts/install-deps

# The normal build: warnings as errors, the benchmarks and every test.
configure: deps
	$(CMAKE) -S . -B $(BUILD)/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON -DVELMORA_BENCH=ON -DVELMORA_PCH=$(PCH)

# Only the program's folder: the program, Tabulo, velmora-tst, the sample tests.
build: configure
	cmake --build $(BUILD)/test -j $(JOBS) --target velmora_folder

# Says how to run without a screen before building, instead of Qt's advice after.
display:
	@scripts/need-display

run: deps display build
	$(BUILD)/test/bin/velmora $(ARGS)

# The Debian package of the normal build (cmake/VelmoraPackage.cmake): only
# what it takes is built.
package: configure
	cmake --build $(BUILD)/test -j $(JOBS) --target velmora_package_files
	cd $(BUILD)/test && cpack -G DEB

test: deps test-normal test-asan

test-normal: configure
	cmake --build $(BUILD)/test -j $(JOBS)
	cd $(BUILD)/test && ctest --output-on-failure -j $(JOBS)

test-asan:
	$(CMAKE) -S . -B $(BUILD)/asan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_WERROR=ON -DVELMORA_SANITIZE=ON -DVELMORA_PCH=$(PCH)
	cmake --build $(BUILD)/asan -j $(JOBS)
	cd $(BUILD)/asan && ctest --output-on-failure -j $(JOBS)

# Windows, cross-built. The Linux program's folder comes first: the Windows
# velmora-tst is compared with it.
windows-deps:
	@scripts/install-deps --windows

windows: deps windows-deps build
	qt=$$(scripts/build-qt-windows) && \
	$(CMAKE) -S . -B $(BUILD)/windows -DCMAKE_BUILD_TYPE=Release -DVELMORA_WERROR=ON -DVELMORA_PCH=$(PCH) \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DQT_HOST_PATH=/usr \
		-DCMAKE_PREFIX_PATH="$$qt" -DCMAKE_FIND_ROOT_PATH="$$qt" \
		-DVELMORA_LINUX_TOOL=$(CURDIR)/$(BUILD)/test/bin/velmora-tst
	cmake --build $(BUILD)/windows -j $(JOBS)
	cd $(BUILD)/windows && ctest --output-on-failure -j $(JOBS)
	@# The installer's own test made it; only without that test is it made here.
	@setup=$(BUILD)/windows/velmora-$$(sed -n 's/^project(Velmora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)-setup.exe; \
	{ [ -f "$$setup" ] || cmake --build $(BUILD)/windows --target velmora_installer; } && \
	echo "The installer: $$setup"

# Only the fuzz targets (and the core they instrument) are built here.
fuzz: deps
	CXX=clang++-14 $(CMAKE) -S . -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF
	cmake --build $(BUILD)/fuzz -j $(JOBS) --target velmora_fuzz

fuzz-smoke: fuzz
	scripts/fuzz-smoke $(BUILD)/fuzz $(FUZZTIME)

bench: deps
	$(CMAKE) -S . -B $(BUILD)/bench -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCH=ON -DVELMORA_TESTS=OFF
	cmake --build $(BUILD)/bench -j $(JOBS)
	bench/run $(BUILD)/bench

clean:
	rm -rf $(BUILD)
