#pragma once
// The names the Task Scheduler takes for a task or a task folder. Windows refuses some that
// Wine stores happily, so a name is checked here before it is registered.
#include <cstddef>
#include <string>

namespace sweepora {

// Longest name we make or accept: a task is a file under System32\Tasks\<folders>\, and the
// whole path must stay within MAX_PATH.
constexpr std::size_t kLongestTaskName = 128;

// Empty when the Task Scheduler takes `name` (UTF-8); otherwise why not, naming the
// character refused: "':' is not allowed in a task name".
std::string TaskNameRefusal(const std::string& name);

} // namespace sweepora
