#include "cli/BatchRun.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
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

// The file a row writes: the pattern with its {n}, {text} and {output}.
std::string RowPath(const std::string& pattern, std::size_t index, const BatchRow& row, const std::string& baseText) {
    std::string path = ReplaceAll(pattern, "{n}", std::to_string(index + 1));
    path = ReplaceAll(path, "{text}", FileSafeText(row.text.value_or(baseText)));
    return ReplaceAll(path, "{output}", FileSafeText(row.output.value_or("")));
}

std::uint64_t Hash(std::string_view text) {
    std::uint64_t h = 0xcbf29ce484222325ull;  // FNV-1a
    for (const char c : text) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    return h;
}

// What became of one row of a batch: its banner is written under a temporary name by whichever
// thread renders it, and put in place (or reported) by the coordinating thread in row order.
struct LineResult {
    std::size_t line = 0;   // where the row starts in the batch file
    bool done = false;
    std::string error;      // empty when the banner was written
    std::string temporary;  // the written file until it is put in place
    std::string path;       // its final name
};

// Renders every row, on `jobs` threads; a row that fails is reported and the others still run.
// The files and the messages are those of rendering the rows one after another: files are put in
// place in row order and errors are printed in row order (the plan has no two rows with one name).
// Rows are read from the file as threads take them, and a row's result is kept only until it is
// put in place, so memory does not grow with the batch.
class BatchRun {
public:
    BatchRun(const BannerDocument& doc, const BatchJob& job, const TextOut& err, const RenderEnvironment& env)
        : doc_(doc), job_(job), err_(err), env_(env), reader_(job.file, job.bytes, job.batchFormat),
          baseText_(doc.Settings().FieldToString("Text")) {}

    int Run() {
        start_ = lastCommit_ = Clock::now();
        const int threads = int(std::min<std::size_t>(std::size_t(job_.jobs), job_.rows));
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
        for (;;) {
            std::size_t i = 0;
            std::optional<BatchRow> row;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                try {
                    row = reader_.Next();
                } catch (const Failure&) {
                    // Read whole by the plan already; a file changed since is not read further.
                }
                if (!row) return;
                i = taken_++;
                LineResult& slot = results_.emplace_back();
                slot.line = row->line;
                if (i % std::size_t(job_.shardCount) != std::size_t(job_.shardIndex)) {
                    slot.done = true;  // another shard's row: nothing to put in place
                    continue;
                }
            }
            LineResult r = RenderLine(doc, i, *row);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                LineResult& slot = results_[i - committed_];
                r.line = slot.line;
                r.done = true;
                slot = std::move(r);
            }
            rendered_.fetch_add(1, std::memory_order_relaxed);
            if (coordinator) Coordinate();
        }
    }

    LineResult RenderLine(BannerDocument& doc, std::size_t i, const BatchRow& row) {
        LineResult r;
        try {
            r.path = RowPath(job_.pattern, i, row, baseText_);
            // A design starts over from the base, so that no field of the row before stays.
            if (reader_.Designs()) doc = doc_;
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
        return r;
    }

    // Between its own rows the coordinating thread puts finished files in place about once a
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

    // Puts in place, in row order, every finished row before the first unfinished one.
    void Commit() {
        std::vector<LineResult> finished;
        std::size_t first = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            while (!results_.empty() && results_.front().done) {
                finished.push_back(std::move(results_.front()));
                results_.pop_front();
            }
            first = committed_;
            committed_ += finished.size();
        }
        if (finished.empty()) return;
        std::vector<StagedFile> staged;
        std::vector<std::size_t> owners;
        for (std::size_t k = 0; k < finished.size(); ++k) {
            if (finished[k].temporary.empty()) continue;
            staged.push_back({finished[k].temporary, finished[k].path});
            owners.push_back(k);
        }
        const std::vector<std::string> reasons = FlushAndRename(staged);
        for (std::size_t k = 0; k < staged.size(); ++k) {
            LineResult& r = finished[owners[k]];
            if (!reasons[k].empty()) {
                r.error = CannotCreate(r.path, reasons[k]);
            } else if (folders_.insert(FolderKey(r.path)).second) {
                placed_.push_back(r.path);
            }
        }
        for (std::size_t k = 0; k < finished.size(); ++k) {
            const LineResult& r = finished[k];
            if (!r.error.empty()) {
                ClearProgress();
                err_(std::string(kProgram) + ": " + job_.file + " " + reader_.Label(first + k, r.line) + ": " +
                     OneLine(r.error) + "\n");
                status_ = kExitFailed;
            }
        }
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
        return job_.rows / n + (k < job_.rows % n ? 1 : 0);
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
    std::atomic<std::size_t> rendered_{0};
    // Guarded by mutex_: the reader, the rows taken, and the results from row committed_ on.
    std::mutex mutex_;
    BatchReader reader_;
    std::size_t taken_ = 0;
    std::size_t committed_ = 0;
    std::deque<LineResult> results_;
    const std::string baseText_;
    // Used by the coordinating thread only.
    std::set<std::string> folders_;
    std::vector<std::string> placed_;  // one path per folder that received a file
    Clock::time_point start_, lastCommit_, lastProgress_;
    bool progressShown_ = false;
    int status_ = kExitOk;
};

}  // namespace

