# `make run`: build, then clean a seeded demo sandbox with the console program.
# `make test`: build both architectures and run every test under Wine.
# `make dist`: the portable zips and the MSI packages, one of each per architecture, in dist/.
.PHONY: run gui test bench build dist clean

run:
	./scripts/setup.sh
	./scripts/build.sh x86_64
	./scripts/demo.sh

gui:
	./scripts/setup.sh
	./scripts/build.sh x86_64
	./scripts/demo.sh
	./scripts/gui.sh

test:
	./scripts/test.sh

dist:
	./scripts/dist.sh

bench:
	./scripts/bench.sh

build:
	./scripts/setup.sh
	./scripts/build.sh x86_64

clean:
	rm -rf build build-i686 dist
