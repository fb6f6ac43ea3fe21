# Thin driver over scripts/: `make test` builds and runs every suite, `make run` builds and starts
# the cleaner under Wine, `make bench` builds and runs the engine benchmark (never part of test).
.PHONY: all build test run bench clean
all: build
build:
	bash scripts/build.sh
test:
	bash scripts/test.sh
run:
	bash scripts/run.sh
bench: build
	bash bench/engine
clean:
	rm -rf build
