#pragma once
// Helpers shared by the banner tests: pictures of known content, a scratch folder, and a document
// whose changed hook counts calls instead of rendering.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "banner/BannerDocument.h"
#include "platform/graphics/Picture.h"
#include "tests/project/TestFiles.h"

namespace veskel::testing {

// A w x h picture whose colour encodes its position (so resampling shows up), optionally with an
// alpha plane that falls from 255 on the left to 0 on the right.
inline Picture MakePicture(int w, int h, bool withAlpha) {
    Picture p(Bitmap(w, h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) p.color.SetPixel(x, y, RGB(std::uint8_t(x * 7), std::uint8_t(y * 11), 200));
    }
    if (withAlpha) {
        p.EnsureAlpha(255);
        p.hasTransparency = true;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) p.AlphaRow(y)[x] = std::uint8_t(w > 1 ? 255 - 255 * x / (w - 1) : 255);
        }
    }
    return p;
}

inline Picture SolidPicture(int w, int h, Color c) {
    Picture p(Bitmap(w, h));
    p.color.Fill(c);
    return p;
}

// A document with a new design whose listener counts changes (and renders, as the window's does,
// so rendering faults surface in every test).
struct CountingDocument {
    BannerDocument doc;
    int changes = 0;
    CountingDocument() {
        doc.AddChangeListener([this] {
            ++changes;
            doc.RenderBanner();
        });
        doc.NewDocument();
        changes = 0;
    }
};

// Everything a document shows: the record, the three pictures and the rendered banner, to
// check that an operation (or undoing it) leaves exactly what was there.
struct Snapshot {
    BannerSettings::Bytes record;
    Picture source, working, prepared;
    Bitmap image;
    explicit Snapshot(const BannerDocument& d)
        : record(d.Settings().GetBytes()),
          source(d.SourcePicture()),
          working(d.WorkingPicture()),
          prepared(d.PreparedPicture()),
          image(d.BannerImage()) {}
    bool operator==(const Snapshot&) const = default;
    void ExpectIn(const BannerDocument& d, const std::string& what) const {
        EXPECT_EQ(d.Settings().GetBytes(), record) << what;
        EXPECT_EQ(d.SourcePicture(), source) << what;
        EXPECT_EQ(d.WorkingPicture(), working) << what;
        EXPECT_EQ(d.PreparedPicture(), prepared) << what;
        EXPECT_EQ(d.BannerImage(), image) << what;
    }
};

}  // namespace veskel::testing
