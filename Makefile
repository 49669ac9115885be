# Two commands do everything on a fresh Debian 12 machine: `make run` and `make test`.
BUILD       ?= build
CLANG_BUILD ?= build-clang
TSAN_BUILD  ?= build-tsan
PACKAGE_BUILD ?= build-package
JOBS        ?= 2
# .ci/run sets ON: warnings fail its builds, never a user's.
WERROR      ?= OFF
# A test that fails is run once more: a real fault fails twice; a rare stall of a busy
# machine does not fail the suite. Both runs' output stays in the log.
CTEST_ARGS  := --output-on-failure --repeat until-pass:2
# How much debug information the builds carry; .ci/run asks for line tables only (-g1), which
# keeps file and line in backtraces and sanitizer reports at a fraction of the build time.
DEBUG_INFO  ?= -g
# Builds compile each target's sources in batches of UNITY_BATCH files, each batch as one file,
# which halves the work of a build from scratch, and link with lld. A batch lets one source
# lean on an include or a name of another: UNITY=OFF builds file by file, as a developer build
# (CMake's default) does, and proves that each source compiles on its own.
UNITY       ?= ON
UNITY_BATCH ?= 16
SPEED_CMAKE := -DCMAKE_UNITY_BUILD=$(UNITY) -DCMAKE_UNITY_BUILD_BATCH_SIZE=$(UNITY_BATCH) \
  -DVEXILO_LINKER=lld

.PHONY: deps configure build run test test-clang test-tsan package format-check clean

deps:
	bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXILO_WERROR=$(WERROR) \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 $(DEBUG_INFO) -DNDEBUG" $(SPEED_CMAKE)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	@if [ -x $(BUILD)/vexilo ]; then ./$(BUILD)/vexilo; \
	else echo "The main window is not built yet: nothing to start."; fi

test: build
	cd $(BUILD) && ctest $(CTEST_ARGS) --timeout 600 -j$(JOBS)

# The builds below repeat only what `make test` cannot prove: clang's warnings over all the
# code, memory errors and undefined behaviour in the logic and network tests (one clang build
# with AddressSanitizer and UndefinedBehaviorSanitizer), and data races in the download
# workers. clang compiles them unoptimized, in about half of gcc's time with the sanitizers.
CLANG_CMAKE := -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DVEXILO_WERROR=$(WERROR) -DCMAKE_CXX_FLAGS_DEBUG="-O0 $(DEBUG_INFO)" $(SPEED_CMAKE)

test-clang: deps
	cmake -S . -B $(CLANG_BUILD) $(CLANG_CMAKE) -DVEXILO_SANITIZE=ON
	cmake --build $(CLANG_BUILD) -j$(JOBS)
	cd $(CLANG_BUILD) && ctest $(CTEST_ARGS) --timeout 900 -j$(JOBS) -L '^(logic|network)$$'

test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) $(CLANG_CMAKE) -DVEXILO_TSAN=ON -DVEXILO_BUILD_BENCH=OFF
	cmake --build $(TSAN_BUILD) -j$(JOBS) --target downloader_tests
	cd $(TSAN_BUILD) && TSAN_OPTIONS=suppressions=$(CURDIR)/tests/tsan-suppressions.txt \
	  ctest $(CTEST_ARGS) --timeout 900 -j$(JOBS) -L '^network$$' -E '^CrashTest\.'

# The Debian package, installed under /usr: $(PACKAGE_BUILD)/vexilo_<version>_<arch>.deb.
package: deps
	cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_INSTALL_PREFIX=/usr -DVEXILO_BUILD_TESTS=OFF -DVEXILO_BUILD_BENCH=OFF \
	  -DVEXILO_WERROR=$(WERROR)
	cmake --build $(PACKAGE_BUILD) -j$(JOBS)
	cd $(PACKAGE_BUILD) && cpack -G DEB

format-check: deps
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD) $(CLANG_BUILD) $(TSAN_BUILD) $(PACKAGE_BUILD)
