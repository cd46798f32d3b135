// A temporary folder per test, removed afterwards; shared by every test binary.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

class TTempFolder {
public:
    TTempFolder()
    {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("glimmora-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TTempFolder() { std::filesystem::remove_all(path_); }

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    std::filesystem::path Write(const std::string& name, std::string_view bytes) const
    {
        std::ofstream(path_ / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path_ / name;
    }
    std::string Read(const std::string& name) const
    {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path path_;
};
