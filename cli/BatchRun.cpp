#include "cli/BatchRun.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <thread>

#include "cli/CommandLine.h"
#include "platform/io/Files.h"

namespace veskel::cli {
namespace {

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

bool SameFile(const struct stat& a, const std::string& path) {
    struct stat b {};
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// What became of one row of a batch: its banner is written under a temporary name by whichever
// thread renders it, and put in place (or reported) by the coordinating thread in line order.
struct LineResult {
    std::string error;      // empty when the banner was written
    std::string temporary;  // the written file until it is put in place
    std::string path;       // its final name
};

// Renders every row, on `jobs` threads; a row that fails is reported and the others still run.
// The files and the messages are those of rendering the rows one after another: files are put in
// place in row order and errors are printed in row order (the plan has no two rows with one name).
class BatchRun {
public:
    BatchRun(const BannerDocument& doc, const BatchJob& job, const TextOut& err, const RenderEnvironment& env)
        : doc_(doc), job_(job), err_(err), env_(env), rows_(job.batch.rows), results_(rows_.size()),
          done_(rows_.size()) {}

    int Run() {
        start_ = lastCommit_ = Clock::now();
        const int threads = int(std::min<std::size_t>(std::size_t(job_.jobs), rows_.size()));
        std::vector<std::thread> helpers;
        for (int t = 1; t < threads; ++t) helpers.emplace_back([this] { Work(false); });
        Work(true);
        for (std::thread& t : helpers) t.join();
        Commit();
        SyncFolders(placed_);
        EndProgress();
        return status_;
    }

private:
    using Clock = std::chrono::steady_clock;

    void Work(bool coordinator) {
        BannerDocument doc = doc_;
        for (std::size_t i; (i = next_.fetch_add(1)) < rows_.size();) {
            if (i % std::size_t(job_.shardCount) != std::size_t(job_.shardIndex)) {
                done_[i].store(true, std::memory_order_release);  // another shard's row: nothing to put in place
                continue;
            }
            RenderLine(doc, i);
            done_[i].store(true, std::memory_order_release);
            rendered_.fetch_add(1, std::memory_order_relaxed);
            if (coordinator) Coordinate();
        }
    }

    void RenderLine(BannerDocument& doc, std::size_t i) {
        LineResult& r = results_[i];
        try {
            r.path = job_.paths[i];
            const BatchRow& row = rows_[i];
            // A design starts over from the base, so that no field of the row before stays.
            if (job_.batch.designs) doc = doc_;
            if (row.text) {
                ApplyEdit(doc, {DocumentEditKind::Text, *row.text});
                doc.ResetTextPosition();
            }
            for (const auto& [name, value] : row.fields) ApplyEdit(doc, {DocumentEditKind::Set, name + "=" + value});
            std::vector<std::uint8_t> bytes;
            try {
                bytes = EncodeExport(doc.RenderBanner(), job_.format, job_.jpegQuality);
                r.temporary = WriteTemporaryBeside(r.path, bytes);
            } catch (const BannerError&) {
                throw;
            } catch (const std::exception& e) {
                throw Failure{CannotCreate(r.path, e.what())};
            }
        } catch (const Failure& f) {
            r.error = f.message;
        } catch (const std::exception& e) {
            r.error = e.what();
        }
    }

    // Between its own lines the coordinating thread puts finished files in place about once a
    // second and keeps the progress report up to date.
    void Coordinate() {
        const Clock::time_point now = Clock::now();
        if (now - lastCommit_ >= std::chrono::seconds(1)) {
            Commit();
            lastCommit_ = now;
        }
        if (ProgressWanted(now) && now - lastProgress_ >= std::chrono::milliseconds(100)) {
            lastProgress_ = now;
            ShowProgress();
        }
    }

    // Puts in place, in line order, every finished line before the first unfinished one.
    void Commit() {
        std::size_t end = committed_;
        while (end < rows_.size() && done_[end].load(std::memory_order_acquire)) ++end;
        if (end == committed_) return;
        std::vector<StagedFile> staged;
        std::vector<std::size_t> owners;
        for (std::size_t i = committed_; i < end; ++i) {
            if (results_[i].temporary.empty()) continue;
            staged.push_back({results_[i].temporary, results_[i].path});
            owners.push_back(i);
        }
        const std::vector<std::string> reasons = FlushAndRename(staged);
        for (std::size_t k = 0; k < staged.size(); ++k) {
            LineResult& r = results_[owners[k]];
            if (!reasons[k].empty()) {
                r.error = CannotCreate(r.path, reasons[k]);
            } else if (folders_.insert(FolderKey(r.path)).second) {
                placed_.push_back(r.path);
            }
        }
        for (std::size_t i = committed_; i < end; ++i) {
            LineResult& r = results_[i];
            if (!r.error.empty()) {
                ClearProgress();
                err_(std::string(kProgram) + ": " + job_.file + " " + RowLabel(job_.batch, i) + ": " +
                     OneLine(r.error) + "\n");
                status_ = kExitFailed;
            }
            r = LineResult{};  // release the memory of lines already done
        }
        committed_ = end;
    }

    static std::string FolderKey(const std::string& path) {
        const std::size_t slash = path.find_last_of('/');
        return slash == std::string::npos ? "" : path.substr(0, slash + 1);
    }

    bool ProgressWanted(Clock::time_point now) const {
        return env_.errIsTerminal && !job_.quiet && now - start_ >= env_.progressAfter;
    }
    void ShowProgress() {
        err_("\r" + std::string(kProgram) + ": " + std::to_string(rendered_.load(std::memory_order_relaxed)) + " of " +
             std::to_string(ShardRows()) + " banners");
        progressShown_ = true;
    }
    std::size_t ShardRows() const {
        const std::size_t n = std::size_t(job_.shardCount), k = std::size_t(job_.shardIndex);
        return rows_.size() / n + (k < rows_.size() % n ? 1 : 0);
    }
    void ClearProgress() {
        if (progressShown_) err_("\r\x1b[K");
        progressShown_ = false;
    }
    // A batch that ran long enough ends with its total, whichever thread did the work.
    void EndProgress() {
        if (!progressShown_ && !ProgressWanted(Clock::now())) return;
        ShowProgress();
        err_("\n");
        progressShown_ = false;
    }

    const BannerDocument& doc_;
    const BatchJob& job_;
    const TextOut& err_;
    const RenderEnvironment& env_;
    const std::vector<BatchRow>& rows_;
    std::vector<LineResult> results_;
    std::vector<std::atomic<bool>> done_;
    std::atomic<std::size_t> next_{0};
    std::atomic<std::size_t> rendered_{0};
    // Used by the coordinating thread only.
    std::size_t committed_ = 0;
    std::set<std::string> folders_;
    std::vector<std::string> placed_;  // one path per folder that received a file
    Clock::time_point start_, lastCommit_, lastProgress_;
    bool progressShown_ = false;
    int status_ = kExitOk;
};

}  // namespace

std::vector<std::string> PlanBatch(const std::string& file, const BatchFile& batch, const std::string& pattern,
                                   const std::string& input, const BannerDocument& base) {
    if (batch.rows.empty()) throw Failure{"the batch file \"" + file + "\" has no lines: nothing to render"};
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < batch.rows.size(); ++i) {
        const BatchRow& row = batch.rows[i];
        std::string path = ReplaceAll(pattern, "{n}", std::to_string(i + 1));
        path = ReplaceAll(path, "{text}", FileSafeText(row.text.value_or(base.Settings().FieldToString("Text"))));
        paths.push_back(ReplaceAll(path, "{output}", FileSafeText(row.output.value_or(""))));
    }
    // {text} maps "a/b", "a b" and "a_b" to one name, which would silently overwrite the earlier
    // banner.
    std::map<std::string, std::size_t> first;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto [at, fresh] = first.emplace(paths[i], i);
        if (!fresh) {
            const std::string noun = batch.designs ? "rows " : "lines ";
            const auto number = [&](std::size_t k) {
                return std::to_string(batch.designs ? k + 1 : batch.rows[k].line);
            };
            throw Failure{file + ": " + noun + number(at->second) + " and " + number(i) + " would both write \"" +
                          paths[i] + "\"; nothing was written (add {n} to the pattern)"};
        }
    }
    // A pattern that names the batch file itself would replace it while it is being read.
    struct stat in {};
    if (!input.empty() && ::stat(input.c_str(), &in) == 0) {
        for (std::size_t i = 0; i < paths.size(); ++i)
            if (SameFile(in, paths[i]))
                throw Failure{file + " " + RowLabel(batch, i) + " would write over the batch file itself; nothing was written"};
    }
    return paths;
}

int RunBatch(const BannerDocument& base, const BatchJob& job, const TextOut& err, const RenderEnvironment& env) {
    return BatchRun(base, job, err, env).Run();
}

}  // namespace veskel::cli
