// iea.exe: started hidden by the cleaning run with the parameter "1", it clears the current
// user's AutoComplete form entries and ends. It asks nothing and shows nothing.
#include "iea/IntelliForms.h"
#include "iea/ProtectedStorageForms.h"

#include <windows.h>
#include <objbase.h>

#include <string>

namespace {

constexpr int kCleared = 0;
constexpr int kNotAllCleared = 1;
// Started by hand or by mistake: nothing is touched.
constexpr int kWrongParameter = 2;

std::string TrimmedArguments(const char* commandLine)
{
    std::string text = commandLine != nullptr ? commandLine : "";
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    if (TrimmedArguments(commandLine) != "1") return kWrongParameter;

    bool cleared = sweepora::iea::ClearIntelliFormsStorage();
    // The protected storage is a COM server; S_FALSE also needs the matching uninitialise.
    const HRESULT com = ::CoInitialize(nullptr);
    cleared = sweepora::iea::ClearProtectedStorageForms() && cleared;
    if (SUCCEEDED(com)) ::CoUninitialize();
    return cleared ? kCleared : kNotAllCleared;
}
