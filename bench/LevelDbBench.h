#pragma once
namespace sweepora::bench {

// A Local Storage database of 10 000 origins and 200 000 keys, made and compacted by
// LevelDB's own library, cleaned with half of the origins kept, against the library
// itself deleting the same keys and compacting, on a copy of the same files. Prints the
// figures and their ratio; 0 when it ran.
int BenchLevelDb();

} // namespace sweepora::bench