void PlanBatch(BatchJob& job, const std::string& input, const BannerDocument& base) {
    // A pattern that names the batch file itself would replace it while it is being read.
    struct stat in {};
    const bool checkInput = !input.empty() && ::stat(input.c_str(), &in) == 0;
    const std::string baseText = base.Settings().FieldToString("Text");
    BannerDocument scratch = base;  // where a design row's text is measured as --text measures it
    BatchReader reader(job.file, job.bytes, job.batchFormat);
    // Only a hash of each name is kept; names whose hashes meet are compared in a second reading.
    std::vector<std::uint64_t> hashes;
    std::size_t count = 0;
    for (std::optional<BatchRow> row; (row = reader.Next()); ++count) {
        const std::string path = RowPath(job.pattern, count, *row, baseText);
        const auto refuse = [&](const std::string& why) {
            throw Failure{job.file + " " + reader.Label(count, row->line) + why};
        };
        if (std::string reason; reader.Designs() && row->text && !scratch.SetText(*row->text, &reason))
            refuse(": the text is refused: " + reason + " Nothing was written.");
        if (checkInput && SameFile(in, path)) refuse(" would write over the batch file itself; nothing was written");
        hashes.push_back(Hash(path));
    }
    if (count == 0) throw Failure{"the batch file \"" + job.file + "\" has no lines: nothing to render"};
    job.rows = count;
    std::sort(hashes.begin(), hashes.end());
    std::set<std::uint64_t> met;
    for (std::size_t i = 1; i < hashes.size(); ++i)
        if (hashes[i] == hashes[i - 1]) met.insert(hashes[i]);
    if (met.empty()) return;
    // {text} maps "a/b", "a b" and "a_b" to one name, which would silently overwrite the earlier
    // banner.
    std::map<std::string, std::pair<std::size_t, std::size_t>> first;  // name -> row index, line
    BatchReader again(job.file, job.bytes, job.batchFormat);
    std::size_t i = 0;
    for (std::optional<BatchRow> row; (row = again.Next()); ++i) {
        std::string path = RowPath(job.pattern, i, *row, baseText);
        if (!met.contains(Hash(path))) continue;
        const auto [at, fresh] = first.try_emplace(path, i, row->line);
        if (!fresh) {
            const auto number = [&](std::size_t index, std::size_t line) {
                return std::to_string(again.Designs() ? index + 1 : line);
            };
            throw Failure{job.file + ": " + (again.Designs() ? "rows " : "lines ") +
                          number(at->second.first, at->second.second) + " and " + number(i, row->line) +
                          " would both write \"" + path + "\"; nothing was written (add {n} to the pattern)"};
        }
    }
}

int RunBatch(const BannerDocument& base, const BatchJob& job, const TextOut& err, const RenderEnvironment& env) {
    return BatchRun(base, job, err, env).Run();
}

}  // namespace veskel::cli
