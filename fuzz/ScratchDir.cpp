#include "fuzz/ScratchDir.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace tarnwerk::fuzz {

namespace fs = std::filesystem;

bool ScratchDir::Write(const std::string& name, std::span<const uint8_t> bytes) const {
    std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

void ScratchDir::Clear() const {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(path(), error)) {
        std::error_code ignored;
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(entry.path(), ignored);
    }
}

}  // namespace tarnwerk::fuzz
