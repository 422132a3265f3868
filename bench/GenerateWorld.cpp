// Writes a synthetic world script and ID list for the benchmark: sections of about six CRLF
// lines, most of them world items with IDs spread over the whole range, and an ID list drawn
// from the same range. The output is the same for the same arguments.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

constexpr std::uint32_t kIdRange = 0x3FFF;

class Writer {
  public:
    explicit Writer(const char* path) : m_file(std::fopen(path, "wb")) {
        if (m_file == nullptr) {
            std::perror(path);
            std::exit(1);
        }
    }
    ~Writer() { std::fclose(m_file); }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void line(const std::string& text) {
        m_buffer += text;
        m_buffer += "\r\n";
        ++m_lines;
        if (m_buffer.size() >= (1 << 20)) {
            std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file);
            m_buffer.clear();
        }
    }
    void flush() { std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file); }
    std::uint64_t lines() const { return m_lines; }

  private:
    std::FILE* m_file;
    std::string m_buffer;
    std::uint64_t m_lines = 0;
};

std::string hex4(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

void writeSection(Writer& out, std::mt19937& random, std::uint64_t serial) {
    const std::uint32_t id = random() % kIdRange;
    if (serial % 5 == 4) {
        out.line("[WORLDCHAR " + hex4(id) + "]");
        out.line("NAME=wanderer " + std::to_string(serial));
        out.line("P=" + std::to_string(random() % 6144) + "," + std::to_string(random() % 4096));
        out.line("HITS=" + std::to_string(random() % 100));
    } else {
        out.line("[WORLDITEM " + hex4(id) + "]");
        out.line("ID=" + hex4(id));
        out.line("NAME=item " + std::to_string(serial));
        out.line("P=" + std::to_string(random() % 6144) + "," + std::to_string(random() % 4096) +
                 "," + std::to_string(random() % 128));
    }
    out.line("COLOR=0");
    out.line("");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: tus2wf-generate LINES ID_ENTRIES WORLD_SCRIPT ID_LIST\n");
        return 2;
    }
    const std::uint64_t lines = std::strtoull(argv[1], nullptr, 10);
    const std::uint64_t entries = std::strtoull(argv[2], nullptr, 10);
    std::mt19937 random(20261207);
    {
        Writer script(argv[3]);
        for (std::uint64_t serial = 0; script.lines() + 6 <= lines; ++serial) {
            writeSection(script, random, serial);
        }
        while (script.lines() < lines) {
            script.line("");
        }
        script.flush();
    }
    Writer list(argv[4]);
    for (std::uint64_t i = 0; i < entries; ++i) {
        list.line(hex4(random() % kIdRange));
    }
    list.flush();
    return 0;
}
