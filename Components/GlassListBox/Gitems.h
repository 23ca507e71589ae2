#pragma once
// TGLItems: one entry of a glass list box: the caption it shows, a second string the caller keeps
// with it, the index it was added at, and an optional icon (a Windows bitmap file's bytes).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace veskel {

class TGLItems {
public:
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string v) { caption_ = std::move(v); }
    // Stored with the item, never drawn.
    const std::string& Info() const { return info_; }
    void SetInfo(std::string v) { info_ = std::move(v); }
    // The item's index when it was added.
    int Index() const { return index_; }
    void SetIndex(int v) { index_ = v; }

    // Non-zero when the item carries an icon.
    std::int32_t IconFlag = 0;
    // The icon: the bytes of a bitmap file (BMP layout), owned by the item; none without an icon.
    std::optional<std::vector<std::uint8_t>> PNGIcon;

private:
    std::string caption_;
    std::string info_;
    int index_ = 0;
};

}  // namespace veskel
