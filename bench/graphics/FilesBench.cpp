// Speed of saving: one save into an empty folder and into one of 10,000 files (a save must not
// read its folder), and a batch of 200 files staged and put in place with one flush. Files go to
// TMPDIR (tmpfs there measures the work of the save itself rather than the disk's flushes).
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/io/Files.h"

namespace veskel {
namespace {

namespace fs = std::filesystem;

// A fresh folder holding `files` empty files, removed at the end of the benchmark.
class Folder {
public:
    explicit Folder(int files) {
        std::string tmpl = (fs::temp_directory_path() / "veskel-bench-XXXXXX").string();
        if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("no temporary folder");
        path_ = tmpl;
        for (int i = 0; i < files; ++i) std::ofstream(path_ / ("banner-" + std::to_string(i) + ".png"));
    }
    ~Folder() { fs::remove_all(path_); }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

const std::vector<std::uint8_t> kBanner(9000, 0x5a);  // about the size of a banner's PNG

void BM_SaveIntoFolder(benchmark::State& state) {
    const Folder folder(int(state.range(0)));
    const std::string path = folder.Path("new.png");
    for (auto _ : state) WriteFileAtomic(path, kBanner);
}
BENCHMARK(BM_SaveIntoFolder)->Arg(0)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_Batch200(benchmark::State& state) {
    const Folder folder(0);
    std::vector<std::string> paths;
    for (int i = 0; i < 200; ++i) paths.push_back(folder.Path("b-" + std::to_string(i) + ".png"));
    for (auto _ : state) {
        std::vector<StagedFile> staged;
        for (const std::string& p : paths) staged.push_back({WriteTemporaryBeside(p, kBanner), p});
        benchmark::DoNotOptimize(FlushAndRename(staged));
        SyncFolders(paths);
    }
}
BENCHMARK(BM_Batch200)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace veskel
