// Benchmark baseline: an empty console program built as notremovable.exe is,
// so that what a run of it costs is bare process start-up.
int main() { return 1; }
