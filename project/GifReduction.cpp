#include "project/GifReduction.h"

#include <algorithm>
#include <cstdint>

namespace veskel {
namespace {

constexpr int kColorBits = 8;  // leaves sit at level 8, inner nodes at levels 0..7
constexpr int kNone = -1;

// The octree keeps its nodes in one pool addressed by index; freed nodes go to a free list and
// are reused, so the pool never grows past what the live tree needs.
class Octree {
public:
    void Insert(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        if (root_ == kNone) root_ = NewNode(0);
        int index = root_;
        for (int level = 0;; ++level) {
            if (nodes_[std::size_t(index)].leaf) {
                Node& node = nodes_[std::size_t(index)];
                node.count += 1;
                node.red += r;
                node.green += g;
                node.blue += b;
                return;
            }
            const int shift = 7 - level;
            const int child = 4 * ((r >> shift) & 1) + 2 * ((g >> shift) & 1) + ((b >> shift) & 1);
            int next = nodes_[std::size_t(index)].children[std::size_t(child)];
            if (next == kNone) {
                next = NewNode(level + 1);  // may grow the pool: index again afterwards
                nodes_[std::size_t(index)].children[std::size_t(child)] = next;
            }
            index = next;
        }
    }

    int LeafCount() const { return leafCount_; }

    // Merges the children of the most recently made reducible node of the deepest level that has one.
    void ReduceOnce() {
        int k = kColorBits - 1;
        while (k > 0 && reducible_[k] == kNone) --k;
        const int index = reducible_[k];
        if (index == kNone) return;  // only possible for an empty tree
        Node& node = nodes_[std::size_t(index)];
        reducible_[k] = node.next;
        node.next = kNone;
        int children = 0;
        std::uint64_t count = 0, red = 0, green = 0, blue = 0;
        for (int& c : node.children) {
            if (c == kNone) continue;
            const Node& child = nodes_[std::size_t(c)];
            count += child.count;
            red += child.red;
            green += child.green;
            blue += child.blue;
            FreeNode(c);
            c = kNone;
            ++children;
        }
        // Children's counts are added to the node's own (0 for an inner node).
        node.count += count;
        node.red = red;
        node.green = green;
        node.blue = blue;
        node.leaf = true;
        leafCount_ += 1 - children;
    }

    // Depth first, children in index order; one colour per leaf.
    void ListColors(std::vector<PaletteEntry>& out) const {
        if (root_ != kNone) Walk(root_, out);
    }

private:
    struct Node {
        // Sums are 64-bit so that a huge single-colour area cannot wrap them.
        std::uint64_t count = 0, red = 0, green = 0, blue = 0;
        std::array<int, 8> children{kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone};
        bool leaf = false;
        int next = kNone;  // next node in its level's reducible list
    };

    int NewNode(int level) {
        int index;
        if (free_ != kNone) {
            index = free_;
            free_ = nodes_[std::size_t(index)].next;
            nodes_[std::size_t(index)] = Node{};
        } else {
            index = int(nodes_.size());
            nodes_.emplace_back();
        }
        Node& node = nodes_[std::size_t(index)];
        if (level >= kColorBits) {
            node.leaf = true;
            ++leafCount_;
        } else {
            node.next = reducible_[level];
            reducible_[level] = index;
        }
        return index;
    }

    void FreeNode(int index) {
        // Children of a reduced node are always leaves (deeper levels have no reducible nodes
        // left when a level is reduced), so nothing below them needs freeing.
        Node& node = nodes_[std::size_t(index)];
        node.next = free_;
        free_ = index;
    }

    void Walk(int index, std::vector<PaletteEntry>& out) const {
        const Node& node = nodes_[std::size_t(index)];
        if (node.leaf) {
            PaletteEntry e;
            if (node.count != 0) {
                e.r = std::uint8_t(node.red / node.count);
                e.g = std::uint8_t(node.green / node.count);
                e.b = std::uint8_t(node.blue / node.count);
            }
            out.push_back(e);
            return;
        }
        for (int c : node.children)
            if (c != kNone) Walk(c, out);
    }

