# Thin wrapper over CMake. The engine binary is always build/quill.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CTEST_ARGS ?= --output-on-failure -j $(JOBS)

# WERROR=ON turns compiler warnings into errors in the test builds (CI does);
# off by default, so that a newer compiler's new warnings stop nobody.
WERROR ?= OFF

.PHONY: all build run engine engine-deps deps test bench eval-bench format pgo sanitize tsan fuzz clean windows windows-test \
	dist-build dist deb install uninstall release-test \
	web web-serve web-test web-speed

# EXE=path (the convention of distributed testing clients such as OpenBench,
# which run `make -j EXE=<name> CXX=<compiler>` in a fresh clone): the
# default target builds the engine with that compiler and copies it to that
# path. It installs nothing on the machine.
ifdef EXE
ifneq ($(filter command line environment,$(origin CXX)),)
EXE_COMPILER = -DCMAKE_CXX_COMPILER=$(CXX)
endif
all:
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release $(EXE_COMPILER) >/dev/null
	cmake --build build -j $(JOBS) --target quill
	cp build/quill $(EXE)
else
all: build
endif

# What the engine needs (compiler, CMake, Fathom for the Syzygy tables):
# installed on Debian when run as root; otherwise missing Fathom is said once,
# with the command to install it, and the engine is built without the tables.
engine-deps:
	@tools/install-deps.sh --engine

build: engine-deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build -j $(JOBS)

run: build
	./build/quill

# The engine alone (build/quill, build/quill.6), for make install: it
# installs no dependency (make install often runs under sudo).
engine:
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build -j $(JOBS) --target quill

# What the tests need (GoogleTest): installed on Debian when run as root,
# otherwise the command to install it is printed.
deps:
	tools/install-deps.sh

test: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQUILL_WERROR=$(WERROR) >/dev/null
	cmake --build build -j $(JOBS)
	cd build && ctest $(CTEST_ARGS)

# The bench signature: the node count of the fixed bench search.
bench: build
	./build/quill bench | grep 'Nodes searched'

# Evaluations per second (Google Benchmark, release build).
eval-bench: build
	./build/quill_eval_bench

