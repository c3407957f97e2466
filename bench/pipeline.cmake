# pipeline benchmarks
