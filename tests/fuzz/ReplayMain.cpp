// Runs every file of the given folders (and files) through the entry point once, so that the
// corpus and every saved crash guard against regressions without any fuzzing time. A folder that
// does not exist is skipped (no crash saved yet); no input at all is a failure, since then nothing
// was checked. A crash or a sanitizer report ends the program, and so fails the test.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

bool Replay(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "FAIL %s: cannot be read\n", file.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // A copy of its own, so that reading one byte past the input is caught as it would be by the fuzzer.
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    auto* const start = data.empty() ? nullptr : data.data();
    std::fprintf(stderr, "RUN  %s (%zu bytes)\n", file.c_str(), data.size());
    if (LLVMFuzzerTestOneInput(start, data.size()) != 0) {
        std::fprintf(stderr, "FAIL %s: the entry point refused it\n", file.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path place(argv[i]);
        std::error_code error;
        if (fs::is_directory(place, error)) {
            for (const fs::directory_entry& item : fs::directory_iterator(place))
                if (item.is_regular_file())
                    files.push_back(item.path());
        } else if (fs::is_regular_file(place, error)) {
            files.push_back(place);
        }
    }
    std::sort(files.begin(), files.end());

    int passed = 0, failed = 0;
    for (const fs::path& file : files)
        (Replay(file) ? passed : failed) += 1;
    std::printf("%d passed, %d failed\n", passed, failed);
    if (files.empty()) {
        std::printf("no input found: nothing was checked\n");
        return 1;
    }
    return failed == 0 ? 0 : 1;
}
