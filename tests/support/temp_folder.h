// A fresh folder for one test, removed with everything in it when the test ends, and helpers to
// write and read whole files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The full path of a file in the folder, as text.
    std::string File(const std::string& name) const;
    // Makes the folder the current folder until the object goes (the previous one comes back).
    void Enter();

  private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
    bool entered_ = false;
};

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteTextFile(const std::string& path, const std::string& text);
std::vector<uint8_t> ReadWholeFile(const std::string& path);
