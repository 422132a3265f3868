#pragma once

#include <string>
#include <vector>

namespace tus2wf {

// The arguments after the program name, as Windows passed them (UTF-16), in UTF-8: the engine's
// paths are UTF-8 on Windows, so any name the user can type reaches the file system unchanged.
std::vector<std::string> utf8Arguments(int argc, wchar_t** argv);

// Makes the console show the program's UTF-8 output for its life, and gives the console back
// its code page afterwards. Redirected output gets the UTF-8 bytes as they are.
class Utf8Console {
  public:
    Utf8Console();
    ~Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

  private:
    unsigned m_previousCodePage;
};

}  // namespace tus2wf
