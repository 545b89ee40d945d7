#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

// The fuzz input as a file on disk, for readers that take a path. One file per process, rewritten
// for every input and removed when the fuzzer ends.
class Fuzz_Input_File {
  public:
    explicit Fuzz_Input_File(const std::string& extension)
        : path_(std::filesystem::temp_directory_path() /
                ("vantrel-fuzz-" + std::to_string(::getpid()) + extension)) {}
    ~Fuzz_Input_File() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    Fuzz_Input_File(const Fuzz_Input_File&) = delete;
    Fuzz_Input_File& operator=(const Fuzz_Input_File&) = delete;

    const std::string& Write(const std::uint8_t* bytes, std::size_t size) const {
        std::ofstream(path_, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
        return path_;
    }

  private:
    std::string path_;
};

// Ends the fuzzer with the broken rule, so that the input is kept.
[[noreturn]] inline void Fuzz_Fail(const char* rule) {
    std::fprintf(stderr, "%s\n", rule);
    std::abort();
}
