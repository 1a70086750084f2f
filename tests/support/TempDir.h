// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes out of scope.
#pragma once

#include <string>
#include <vector>

namespace tarnwerk::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string File(const std::string& name) const;
    // Names of the entries in the folder, sorted (to see that no stray file was left).
    std::vector<std::string> Entries() const;

private:
    std::string path_;
};

}  // namespace tarnwerk::test
