# The two commands of the README:
#   make run   installs what is missing, builds and starts Quillmix
#   make test  installs what is missing, builds and runs every test, then again under
#              AddressSanitizer + UndefinedBehaviorSanitizer, and the threaded suites
#              under ThreadSanitizer, and the play list readers under a fuzzer
JOBS ?= $(shell nproc)
# CI (which sets CI=true) builds with warnings as errors.
WERROR = $(if $(CI),ON,OFF)
CMAKE_FLAGS = -G Ninja -Wno-dev -DQUILLMIX_WERROR=$(WERROR)

.PHONY: run test setup build build-asan build-tsan test-plain test-asan test-tsan test-fuzz install package

setup:
	@bash tools/setup.sh

build: setup
	@cmake -S . -B build $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build build -j $(JOBS)

run: build
	./build/quillmix $(ARGS)

# Installs the program, its skins, icons and menu entry under PREFIX.
PREFIX ?= /usr/local
install: build
	cmake --install build --prefix $(PREFIX)

# The Debian package, build/quillmix_<version>_<arch>.deb; its dependencies come from the
# libraries the program links (dpkg-shlibdeps).
package: build
	cd build && cpack -G DEB

test-plain: build
	ctest --test-dir build --output-on-failure --timeout 900 -j $(JOBS)

build-asan: setup
	@cmake -S . -B build-asan $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DQUILLMIX_TESTS_ONLY=ON \
	  -DQUILLMIX_SANITIZE=address,undefined >/dev/null
	@cmake --build build-asan -j $(JOBS) --target all_tests

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir build-asan --output-on-failure --timeout 900 -j $(JOBS)

build-tsan: setup
	@cmake -S . -B build-tsan $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DQUILLMIX_TESTS_ONLY=ON \
	  -DQUILLMIX_SANITIZE=thread >/dev/null
	@cmake --build build-tsan -j $(JOBS) --target all_tests

test-tsan: build-tsan
	ctest --test-dir build-tsan --output-on-failure --timeout 900 -j $(JOBS) -R 'ThreadTest\.'

# The play list readers under libFuzzer (clang), briefly.
test-fuzz: setup
	bash tools/run_fuzz.sh 15

test: test-plain test-asan test-fuzz test-tsan
