#pragma once
namespace sweepora::bench {

// A generated Chromium profile (100 000 addresses, 300 000 visits, 20 000 cookies of 2 000
// sites) cleaned with 50 sites kept, against the same statements run by SQLite's own shell
// on a copy of the same files. Prints the figures and their ratio; 0 when it ran.
int BenchBrowsers();

} // namespace sweepora::bench
