#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zorvane::test {

// Lines joined with the given line end, each line ended.
inline std::string Lines(std::initializer_list<std::string_view> lines,
                         std::string_view end = "\r\n") {
    std::string text;
    for (const auto line : lines)
        (text += line) += end;
    return text;
}

// Lines <prefix>1 .. <prefix><count>, CR LF ended.
inline std::string Numbered(const char* prefix, int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += prefix + std::to_string(i) + "\r\n";
    return text;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh directory, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "names-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;  // a leftover temp dir is harmless
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::filesystem::path path() const { return path_; }
    std::string Write(const std::string& name, std::string_view bytes) const {
        const auto file = path_ / name;
        std::ofstream(file, std::ios::binary).write(bytes.data(), bytes.size());
        return file.string();
    }

  private:
    std::filesystem::path path_;
};

}  // namespace zorvane::test
