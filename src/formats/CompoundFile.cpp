#include "formats/CompoundFile.h"

#include "platform/ErrorText.h"

#include <cstdio>
#include <cstring>

namespace sweepora {

namespace {

std::string Failure(const char* step, HRESULT hr)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    std::string text = ErrorText(static_cast<DWORD>(hr));
    return std::string(step) + " (" + (text.empty() ? code : text + ", " + code) + ")";
}

bool Check(HRESULT hr, const char* step, std::string& problem)
{
    if (SUCCEEDED(hr)) return true;
    problem = Failure(step, hr);
    return false;
}

constexpr DWORD kStreamRead = STGM_READ | STGM_SHARE_EXCLUSIVE;

} // namespace

CompoundFile CompoundFile::Open(const std::string& bytes, std::string& problem)
{
    problem.clear();
    CompoundFile file;
    // An empty block grown by writing: the size of a given HGLOBAL may be rounded up.
    if (!Check(::CreateILockBytesOnHGlobal(nullptr, TRUE, file.memory_.put()), "no memory for the file", problem))
        return file;
    ULONG written = 0;
    ULARGE_INTEGER at{};
    if (!Check(file.memory_.get()->WriteAt(at, bytes.data(), static_cast<ULONG>(bytes.size()), &written),
               "no memory for the file", problem))
        return file;
    if (::StgIsStorageILockBytes(file.memory_.get()) != S_OK) {
        problem = "it is not a compound file";
        return file;
    }
    Check(::StgOpenStorageOnILockBytes(file.memory_.get(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                       file.storage_.put()),
          "its structure cannot be read", problem);
    return file;
}

CompoundFile CompoundFile::Create(std::string& problem)
{
    problem.clear();
    CompoundFile file;
    if (Check(::CreateILockBytesOnHGlobal(nullptr, TRUE, file.memory_.put()), "no memory for the new copy", problem))
        Check(::StgCreateDocfileOnILockBytes(file.memory_.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                             0, file.storage_.put()),
              "the new copy cannot be made", problem);
    return file;
}

bool CompoundFile::Elements(std::vector<CompoundElement>& elements, std::string& problem) const
{
    elements.clear();
    ComPtr<IEnumSTATSTG> list;
    if (!storage_ || !Check(storage_.get()->EnumElements(0, nullptr, 0, list.put()), "its streams cannot be listed",
                            problem))
        return false;
    for (;;) {
        STATSTG stat{};
        ULONG fetched = 0;
        const HRESULT hr = list.get()->Next(1, &stat, &fetched);
        if (hr != S_OK || fetched != 1) return Check(hr, "its streams cannot be listed", problem);
        CompoundElement element;
        if (stat.pwcsName) element.name = stat.pwcsName;
        ::CoTaskMemFree(stat.pwcsName);
        element.stream = stat.type == STGTY_STREAM;
        element.size = stat.cbSize.QuadPart;
        elements.push_back(std::move(element));
    }
}

bool CompoundFile::ReadStream(const std::wstring& name, std::string& bytes, std::string& problem) const
{
    bytes.clear();
    ComPtr<IStream> stream;
    if (!storage_ || !Check(storage_.get()->OpenStream(name.c_str(), nullptr, kStreamRead, 0, stream.put()),
                            "a stream cannot be opened", problem))
        return false;
    STATSTG stat{};
    if (!Check(stream.get()->Stat(&stat, STATFLAG_NONAME), "a stream cannot be read", problem)) return false;
    // Streams of the files read here are small; a huge one is a damaged file.
    if (stat.cbSize.QuadPart > (256u << 20)) {
        problem = "a stream is larger than 256 MB";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    if (!bytes.empty() &&
        !Check(stream.get()->Read(&bytes[0], static_cast<ULONG>(bytes.size()), &read), "a stream cannot be read",
               problem))
        return false;
    if (read != bytes.size()) {
        problem = "a stream is shorter than the file says";
        return false;
    }
    return true;
}

bool CompoundFile::WriteStream(const std::wstring& name, const std::string& bytes, std::string& problem)
{
    ComPtr<IStream> stream;
    if (!storage_ ||
        !Check(storage_.get()->CreateStream(name.c_str(), STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                            stream.put()),
               "a stream of the new copy cannot be made", problem))
        return false;
    ULONG written = 0;
    if (!bytes.empty() &&
        !Check(stream.get()->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written),
               "a stream of the new copy cannot be written", problem))
        return false;
    if (written != bytes.size()) {
        problem = "a stream of the new copy was written short";
        return false;
    }
    return true;
}

bool CompoundFile::CopyAllBut(const std::vector<std::wstring>& excluded, CompoundFile& target,
                              std::string& problem) const
{
    if (!storage_ || !target.storage_) {
        problem = "the file is not open";
        return false;
    }
    // CopyTo's exclusion list: names, then a null.
    std::vector<std::wstring> names(excluded);
    std::vector<OLECHAR*> list;
    for (std::wstring& name : names) list.push_back(&name[0]);
    list.push_back(nullptr);
    return Check(storage_.get()->CopyTo(0, nullptr, list.data(), target.storage_.get()),
                 "its streams cannot be copied", problem);
}

bool CompoundFile::Save(std::string& bytes, std::string& problem)
{
    bytes.clear();
    if (!storage_ || !Check(storage_.get()->Commit(STGC_DEFAULT), "the new copy cannot be completed", problem))
        return false;
    storage_.reset(); // the storage writes its last sectors as it closes
    STATSTG stat{};
    if (!Check(memory_.get()->Stat(&stat, STATFLAG_NONAME), "the new copy cannot be read back", problem)) return false;
    bytes.resize(static_cast<std::size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    ULARGE_INTEGER at{};
    if (!bytes.empty() &&
        !Check(memory_.get()->ReadAt(at, &bytes[0], static_cast<ULONG>(bytes.size()), &read),
               "the new copy cannot be read back", problem))
        return false;
    if (read != bytes.size()) {
        problem = "the new copy was read back short";
        return false;
    }
    return true;
}

} // namespace sweepora