    std::vector<Node> nodes_;
    int root_ = kNone;
    int free_ = kNone;
    int leafCount_ = 0;
    std::array<int, kColorBits> reducible_{kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone};
};

}  // namespace

std::vector<PaletteEntry> QuantizeOctree(const Bitmap& image) {
    Octree tree;
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint8_t* row = image.Row(y);
        for (int x = 0; x < image.Width(); ++x) {
            const std::uint8_t* p = row + 3 * std::size_t(x);
            tree.Insert(p[2], p[1], p[0]);
            while (tree.LeafCount() > kGifOctreeColors) tree.ReduceOnce();
        }
    }
    std::vector<PaletteEntry> colors;
    colors.reserve(kGifOctreeColors + 1);
    tree.ListColors(colors);
    if (colors.size() > std::size_t(kGifOctreeColors)) colors.resize(kGifOctreeColors);
    return colors;
}

std::array<PaletteEntry, 256> BuildGifPalette(const Bitmap& image) {
    std::array<PaletteEntry, 256> palette{};
    const auto& defaults = DefaultPalette();
    for (int i = 0; i < 10; ++i) {
        palette[std::size_t(i)] = defaults[std::size_t(i)];
        palette[std::size_t(246 + i)] = defaults[std::size_t(10 + i)];
    }
    const std::vector<PaletteEntry> colors = QuantizeOctree(image);
    std::copy(colors.begin(), colors.end(), palette.begin() + kGifOctreeFirstEntry);
    return palette;
}

IndexedImage ReduceToGifPalette(const Bitmap& image) {
    IndexedImage out;
    out.width = image.Width();
    out.height = image.Height();
    out.palette = BuildGifPalette(image);
    out.pixels.assign(std::size_t(out.width) * std::size_t(out.height), 0);
    if (image.IsEmpty()) return out;

    // Serpentine Floyd-Steinberg. errors[ch][p] carries the error of the row above into this
    // row; current / below / belowPrev are the running terms of the row being mapped.
    const int width = image.Width();
    std::array<std::vector<std::int32_t>, 3> errors;
    for (auto& e : errors) e.assign(std::size_t(width) + 2, 0);
    int dir = +1;
    for (int y = 0; y < image.Height(); ++y) {
        std::int32_t current[3] = {0, 0, 0};
        std::int32_t below[3] = {0, 0, 0};
        std::int32_t belowPrev[3] = {0, 0, 0};
        int p = dir > 0 ? 0 : width + 1;
        const std::uint8_t* row = image.Row(y);
        std::uint8_t* outRow = out.pixels.data() + std::size_t(y) * std::size_t(width);
        for (int i = 0; i < width; ++i) {
            const int x = dir > 0 ? i : width - 1 - i;
            const std::uint8_t* px = row + 3 * std::size_t(x);
            const std::int32_t input[3] = {px[2], px[1], px[0]};  // red, green, blue
            std::uint8_t value[3];
            for (int ch = 0; ch < 3; ++ch) {
                std::int32_t v = input[ch] + DiffusionCorrection(errors[std::size_t(ch)][std::size_t(p)] + current[ch]);
                v = std::clamp(v, 0, 255);
                current[ch] = v;
                value[ch] = std::uint8_t(v);
            }
            const int index = NearestPaletteIndex(out.palette, value[0], value[1], value[2]);
            outRow[x] = std::uint8_t(index);
            const PaletteEntry& chosen = out.palette[std::size_t(index)];
            const std::int32_t got[3] = {chosen.r, chosen.g, chosen.b};
            for (int ch = 0; ch < 3; ++ch) {
                const std::int32_t e = current[ch] - got[ch];
                errors[std::size_t(ch)][std::size_t(p)] = belowPrev[ch] + 3 * e;
                belowPrev[ch] = below[ch] + 5 * e;
                below[ch] = e;
                current[ch] = 7 * e;
            }
            p += dir;
        }
        for (int ch = 0; ch < 3; ++ch) errors[std::size_t(ch)][std::size_t(p)] = belowPrev[ch];
        dir = -dir;
    }
    return out;
}

}  // namespace veskel
