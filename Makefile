# Two commands do everything on a fresh Debian 12 machine: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= 2

.PHONY: deps configure build run test test-asan clean

deps:
	bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	@if [ -x $(BUILD)/vexilo ]; then ./$(BUILD)/vexilo; \
	else echo "The main window is not built yet: nothing to start."; fi

test: build
	cd $(BUILD) && ctest --output-on-failure --timeout 600 -j$(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEXILO_SANITIZE=ON \
	  -DVEXILO_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure --timeout 900 -j$(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
