#include "schedules/ZipArchive.h"

#include <zip.h>

#include <algorithm>

namespace fw {
namespace {

zip_t* Z(void* archive) { return static_cast<zip_t*>(archive); }

// Closes a member unless the read has finished with it.
struct MemberGuard {
    zip_file_t* file;
    ~MemberGuard() { zip_fclose(file); }
};

}  // namespace

std::unique_ptr<ZipArchive> ZipArchive::Open(std::string_view bytes, Status* status) {
    *status = Status::NotZip;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source == nullptr) {
        zip_error_fini(&error);
        return nullptr;
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (archive == nullptr) {
        const int code = zip_error_code_zip(&error);
        zip_source_free(source);
        zip_error_fini(&error);
        // What begins like an archive but cannot be opened as one is a damaged (or cut) one.
        if (code != ZIP_ER_NOZIP || bytes.starts_with(std::string_view("PK\x03\x04", 4)))
            *status = Status::Damaged;
        return nullptr;
    }
    zip_error_fini(&error);
    *status = Status::Ok;
    return std::unique_ptr<ZipArchive>(new ZipArchive(archive));
}

ZipArchive::~ZipArchive() { zip_discard(Z(archive_)); }

bool ZipArchive::Has(const std::string& name) const {
    return zip_name_locate(Z(archive_), name.c_str(), 0) >= 0;
}

ZipArchive::Status ZipArchive::Read(const std::string& name, std::size_t limit,
                                    std::string* out) const {
    out->clear();
    const zip_int64_t index = zip_name_locate(Z(archive_), name.c_str(), 0);
    if (index < 0) return Status::Missing;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(Z(archive_), static_cast<zip_uint64_t>(index), 0, &stat) != 0)
        return Status::Damaged;
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        return Status::Encrypted;
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > limit) return Status::TooLarge;
    zip_file_t* file = zip_fopen_index(Z(archive_), static_cast<zip_uint64_t>(index), 0);
    if (file == nullptr) {
        const int code = zip_error_code_zip(zip_get_error(Z(archive_)));
        return code == ZIP_ER_NOPASSWD || code == ZIP_ER_ENCRNOTSUPP || code == ZIP_ER_WRONGPASSWD
                   ? Status::Encrypted
                   : Status::Damaged;
    }
    MemberGuard guard{file};
    if (stat.valid & ZIP_STAT_SIZE) out->reserve(static_cast<std::size_t>(stat.size));
    char chunk[1 << 16];
    for (;;) {
        const zip_int64_t n = zip_fread(file, chunk, sizeof chunk);
        if (n < 0) return Status::Damaged;
        if (n == 0) break;
        // The declared size may lie: the cap holds for what really comes out.
        if (out->size() + static_cast<std::size_t>(n) > limit) {
            out->clear();
            return Status::TooLarge;
        }
        out->append(chunk, static_cast<std::size_t>(n));
    }
    return Status::Ok;
}

}  // namespace fw
