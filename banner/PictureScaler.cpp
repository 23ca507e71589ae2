#include "banner/PictureScaler.h"

#include "platform/graphics/Resample.h"

namespace veskel {

int PictureScaler::ReductionFor(int sourceWidth, int sourceHeight, int width, int height) {
    if (std::int64_t(sourceWidth) * sourceHeight <= kExactSourcePixels || width < 1 || height < 1) return 1;
    const std::int64_t needW = std::int64_t(width) * kReducedToTargetRatio;
    const std::int64_t needH = std::int64_t(height) * kReducedToTargetRatio;
    int factor = 1;
    while (factor < (1 << 20) && sourceWidth / (2 * factor) >= needW && sourceHeight / (2 * factor) >= needH)
        factor *= 2;
    return factor;
}

const Picture& PictureScaler::CopyFor(int factor) {
    std::size_t index = 0;
    while ((2 << index) < factor) ++index;
    if (reduced_.size() <= index) reduced_.resize(index + 1);
    // Always from the source itself, so a copy's pixels do not depend on which copies came first.
    if (!reduced_[index]) reduced_[index] = std::make_shared<const Picture>(ReducePicture(*source_, factor));
    return *reduced_[index];
}

Picture PictureScaler::Scale(int width, int height, const Rect& part) {
    if (!source_ || source_->IsEmpty() || width < 1 || height < 1) return Picture();
    const Rect clipped = part.Intersect({0, 0, width, height});
    if (clipped.IsEmpty()) return Picture();
    const int factor = ReductionFor(source_->Width(), source_->Height(), width, height);
    if (factor > 1)
        return StretchReduced(CopyFor(factor), factor, source_->Width(), source_->Height(), width, height, clipped);
    const Picture& from = *source_;
    Picture out(StretchHalftoneWindow(from.color, from.color.Bounds(), width, height, clipped));
    if (from.HasAlpha()) {
        out.alpha = StretchHalftoneGreyWindow(from.alpha, from.Width(), from.Height(), width, height, clipped);
        out.hasTransparency = true;
    }
    return out;
}

std::size_t PictureScaler::ReducedBytes() const {
    std::size_t bytes = 0;
    for (const PicturePtr& p : reduced_)
        if (p) bytes += p->color.ByteSize() + p->alpha.size();
    return bytes;
}

}  // namespace veskel