# Formats the sources in place with .clang-format.
FORMAT_FILES = $(shell find src tests fuzz bench -name '*.cpp' -o -name '*.h') $(wildcard tools/*.cpp)
format:
	tools/install-deps.sh --format
	clang-format -i $(FORMAT_FILES)

# Profile-guided release engine (GCC): build-pgo/quill. An instrumented
# build searches the bench positions, then the engine is rebuilt with that
# profile. Same search as build/quill, only faster; nothing else needs it.
pgo:
	cmake -S . -B build-pgo -DCMAKE_BUILD_TYPE=Release -DQUILL_TESTS=OFF -DQUILL_BENCH=OFF -DQUILL_PGO=generate >/dev/null
	find build-pgo -name '*.gcda' -delete
	cmake --build build-pgo -j $(JOBS) --target quill
	cd build-pgo && ./quill bench 5 >/dev/null
	cmake -S . -B build-pgo -DQUILL_PGO=use >/dev/null
	cmake --build build-pgo -j $(JOBS) --target quill
	./build-pgo/quill bench 3 | grep 'Nodes searched'

# AddressSanitizer + UndefinedBehaviorSanitizer build of everything, then every test.
sanitize: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILL_SANITIZE=ON -DQUILL_WERROR=$(WERROR) >/dev/null
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest $(CTEST_ARGS) -E 'Slow'

# ThreadSanitizer build; runs the tests that drive the engine's threads (the input thread,
# the main search thread and, in the Threads tests, 2 and 4 search threads).
tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_TSAN=ON -DQUILL_WERROR=$(WERROR) >/dev/null
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest $(CTEST_ARGS) -R 'Protocol|Threads'

# libFuzzer with AddressSanitizer + UndefinedBehaviorSanitizer (clang): each target runs
# FUZZ_SECONDS seconds on a copy of its seed corpus.
FUZZ_SECONDS ?= 60
fuzz:
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_TESTS=OFF -DQUILL_SANITIZE=ON -DQUILL_FUZZ=ON >/dev/null
	cmake --build build-fuzz -j $(JOBS) --target uci_fuzz fen_fuzz
	for t in uci fen; do \
	  mkdir -p build-fuzz/corpus-$$t && cp -n fuzz/corpus/$$t/* build-fuzz/corpus-$$t/ ; \
	  UBSAN_OPTIONS=halt_on_error=1 build-fuzz/$${t}_fuzz -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=4096 \
	    -max_len=2048 -print_final_stats=1 build-fuzz/corpus-$$t || exit 1; \
	done

# 64-bit Windows build, cross-compiled with MinGW-w64: build-windows/quill.exe.
windows:
	cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release -DQUILL_TESTS=OFF >/dev/null
	cmake --build build-windows -j $(JOBS)

# The protocol tests and the executable's checks against quill.exe under Wine.
windows-test: windows build
	tests/run-under-wine.sh build-windows/quill.exe build $(CTEST_ARGS)

# WebAssembly build for browsers (Debian's emscripten, installed by
# tools/install-deps.sh --web): build-web/ holds the page, the worker script
# quill-worker.js and the engine (quill.js, quill.wasm, quill.worker.js).
# Debian's emscripten finds its optimiser's JavaScript modules on NODE_PATH.
WEB_ENV = NODE_PATH=/usr/share/nodejs
web:
	@command -v emcc >/dev/null || tools/install-deps.sh --web
	$(WEB_ENV) emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DQUILL_TESTS=OFF -DQUILL_BENCH=OFF -DQUILL_SYZYGY=OFF >/dev/null
	$(WEB_ENV) cmake --build build-web -j $(JOBS) --target quill
	cp web/page/* build-web/
	tools/web-vendor.sh build-web

# Serves build-web/ on localhost with the headers the engine's threads need.
WEB_PORT ?= 8960
web-serve: web
	python3 tools/web-serve.py build-web $(WEB_PORT)

# The page and the worker in headless Chromium (Debian's, driven by npm's
# playwright-core), the worker against the native engine; screenshots in
# build-web/screenshots/.
web-test:
	tools/install-deps.sh --web
	$(MAKE) build web
	cd web/test && npm ci --no-audit --no-fund --loglevel=error
	cd web/test && node --test --test-concurrency=1 *.test.js

# Nodes per second of the web build in Chromium against the native build's,
# in the same run (best of three each); run it on an otherwise idle machine.
web-speed: web-test
	cd web/test && QUILL_WEB_SPEED=1 node --test --test-name-pattern=speed worker.test.js

# Release archives in dist/ (see tools/make-dist.sh): the Linux binary from
# build-dist, with the C++ runtime and Fathom (compiled from Debian's source
# package) linked in, and quill.exe from the Windows build.
dist-build:
	cmake -S . -B build-dist -DCMAKE_BUILD_TYPE=Release -DQUILL_TESTS=OFF -DQUILL_BENCH=OFF \
	  -DQUILL_STATIC_RUNTIME=ON -DQUILL_FATHOM_FROM_SOURCE=ON >/dev/null
	cmake --build build-dist -j $(JOBS) --target quill

dist: dist-build windows
	tools/make-dist.sh build-dist build-windows dist

# The Debian package dist/quill_VERSION_ARCH.deb (see tools/make-deb.sh).
deb: dist-build
	tools/make-deb.sh build-dist dist

# make install [PREFIX=/usr/local] [DESTDIR=staging folder]: the engine, its
# manual page and the README (tools/install.sh); make uninstall removes them,
# and the folders the installation created.
PREFIX ?= /usr/local
BINDIR ?= $(PREFIX)/bin
MANDIR ?= $(PREFIX)/share/man
DOCDIR ?= $(PREFIX)/share/doc/quill
INSTALL_DIRS = DESTDIR="$(DESTDIR)" BINDIR="$(BINDIR)" MANDIR="$(MANDIR)" DOCDIR="$(DOCDIR)"
install: engine
	$(INSTALL_DIRS) tools/install.sh install build

uninstall:
	$(INSTALL_DIRS) tools/install.sh uninstall

# The release checks: the archives, install and uninstall, the Debian
# package, and the build contract of distributed testing clients on a fresh
# clone (tests/release/).
release-test:
	tests/release/dist-test.sh
	tests/release/install-test.sh
	tests/release/deb-test.sh
	tests/release/build-contract-test.sh

clean:
	rm -rf build build-asan build-tsan build-windows build-fuzz build-pgo build-web build-dist dist
