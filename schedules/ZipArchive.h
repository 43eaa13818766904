#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace fw {

// A zip archive read from bytes in memory (libzip). Members are read with a cap on their
// uncompressed size, checked against the size the archive declares and again while inflating,
// so that neither an honest nor a lying zip bomb gets past it.
class ZipArchive {
public:
    enum class Status { Ok, NotZip, Damaged, Encrypted, TooLarge, Missing };

    // The bytes must outlive the archive. Null with `status` set when they are no zip archive.
    static std::unique_ptr<ZipArchive> Open(std::string_view bytes, Status* status);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool Has(const std::string& name) const;
    // The member's bytes; TooLarge as soon as they would exceed `limit`.
    Status Read(const std::string& name, std::size_t limit, std::string* out) const;

private:
    explicit ZipArchive(void* archive) : archive_(archive) {}
    void* archive_;  // zip_t
};

}  // namespace fw
