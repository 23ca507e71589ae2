#include "platform/ui/Dialogs.h"

#include <stdexcept>

#include "platform/ui/Application.h"

namespace veskel {

std::vector<FileFilter> ParseFileFilter(std::string_view filter) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t bar = filter.find('|', start);
        parts.emplace_back(filter.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    std::vector<FileFilter> out;
    if (filter.empty()) return out;
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        FileFilter f;
        f.description = parts[i];
        if (i + 1 < parts.size()) {
            std::string_view pats = parts[i + 1];
            std::size_t s = 0;
            for (;;) {
                std::size_t semi = pats.find(';', s);
                std::string_view p = pats.substr(s, semi == std::string_view::npos ? std::string_view::npos : semi - s);
                while (!p.empty() && p.front() == ' ') p.remove_prefix(1);
                while (!p.empty() && p.back() == ' ') p.remove_suffix(1);
                if (!p.empty()) f.patterns.emplace_back(p);
                if (semi == std::string_view::npos) break;
                s = semi + 1;
            }
        }
        if (f.description.empty() && f.patterns.empty()) continue;
        out.push_back(std::move(f));
    }
    return out;
}

bool FileDialog::Execute() {
    Application* app = Application::Current();
    if (!app) throw std::logic_error("a file dialog needs an Application");
    request_.title = Title;
    request_.filter = Filter;
    int count = int(ParseFileFilter(Filter).size());
    request_.filterIndex = (FilterIndex >= 1 && FilterIndex <= count) ? FilterIndex : 1;
    request_.fileName = FileName;
    request_.initialDir = InitialDir;
    request_.folderKey = FolderKey;
    request_.defaultExt = DefaultExt;
    request_.overwritePrompt = OverwritePrompt;
    request_.hideReadOnly = HideReadOnly;
    request_.picturePreview = PicturePreview;
    std::optional<FileDialogResult> r = app->GetBackend().RunFileDialog(request_);
    if (!r) return false;
    FileName = r->fileName;
    FilterIndex = r->filterIndex;
    return true;
}

}  // namespace veskel
