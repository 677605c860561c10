// Replays kept fuzz inputs through a fuzz target without libFuzzer, so that the ordinary unit-test
// builds (plain and under the sanitizers) run every seed and every input that once found a fault.
// Arguments: files or folders of inputs. Fails when an input aborts (the process dies) or when
// nothing at all was replayed, so that a missing corpus cannot pass for a clean one.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const fs::path& place) {
    std::vector<fs::path> inputs;
    if (fs::is_directory(place)) {
        for (const auto& entry : fs::directory_iterator(place)) {
            if (entry.is_regular_file()) inputs.push_back(entry.path());
        }
        std::sort(inputs.begin(), inputs.end());
    } else if (fs::is_regular_file(place)) {
        inputs.push_back(place);
    }
    return inputs;
}

}  // namespace

int main(int argc, char** argv) {
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& input : InputsOf(argv[i])) {
            std::ifstream file(input, std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                       std::istreambuf_iterator<char>());
            // A copy of exactly the input's size, as libFuzzer hands it: reads past the end are caught.
            std::vector<uint8_t> exact(bytes);
            static uint8_t none = 0;  // libFuzzer never hands a null pointer, even for no bytes
            LLVMFuzzerTestOneInput(exact.empty() ? &none : exact.data(), exact.size());
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs\n", replayed);
    return replayed == 0 ? 1 : 0;
}
