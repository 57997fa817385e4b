#pragma once
// A compound file (OLE structured storage) held in memory: read from the bytes of a file,
// or built anew and handed back as bytes. Nothing here touches the disk, so the caller
// decides how the bytes are read and how a new copy takes the old one's place.
#include "platform/ComPtr.h"

#include <objidl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sweepora {

struct CompoundElement {
    std::wstring name;
    bool stream = false; // otherwise a storage (or something else the format allows)
    std::uint64_t size = 0;
};

class CompoundFile {
public:
    // The file whose bytes these are, read only. Empty `problem` when it opened.
    static CompoundFile Open(const std::string& bytes, std::string& problem);
    // An empty file to be written.
    static CompoundFile Create(std::string& problem);

    // The elements at the top level, in the order the file lists them.
    bool Elements(std::vector<CompoundElement>& elements, std::string& problem) const;
    bool ReadStream(const std::wstring& name, std::string& bytes, std::string& problem) const;
    bool WriteStream(const std::wstring& name, const std::string& bytes, std::string& problem);
    // Copies every top-level element but those named in `excluded` into `target`.
    bool CopyAllBut(const std::vector<std::wstring>& excluded, CompoundFile& target, std::string& problem) const;
    // Commits and returns the whole file.
    bool Save(std::string& bytes, std::string& problem);

private:
    ComPtr<ILockBytes> memory_;
    ComPtr<IStorage> storage_;
};

} // namespace sweepora
